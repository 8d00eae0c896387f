#include "settings.h"

#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>

namespace
{

const QString Local = QStringLiteral("Local");
const QString MainWin = QStringLiteral("MainWin");
const QString Param = QStringLiteral("Param");

// One list of the archive keys serves both directions, so that reading and writing can
// never disagree on a key, and the writes come in the order the file has always had.
// Io provides text(), int32(), uint8(), uint16(), color() and boolean(), each taking the
// section, the key, the value and its default.
template <typename Io, typename S> void archiveKeys(Io &io, S &s)
{
    io.int32(Local, "Del", s.deletedCount, 0);
    io.int32(MainWin, "hsplit", s.layout.gridHeight, 400);
    io.int32(MainWin, "vsplit", s.layout.treeWidth, 150);
    io.int32(MainWin, "file", s.gridColumnWidths[0], 125);
    io.color("Color", "Data", s.viewColor, 0x00DAFAFA);
    io.color("Color", "Edit", s.editColor, 0x00FFFFFF);
    io.color("Color", "Tbar", s.toolbarColor, 0x00DA0000);
    io.text("Font", "Name", s.viewFont.name, "Verdana");
    io.uint8("Font", "CharSet", s.viewFont.charSet, 0);
    io.int32("Font", "Color", s.viewFont.color, -2147483640);
    io.int32("Font", "Size", s.viewFont.size, 9);
    io.uint8("Font", "Style", s.viewFont.style, 0);
    const ListingMargins margins {};
    io.text("Print", "Font", s.printFontName, listinglayout::kDefaultFont);
    io.uint16("Print", "top", s.printMargins.top, margins.top);
    io.uint16("Print", "left", s.printMargins.left, margins.left);
    io.uint16("Print", "bottom", s.printMargins.bottom, margins.bottom);
    io.uint16("Print", "right", s.printMargins.right, margins.right);
    io.uint8(Param, "Grid", s.gridLines, 0);
    io.uint8(Param, "Dir", s.folderListCollapsed, 0);
    io.text(Param, "Text", s.textFolder, "");
    io.text(Param, "Copy", s.copyFolder, "");
    io.uint8(Param, "DeD", s.deleteEmptyFolders, 0);
    io.uint8(Param, "STx", s.searchInText, 1);
    io.text(Param, "View", s.viewerPath, "d:\\irfan\\i_view32.exe");
    io.text(Param, "Ext", s.viewerExtensions, ".jpg .bmp .png .mp4");
    io.text(Param, "Idx", s.indexOrder, "1");
    io.uint8(Param, "Inf", s.folderInfoMode, 0);
    io.int32(Param, "Syn", s.viewerDelay, 200);
    io.text(Param, "Par", s.viewerParams, "/one /fs");
    io.boolean(Param, "TB1", s.layout.showBottomToolbar, true);
    io.boolean(Param, "TB2", s.layout.showTopToolbar, true);
}

struct Reader {
    const Profile &p;
    void text(const QString &sec, const char *key, QString &v, const char *def)
    {
        v = p.readText(sec, QLatin1String(key), QString::fromLatin1(def));
    }
    void int32(const QString &sec, const char *key, qint32 &v, qint32 def)
    {
        v = p.readInteger(sec, QLatin1String(key), def);
    }
    // Narrow widths keep the low bits, as the stored width always has.
    void uint8(const QString &sec, const char *key, quint8 &v, qint32 def)
    {
        v = quint8(quint32(p.readInteger(sec, QLatin1String(key), def)) & 0xFFu);
    }
    void uint16(const QString &sec, const char *key, quint16 &v, qint32 def)
    {
        v = quint16(quint32(p.readInteger(sec, QLatin1String(key), def)) & 0xFFFFu);
    }
    void color(const QString &sec, const char *key, quint32 &v, quint32 def)
    {
        v = p.readColor(sec, QLatin1String(key), def);
    }
    void boolean(const QString &sec, const char *key, bool &v, bool def)
    {
        v = p.readBool(sec, QLatin1String(key), def);
    }
};

struct Writer {
    Profile &p;
    void text(const QString &sec, const char *key, const QString &v, const char *)
    {
        p.writeText(sec, QLatin1String(key), v);
    }
    void int32(const QString &sec, const char *key, qint32 v, qint32)
    {
        p.writeInteger(sec, QLatin1String(key), v);
    }
    void uint8(const QString &sec, const char *key, quint8 v, qint32) { int32(sec, key, v, 0); }
    void uint16(const QString &sec, const char *key, quint16 v, qint32) { int32(sec, key, v, 0); }
    void color(const QString &sec, const char *key, quint32 v, quint32)
    {
        p.writeColor(sec, QLatin1String(key), v);
    }
    void boolean(const QString &sec, const char *key, bool v, bool)
    {
        p.writeBool(sec, QLatin1String(key), v);
    }
};

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// "/a//b///c/" -> "/a/b/c/": a doubled separator (as "%usb%\\Photos" gives) names the same
// folder, but paths built on it compare and display better without.
QString collapseSeparators(const QString &path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        if (c != QLatin1Char('/') || !out.endsWith(QLatin1Char('/')))
            out += c;
    }
    return out;
}

} // namespace

