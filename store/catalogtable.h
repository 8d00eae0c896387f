#pragma once

#include "dbftable.h"

#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

// The catalogue table: one record per catalogued file below the root folder, in the six
// fields DIR, NAME, DATE, NOTE, CODE, SIZE, with the four sort orders "1" to "4". Outside
// bulk walks the table is restricted to one folder (setFolderRange), so that every view
// and every walk sees one folder at a time in the order in force.
//
// The table knows nothing of widgets. Views follow it through the signals below: a walk
// over many records is bracketed by viewsDetached()/viewsAttached(), and the views repaint
// once when they are attached again.
class CatalogTable : public QObject
{
    Q_OBJECT
public:
    enum Field { DIR = 0, NAME, DATE, NOTE, CODE, SIZE };
    static constexpr int DirWidth = 80;
    static constexpr int NameWidth = 80;
    static constexpr int NoteWidth = 80;
    static constexpr int CodeWidth = 10;
    static constexpr int SizeWidth = 6;

    static const std::vector<DbfField> &layout();
    static const std::vector<DbfTagDef> &tags();

    explicit CatalogTable(QObject *parent = nullptr);
    ~CatalogTable() override;

    // Opens <root>/<archive>.dbf exclusively (the name found without regard to case),
    // creating table and index when the table file does not exist. A table whose fields
    // are not the six of layout() is refused (WrongLayout) and left as it is. rootPath is
    // the absolute root folder (native separators, trailing separator optional). The order
    // indexOrder ("1".."4", else "1") becomes current and the range of the root folder
    // itself is applied. A table created here is made with newChoices; an existing table
    // keeps its own (choices()).
    DbStatus open(const QString &rootPath, const QString &archiveName,
        const QByteArray &indexOrder = "1", const TableChoices &newChoices = {});
    DbStatus close();
    bool isOpen() const;

    DbfTable &table() { return m_table; }
    const DbfTable &table() const { return m_table; }
    QString rootPath() const { return m_rootPath; } // with a trailing '/'
    // Absolute path of the .dbf as found at the last open (its letter case as on disk).
    QString fileName() const;

    // The choices the table was made with, and the codec of its texts.
    const TableChoices &choices() const { return m_table.choices(); }
    const TextCodec &codec() const { return m_table.codec(); }
    // Whether files without an extension are catalogued from the next update on.
    DbStatus setExtensionless(bool on) { return m_table.setExtensionless(on); }

    // Field access on the current record, decoded by the table's codec.
    QString text(Field f) const { return m_table.fieldText(f); }
    QDate date() const { return m_table.fieldDate(DATE); }
    void setText(Field f, const QString &value) { m_table.setFieldText(f, value); }

    // Restricts the order in force to the records whose DIR equals the upper-cased folder
    // path (A\B\ form; empty for the root folder itself) and remembers the folder.
    DbStatus setFolderRange(const QString &folderPath);
    QString currentFolder() const { return m_currentFolder; }
    bool folderApplied() const { return m_folderApplied; }
    // Forgets the folder that was applied, as when a new archive is opened.
    void resetCurrentFolder();

    // K: the folder path upper-cased in the table's encoding, as DIR holds it.
    QByteArray folderKey(const QString &folderPath) const { return folderKey(folderPath, codec()); }
    static QByteArray folderKey(const QString &folderPath, const TextCodec &codec);
    // The range keys (low, high) of a folder path: K, and K padded to 80 followed by 0xFF
    // (a byte that neither encoding uses in a text). For a path longer than DIR (which no
    // record can hold), keys that admit no record.
    std::pair<QByteArray, QByteArray> folderRange(const QString &folderPath) const
    {
        return folderRange(folderPath, codec());
    }
    static std::pair<QByteArray, QByteArray> folderRange(
        const QString &folderPath, const TextCodec &codec);

