#include "diskentries.h"

#include "platform/codepage.h"
#include "platform/dirlist.h"
#include "platform/diskpath.h"
#include "platform/localday.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QCoreApplication>

namespace
{

// Plain ASCII without controls and backslash stands in the catalogue byte for byte, so
// the common name needs no decoding and no code-page conversion.
bool isPlainName(const char *raw, int length)
{
    for (int i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x20 || b >= 0x80 || b == '\\')
            return false;
    }
    return length > 0;
}

// The naming rules of catalogued files. They look at ASCII bytes only, which UTF-8 and
// Windows-1252 write alike, so they hold for the name on disk as for its catalogue form.
bool followsFileRules(const char *p, int n, bool extensionless)
{
    const void *dot = std::memchr(p, '.', size_t(n));
    if (!extensionless && (!dot || dot == p))
        return false;
    if (!dot)
        return true;
    for (int i = int(static_cast<const char *>(dot) - p); i + 1 < n; ++i) {
        if (p[i] != '.')
            continue;
        if (p[i + 1] == '!' || (i + 3 < n && p[i + 1] == 'i' && p[i + 2] == 'o' && p[i + 3] == 'n'))
            return false;
    }
    return true;
}

// A UTF-8 name stands in a Unicode catalogue as it is, once it is known to be UTF-8 and
// to hold no byte that would split a catalogue path or a line.
SkipReason checkUtf8Name(const char *raw, int length, QByteArray &bytes)
{
    if (!utf8text::isValid(raw, length))
        return SkipReason::NotUtf8;
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(raw[i]) < 0x20)
            return SkipReason::ControlCharacter;
        if (raw[i] == '\\')
            return SkipReason::Backslash;
    }
    bytes = QByteArray(raw, length);
    return length > 0 ? SkipReason::None : SkipReason::OutsideCodePage;
}

// Whether a name can be written in the catalogue at all, and its bytes in the table's
// encoding.
SkipReason convertName(const char *raw, int length, const TextCodec &codec, QByteArray &ansi)
{
    if (isPlainName(raw, length)) {
        // Reuses the buffer when the caller kept no copy of the last name.
        ansi.resize(length);
        std::memcpy(ansi.data(), raw, size_t(length));
        return SkipReason::None;
    }
    if (codec.isUtf8())
        return checkUtf8Name(raw, length, ansi);
    const QByteArray bytes = QByteArray::fromRawData(raw, length);
    const QString name = QString::fromUtf8(bytes);
    if (name.toUtf8() != bytes)
        return SkipReason::NotUtf8;
    for (const QChar c : name) {
        if (c.unicode() < 0x20)
            return SkipReason::ControlCharacter;
        if (c == QLatin1Char('\\'))
            return SkipReason::Backslash;
    }
    bool expressible = false;
    ansi = codepage::fromUnicode(name, &expressible);
    return expressible && length > 0 ? SkipReason::None : SkipReason::OutsideCodePage;
}

// What the entry of a catalogued name is, links followed: None for a regular file (st then
// holds its status).
SkipReason judgeKind(
    const dirlist::Folder &dir, const char *raw, dirlist::EntryType listed, struct stat &st)
{
    if (!dir.statEntry(raw, st))
        // A link whose target is missing or out of reach; any other entry has just gone.
        return listed == dirlist::EntryType::Symlink ? SkipReason::DanglingLink
                                                     : SkipReason::ByRule;
    if (S_ISDIR(st.st_mode))
        return SkipReason::ByRule; // a link to a folder is never entered
    return S_ISREG(st.st_mode) ? SkipReason::None : SkipReason::SpecialFile;
}

} // namespace

SkipReason judgeName(
    const char *raw, int length, EntryKind kind, QByteArray &ansi, const TableChoices &choices)
{
    // Hidden folders stay out in any catalogue; dot-files are what a catalogue of files
    // without an extension is meant to take too (.bashrc).
    if (length <= 0 || (raw[0] == '.' && (kind == EntryKind::Folder || !choices.extensionless)))
        return SkipReason::ByRule;
    if (kind == EntryKind::File && !followsFileRules(raw, length, choices.extensionless))
        return SkipReason::ByRule;
    const SkipReason reason = convertName(raw, length, choices.codec(), ansi);
    if (reason != SkipReason::None || kind == EntryKind::Folder)
        return reason;
    if (ansi.size() > kMaxCataloguedNameLength)
        return choices.unicode ? SkipReason::NameTooLongInBytes : SkipReason::NameTooLong;
    return ansi.endsWith(' ') ? SkipReason::TrailingBlank : SkipReason::None;
}