QString programFilePath(const ProgramFolder &program)
{
    return program.folder + settingsfile::programTitle + QLatin1String(".ini");
}

QString archiveFilePath(const ProgramFolder &program, const QString &archiveName)
{
    const QString name = archiveName + QLatin1String(".ini");
    if (QFileInfo::exists(program.folder + name))
        return program.folder + name;
    // The archive list shows names as the disk spells them, up to the first "."; a file
    // OLD.INI is the archive OLD, and typed names match whatever case the file has.
    QDir dir(program.folder);
    dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name);
    for (const QString &entry : dir.entryList())
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return program.folder + entry;
    return program.folder + name;
}

QString mainWindowCaption(const QString &archiveName)
{
    return settingsfile::programTitle + QLatin1Char(' ') + settingsfile::version
        + QLatin1String(" - ") + archiveName;
}

ProfileStatus createProgramFile(const QString &path, QSize screen, bool *created)
{
    *created = false;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return {};
    Profile p(path);
    p.writeText(Local, QStringLiteral("Vers"), settingsfile::version);
    p.writeText(Local, QStringLiteral("DMS"), QStringLiteral("Archive"));
    p.writeInteger(MainWin, QStringLiteral("left"), (screen.width() - 800) / 2);
    p.writeInteger(MainWin, QStringLiteral("top"), (screen.height() - 600) / 2);
    p.writeInteger(MainWin, QStringLiteral("width"), 800);
    p.writeInteger(MainWin, QStringLiteral("height"), 600);
    p.writeInteger(MainWin, QStringLiteral("state"), 0);
    const ProfileStatus status = p.save();
    *created = status.isOk();
    return status;
}

void readProgramSettings(
    Settings &s, const QString &path, const QStringList &arguments, QSize screen)
{
    const Profile p(path);
    // An empty argument names no archive (it would make the file ".ini").
    s.archiveName = arguments.size() == 1 && !arguments.first().isEmpty()
        ? arguments.first()
        : p.readText(Local, QStringLiteral("DMS"), QStringLiteral("Archive"));
    s.fileManagerPath = p.readText(Local, QStringLiteral("Cmd"), QString());
    LayoutSettings &w = s.layout;
    w.top = p.readInteger(MainWin, QStringLiteral("top"), 1);
    w.left = p.readInteger(MainWin, QStringLiteral("left"), 1);
    w.height = p.readInteger(MainWin, QStringLiteral("height"), 600);
    w.width = p.readInteger(MainWin, QStringLiteral("width"), 800);
    w.windowState = p.readInteger(MainWin, QStringLiteral("state"), 0);
    // QRect would turn a width of 0 or less into an empty rectangle with other edges, so
    // the four values are set one by one.
    const qint32 edl = p.readInteger(Param, QStringLiteral("Edl"), (screen.width() - w.width) / 2);
    const qint32 edt
        = p.readInteger(Param, QStringLiteral("Edt"), (screen.height() - w.height) / 2);
    s.tagEditorBounds.setRect(edl, edt, p.readInteger(Param, QStringLiteral("Edw"), 800),
        p.readInteger(Param, QStringLiteral("Edh"), 600));
    s.gridColumnWidths[0] = p.readInteger(Param, QStringLiteral("Cfi"), 226);
    s.gridColumnWidths[2] = p.readInteger(Param, QStringLiteral("Cco"), 90);
    s.gridColumnWidths[3] = p.readInteger(Param, QStringLiteral("Cda"), 65);
    s.gridColumnWidths[4] = p.readInteger(Param, QStringLiteral("Csi"), 50);
    s.startArchiveMode = p.readInteger(Param, QStringLiteral("Opa"), 0);
}