    // n = 1..4 selects order "n"; 0 steps File -> Note -> Tags -> Date -> File. Keeps the
    // current record where it belongs to the current folder.
    DbStatus switchOrder(int n);
    // The name of the order in force, kept for saving even while a walk drops the order.
    QByteArray orderName() const { return m_orderName; }
    // Sets the physical order for a walk over the whole table (range dropped).
    DbStatus setPhysicalOrder();
    // Sets the remembered order again (and the range of the current folder).
    DbStatus restoreOrder();

    // Views: detached during walks, attached (and refreshed once) afterwards. Nested pairs
    // are allowed; only the outermost attach tells the views.
    void detachViews();
    void attachViews();
    bool isDetached() const { return m_detachDepth > 0; }

    // Record rules: active only while the grid accepts input.
    void setRecordEditMode(bool on) { m_recordEditMode = on; }
    bool recordEditMode() const { return m_recordEditMode; }
    bool insertAllowed();
    void rememberNameBeforeEdit();
    DbStatus checkBeforePost();
    QString nameBeforeEdit;

    // The tag filter: a per-record predicate over the current record, applied in addition
    // to the range. Walks that must see every record of a folder switch it off; the
    // filter's owner hears of that through tagFilterSwitchedOff().
    void setTagFilter(std::function<bool(const DbfTable &)> filter);
    void switchTagFilterOff();
    bool tagFilterOn() const { return m_table.hasFilter(); }

    // Records marked deleted since the last reorganisation (archive setting).
    int deletedCount = 0;

    // The pack step of the reorganisation: records marked deleted leave the file, the
    // orders are rebuilt, deletedCount becomes 0 and the first record is current. Stopped
    // through progress (see DbfTable::pack), nothing changes but the range (Cancelled).
    DbStatus packStep(Progress *progress = nullptr);

    // Tells the user about a failure the table handled itself (e.g. a refused rename, a
    // damaged index rebuilt, an index that cannot be rebuilt for want of room: those are
    // told from the event loop, after the command that met them).
    // The application installs the shared dialog here; unset, messages are dropped.
    void setErrorReporter(std::function<void(const QString &)> reporter)
    {
        m_reportError = std::move(reporter);
    }

    // Renames a file and its info file below the root folder (catalogue-relative folder,
    // names as on disk). Refuses to replace another existing file. Used by the record
    // rules and by the file commands.
    DbStatus renameOnDisk(const QString &dir, const QString &oldName, const QString &newName);

    // Cleans a typed tag string: upper case, no blanks, each character once, and only
    // characters the encoding stores in one byte (a tag is one byte of CODE).
    static QString cleanTags(const QString &typed, const TextCodec &codec);

    // A name the user may give a file: not empty, one path component, storable, and with
    // a dot unless the table takes files without an extension.
    bool acceptableName(const QString &name) const;

signals:
    // An order switch begins: the record stays where it is, so the views need not load it
    // again when they are attached at the switch's end (orderSwitched follows).
    void orderSwitching();
    void viewsDetached();
    void viewsAttached();
    // An order switch ended; n (1..4) is the order now in force, 0 when the order in force
    // had no known name and nothing changed. The grid marks titles and clears the search.
    void orderSwitched(int n);
    // A record was written, appended or deleted outside a walk (the grid refreshes).
    void recordsChanged();
    void tagFilterSwitchedOff();

private:
    DbStatus applyRange();

    DbfTable m_table;
    QString m_rootPath;
    QString m_archiveName;
    QString m_tablePath;
    QString m_currentFolder;
    bool m_folderApplied = false;
    QByteArray m_orderName = "1";
    int m_detachDepth = 0;
    bool m_recordEditMode = false;
    std::function<void(const QString &)> m_reportError;
};

// Keeps the views detached from the table for a walk over many records, however the walk
// ends; they repaint once at the outermost attach.
class DetachedViews
{
public:
    explicit DetachedViews(CatalogTable &table)
        : m_table(table)
    {
        m_table.detachViews();
    }
    ~DetachedViews() { m_table.attachViews(); }
    DetachedViews(const DetachedViews &) = delete;
    DetachedViews &operator=(const DetachedViews &) = delete;

private:
    CatalogTable &m_table;
};