void keepOneOfCaseTwins(std::vector<DiskEntry> &entries, std::vector<int> &numbers,
    const QString &folder, const std::function<bool(const QByteArray &ansi)> &hasRecord,
    std::vector<SkippedEntry> &skipped, const TextCodec &codec)
{
    const int count = int(entries.size());
    const int names = count == 0 ? 0 : *std::max_element(numbers.begin(), numbers.end()) + 1;
    std::vector<int> groupSize(size_t(names), 0);
    for (const int n : numbers)
        ++groupSize[size_t(n)];
    // Of each group the entry kept so far, and what decides between it and the next.
    struct Choice {
        int entry = -1;
        bool recorded = false;
        QByteArray disk;
    };
    std::vector<Choice> kept;
    kept.resize(size_t(names));
    for (int i = 0; i < count; ++i) {
        if (groupSize[size_t(numbers[size_t(i)])] < 2)
            continue;
        Choice candidate { i, hasRecord(entries[size_t(i)].ansi),
            entries[size_t(i)].name(codec).toUtf8() };
        Choice &k = kept[size_t(numbers[size_t(i)])];
        if (k.entry < 0 || candidate.recorded > k.recorded
            || (candidate.recorded == k.recorded && candidate.disk < k.disk))
            k = std::move(candidate);
    }
    int out = 0;
    for (int i = 0; i < count; ++i) {
        const int n = numbers[size_t(i)];
        if (groupSize[size_t(n)] > 1 && kept[size_t(n)].entry != i) {
            skipped.push_back({ folder, entries[size_t(i)].name(codec).toUtf8(), false,
                SkipReason::CaseTwin, kept[size_t(n)].disk });
            continue;
        }
        if (out != i) {
            entries[size_t(out)] = std::move(entries[size_t(i)]);
            numbers[size_t(out)] = n;
        }
        ++out;
    }
    entries.resize(size_t(out));
    numbers.resize(size_t(out));
}

bool catalogueBytes(const char *rawName, int length, QByteArray &ansi, const TextCodec &codec)
{
    return convertName(rawName, length, codec, ansi) == SkipReason::None;
}

QString DiskEntry::name(const TextCodec &codec) const
{
    return diskpath::diskName(ansi, codec);
}

qint64 evenSeconds(qint64 secondsSinceEpoch)
{
    return secondsSinceEpoch - (((secondsSinceEpoch % 2) + 2) % 2);
}

QDateTime catalogueTime(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(evenSeconds(secondsSinceEpoch), Qt::LocalTime);
}

DbStatus listingFailure(const QString &folder, int error)
{
    const auto code
        = (error == ENOENT || error == ENOTDIR) ? DbStatus::NotFound : DbStatus::IoError;
    return { code,
        QCoreApplication::translate("Scan", "Folder  '%1'  cannot be read: %2")
            .arg(folder, QString::fromLocal8Bit(strerror(error))) };
}

void cataloguedEntriesOf(const dirlist::Folder &dir, const dirlist::RawListing &listing,
    LocalDays &days, std::vector<DiskEntry> &out, const QString &folder,
    std::vector<SkippedEntry> *skipped, const TableChoices &choices)
{
    out.clear();
    out.reserve(listing.items.size());
    QByteArray ansi;
    for (const dirlist::RawListing::Item &e : listing.items) {
        if (e.type == dirlist::EntryType::Folder)
            continue;
        const char *raw = listing.name(e);
        struct stat st;
        SkipReason reason = judgeName(raw, e.length, EntryKind::File, ansi, choices);
        if (reason == SkipReason::None)
            reason = judgeKind(dir, raw, e.type, st);
        else if (isReported(reason) && e.type == dirlist::EntryType::Symlink
            && dir.targetType(raw) == dirlist::EntryType::Folder)
            reason = SkipReason::ByRule; // whatever its name, a link to a folder is no file
        if (reason != SkipReason::None) {
            if (skipped && isReported(reason))
                skipped->push_back({ folder, listing.nameBytes(e), false, reason });
            continue;
        }
        DiskEntry entry;
        entry.ansi = ansi;
        entry.size = quint64(st.st_size);
        entry.lastWriteSecs = evenSeconds(qint64(st.st_mtim.tv_sec));
        entry.localDay = days.dayOf(entry.lastWriteSecs);
        out.push_back(std::move(entry));
    }
}

DbStatus listCataloguedEntries(const QString &folder, std::vector<DiskEntry> &out,
    std::vector<SkippedEntry> *skipped, const TableChoices &choices)
{
    out.clear();
    dirlist::Folder dir;
    dirlist::RawListing listing;
    if (!dir.open(folder) || !dir.readRaw(listing, !readsDotNames(choices)))
        return listingFailure(folder, dir.error());
    LocalDays days;
    cataloguedEntriesOf(dir, listing, days, out, folder, skipped, choices);
    return DbStatus::ok();
}