ProfileStatus writeProgramSettings(const Settings &s, const QString &path)
{
    Profile p(path);
    p.writeText(Local, QStringLiteral("Vers"), settingsfile::version);
    if (s.startArchiveMode == 0)
        p.writeText(Local, QStringLiteral("DMS"), s.archiveName);
    p.writeText(Local, QStringLiteral("Cmd"), s.fileManagerPath);
    const LayoutSettings &w = s.layout;
    if (w.windowState != 0) {
        p.writeInteger(MainWin, QStringLiteral("state"), 1);
    } else {
        p.writeInteger(MainWin, QStringLiteral("top"), w.top);
        p.writeInteger(MainWin, QStringLiteral("left"), w.left);
        p.writeInteger(MainWin, QStringLiteral("height"), w.height);
        p.writeInteger(MainWin, QStringLiteral("width"), w.width);
        p.writeInteger(MainWin, QStringLiteral("state"), 0);
    }
    p.writeInteger(Param, QStringLiteral("Edl"), s.tagEditorBounds.left());
    p.writeInteger(Param, QStringLiteral("Edt"), s.tagEditorBounds.top());
    p.writeInteger(Param, QStringLiteral("Edh"), s.tagEditorBounds.height());
    p.writeInteger(Param, QStringLiteral("Edw"), s.tagEditorBounds.width());
    p.writeInteger(Param, QStringLiteral("Cfi"), s.gridColumnWidths[0]);
    p.writeInteger(Param, QStringLiteral("Cco"), s.gridColumnWidths[2]);
    p.writeInteger(Param, QStringLiteral("Cda"), s.gridColumnWidths[3]);
    p.writeInteger(Param, QStringLiteral("Csi"), s.gridColumnWidths[4]);
    p.writeInteger(Param, QStringLiteral("Opa"), s.startArchiveMode);
    return p.save();
}

QString normalizeEnteredRoot(const QString &text)
{
    QString root = text;
    if (!root.endsWith(QLatin1Char('\\')) && !root.endsWith(QLatin1Char('/')))
        root += root.startsWith(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\');
    if (!drives::isWindowsForm(root) && root.startsWith(QLatin1Char('\\')))
        root.remove(0, 1);
    return root;
}

QString toUsbRoot(const QString &text)
{
    const QString usb = QStringLiteral("%usb%");
    if (drives::isWindowsForm(text))
        return usb + text.mid(2);
    if (text.startsWith(QLatin1Char('/'))) {
        const QString clean = collapseSeparators(text);
        return usb + clean.mid(drives::driveOf(clean).size() - 1);
    }
    return usb + text;
}

ProfileStatus createArchiveFile(const QString &path, const QString &storedRoot)
{
    Profile p(path);
    p.writeText(Local, QStringLiteral("Path"), storedRoot);
    return p.save();
}

ProfileStatus readArchiveSettings(Settings &s, const QString &path, const ProgramFolder &program)
{
    const Profile p(path);
    if (!p.loadStatus().isOk())
        return p.loadStatus();
    s.rootPath = resolveRootPath(p.readText(Local, QStringLiteral("Path"), QString()), program);
    Reader reader { p };
    archiveKeys(reader, s);
    return {};
}

ProfileStatus writeArchiveSettings(const Settings &s, const QString &path)
{
    Profile p(path);
    Writer writer { p };
    archiveKeys(writer, s);
    return p.save();
}

QString resolveRootPath(const QString &stored, const ProgramFolder &program)
{
    QString root = stored;
    const int usb = int(root.indexOf(QLatin1String("%usb%"), 0, Qt::CaseInsensitive));
    if (usb >= 0)
        root.replace(usb, 5, drives::driveOf(program.executablePath));
    if (drives::isWindowsForm(root))
        return root;
    if (!drives::isAbsolute(root))
        root.prepend(program.folder);
    root.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return withSeparator(collapseSeparators(root));
}

QString rootDrive(const QString &rootPath)
{
    return drives::driveOf(rootPath);
}

bool rootDriveExists(const QString &rootPath)
{
    return drives::driveExists(drives::driveOf(rootPath));
}

qint32 fitGridHeight(qint32 gridHeight, qint32 panelHeight)
{
    return gridHeight > panelHeight - 5 ? panelHeight - 5 : gridHeight;
}
