#include "dbftableimpl.h"

#include <QStringList>

#include <cstring>

namespace
{

constexpr int kFaultsPerKind = 20;

// Collects fault lines, keeping at most a few of each kind so that a badly damaged large
// table still gives a readable report.
struct FaultLog {
    QStringList &out;
    int shown = 0;
    int dropped = 0;
    void add(const QString &line)
    {
        if (shown < kFaultsPerKind) {
            out << line;
            ++shown;
        } else {
            ++dropped;
        }
    }
    void finish(const QString &what)
    {
        if (dropped)
            out << QStringLiteral("... and %1 more faults of %2").arg(dropped).arg(what);
    }
};

} // namespace

void DbfTable::Impl::checkTag(const DbfTagRuntime &t, QStringList &faults)
{
    const QString tagName
        = QStringLiteral("tag %1 of \"%2\"").arg(QString::fromLatin1(t.name), mdxPath);
    const quint32 count = file.count();
    const int len = t.expr.length();
    std::vector<quint8> seen(size_t(count) + 1, 0);
    QByteArray rec(file.recordLength(), ' ');
    QByteArray expected(len, ' ');
    QByteArray prevKey;
    quint32 prevRecno = 0;
    FaultLog log { faults };
    DbStatus walk = mdx->verify(t.mdxTag, [&](const char *key, quint32 recno) {
        if (!prevKey.isNull()) {
            const int c = std::memcmp(prevKey.constData(), key, size_t(len));
            if (c > 0 || (c == 0 && prevRecno >= recno))
                log.add(QStringLiteral("%1: entry for record %2 is out of order")
                            .arg(tagName)
                            .arg(recno));
        }
        prevKey = QByteArray(key, len);
        prevRecno = recno;
        if (recno < 1 || recno > count) {
            log.add(QStringLiteral("%1: entry for record %2, which does not exist")
                        .arg(tagName)
                        .arg(recno));
            return;
        }
        if (seen[recno] < 2)
            ++seen[recno];
        if (!file.read(recno, rec.data()))
            return;
        t.expr.evaluate(rec.constData(), expected.data());
        if (std::memcmp(expected.constData(), key, size_t(len)) != 0)
            log.add(QStringLiteral("%1: the key of record %2 is \"%3\" but should be \"%4\"")
                        .arg(tagName)
                        .arg(recno)
                        .arg(QString::fromLatin1(key, len).trimmed(),
                            QString::fromLatin1(expected).trimmed()));
    });
    if (!walk)
        faults << QStringLiteral("%1: %2").arg(tagName, walk.message());
    for (quint32 r = 1; r <= count; ++r) {
        if (seen[r] == 1)
            continue;
        if (seen[r] > 1) {
            log.add(QStringLiteral("%1: record %2 appears more than once").arg(tagName).arg(r));
        } else if (walk && file.read(r, rec.data()) && rec[0] != dbf::kDeleted) {
            log.add(QStringLiteral("%1: record %2 is missing").arg(tagName).arg(r));
        }
    }
    log.finish(tagName);
}

DbStatus DbfTable::check(QStringList &faults)
{
    if (!isOpen())
        return d->notOpen();
    if (DbStatus st = d->ensureBrowse(); !st)
        return st;
    if (DbStatus st = d->flushAll(true); !st)
        return st;
    const int before = int(faults.size());
    d->file.checkHeader(faults);
    if ((d->file.choices() & TableChoices::UnicodeBit) && !cpgSaysUtf8(path()))
        faults << QStringLiteral("%1: the texts are UTF-8, but \"%2\" does not say so, and "
                                 "other tools would take them for 8-bit texts")
                      .arg(path(), cpgPathFor(path()));
    FaultLog flags { faults };
    FaultLog texts { faults };
    const bool utf8 = d->choices.unicode;
    DbStatus scan = d->file.scan([&](quint32 recno, const char *rec) {
        if (rec[0] != dbf::kLive && rec[0] != dbf::kDeleted)
            flags.add(QStringLiteral("%1: record %2 has the deletion flag 0x%3")
                          .arg(path())
                          .arg(recno)
                          .arg(quint8(rec[0]), 2, 16, QLatin1Char('0')));
        if (utf8)
            for (const DbfField &f : fields())
                if (f.type == 'C' && !utf8text::isValid(rec + 1 + f.offset, f.width))
                    texts.add(QStringLiteral("%1: record %2 holds a %3 that is not UTF-8")
                                  .arg(path())
                                  .arg(recno)
                                  .arg(QString::fromLatin1(f.name)));
        return DbStatus();
    });
    flags.finish(QStringLiteral("deletion flags"));
    texts.finish(QStringLiteral("texts"));
    if (!scan)
        faults << scan.message();
    // An index that waits for room to be rebuilt is no fault of the table's; the owner
    // has been told.
    if (!d->tags.empty() && !d->mdx && !d->unindexed)
        faults << QStringLiteral("%1: the index is missing").arg(d->mdxPath);
    if (d->mdx && d->indexBroken)
        faults << QStringLiteral("%1: an update of the index failed; reindex the table")
                      .arg(d->mdxPath);
    if (d->mdx)
        for (const DbfTagRuntime &t : d->tags)
            d->checkTag(t, faults);
    if (int(faults.size()) == before)
        return {};
    return { DbStatus::Corrupt,
        QStringLiteral("Table \"%1\" has %2 faults.").arg(path()).arg(faults.size() - before) };
}
