#include "catalogtable.h"

#include "platform/diskpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

const char kRenameFailed[] = QT_TRANSLATE_NOOP("Store", "File  '%1'  could not be renamed !");

// The folder whose record is current, compared in the form DIR holds.
QByteArray dirOf(const DbfTable &t)
{
    return t.fieldBytes(CatalogTable::DIR);
}

} // namespace

const std::vector<DbfField> &CatalogTable::layout()
{
    static const std::vector<DbfField> fields = [] {
        std::vector<DbfField> f = {
            { "DIR", 'C', DirWidth, 0 },
            { "NAME", 'C', NameWidth, 0 },
            { "DATE", 'D', 8, 0 },
            { "NOTE", 'C', NoteWidth, 0 },
            { "CODE", 'C', CodeWidth, 0 },
            { "SIZE", 'C', SizeWidth, 0 },
        };
        int offset = 1;
        for (auto &field : f) {
            field.offset = offset;
            offset += field.width;
        }
        return f;
    }();
    return fields;
}

const std::vector<DbfTagDef> &CatalogTable::tags()
{
    static const std::vector<DbfTagDef> t = {
        { "1", "DIR+UPPER(SUBSTR(NAME,1,20))" },
        { "2", "DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))" },
        { "3", "DIR+CODE+UPPER(SUBSTR(NAME,1,10))" },
        { "4", "DIR+UPPER(SUBSTR(NOTE,1,20))" },
    };
    return t;
}

CatalogTable::CatalogTable(QObject *parent)
    : QObject(parent)
{
    // What the table did about a damaged index, or an index it cannot rebuild, reaches the
    // user once the running command is over, not from inside one of its walks.
    m_table.setNoticeHandler([this](const QString &message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                if (m_reportError)
                    m_reportError(message);
            },
            Qt::QueuedConnection);
    });
}

CatalogTable::~CatalogTable() = default;

QString CatalogTable::fileName() const
{
    return m_tablePath;
}

DbStatus CatalogTable::open(const QString &rootPath, const QString &archiveName,
    const QByteArray &indexOrder, const TableChoices &newChoices)
{
    m_rootPath = QDir::fromNativeSeparators(rootPath);
    if (!m_rootPath.endsWith(QLatin1Char('/')))
        m_rootPath += QLatin1Char('/');
    m_archiveName = archiveName;
    // The table of the archive is found without regard to case, as every other file.
    const QString name = archiveName + QStringLiteral(".dbf");
    m_tablePath = name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/'))
        ? m_rootPath + name
        : diskpath::resolve(m_rootPath, name);
    const QString path = m_tablePath;
    if (!QFileInfo::exists(path)) {
        DbStatus st = DbfTable::create(path, layout(), tags(), newChoices);
        if (!st)
            return st;
    }
    DbStatus st = m_table.open(path, tags(), layout());
    if (!st)
        return st;
    m_table.setHooks({ [this] { return insertAllowed(); }, [this] { rememberNameBeforeEdit(); },
        [this] { return checkBeforePost(); } });
    resetCurrentFolder();
    bool isNumber = false;
    const int n = indexOrder.toInt(&isNumber);
    m_orderName = (isNumber && n >= 1 && n <= 4) ? QByteArray::number(n) : QByteArray("1");
    st = m_table.setOrder(m_orderName);
    if (!st)
        return st;
    return applyRange();
}

DbStatus CatalogTable::close()
{
    if (!m_table.isOpen())
        return DbStatus::ok();
    if (m_table.state() != DbfTable::State::Browse)
        m_table.cancel();
    return m_table.close();
}

bool CatalogTable::isOpen() const
{
    return m_table.isOpen();
}

QByteArray CatalogTable::folderKey(const QString &folderPath, const TextCodec &codec)
{
    return codec.upper(codec.fromUnicode(folderPath));
}

std::pair<QByteArray, QByteArray> CatalogTable::folderRange(
    const QString &folderPath, const TextCodec &codec)
{
    const QByteArray key = folderKey(folderPath, codec);
    // A path that DIR cannot hold has no records. Cut to 80 characters it would admit
    // the records of an ancestor, and a command on them would act on that folder's files.
    if (key.size() > DirWidth)
        return { QByteArray(1, '\xFF'), QByteArray() };
    QByteArray high = key;
    high.append(QByteArray(DirWidth - high.size(), ' '));
    high.append('\xFF');
    return { key, high };
}

void CatalogTable::resetCurrentFolder()
{
    m_currentFolder.clear();
    m_folderApplied = false;
}

DbStatus CatalogTable::setFolderRange(const QString &folderPath)
{
    m_currentFolder = folderPath;
    m_folderApplied = true;
    return applyRange();
}

DbStatus CatalogTable::applyRange()
{
    const auto [low, high] = folderRange(m_folderApplied ? m_currentFolder : QString());
    return m_table.setRange(low, high);
}

DbStatus CatalogTable::switchOrder(int n)
{
    if (n == 0) {
        static const QByteArray names[] = { "1", "2", "3", "4" };
        static const int nextOf[] = { 4, 1, 2, 3 };
        for (int i = 0; i < 4; ++i)
            if (m_table.order() == names[i])
                n = nextOf[i];
    }
    emit orderSwitching();
    DbStatus st;
    {
        const DetachedViews detached(*this);
        const qint64 remembered = m_table.recNo();
        st = m_table.cancelRange();
        if (st && n >= 1 && n <= 4) {
            m_orderName = QByteArray::number(n);
            st = m_table.setOrder(m_orderName);
        }
        if (st)
            st = applyRange();
        if (st && remembered > 0 && !m_table.goTo(quint32(remembered)))
            st = m_table.first();
    }
    emit orderSwitched(n);
    return st;
}

DbStatus CatalogTable::setPhysicalOrder()
{
    return m_table.setOrder(QByteArray());
}

DbStatus CatalogTable::restoreOrder()
{
    DbStatus st = m_table.setOrder(m_orderName);
    return st ? applyRange() : st;
}

void CatalogTable::detachViews()
{
    if (m_detachDepth++ == 0)
        emit viewsDetached();
}

void CatalogTable::attachViews()
{
    if (m_detachDepth == 0)
        return;
    if (--m_detachDepth == 0)
        emit viewsAttached();
}

bool CatalogTable::insertAllowed()
{
    return !m_recordEditMode;
}

void CatalogTable::rememberNameBeforeEdit()
{
    if (m_recordEditMode)
        nameBeforeEdit = m_table.fieldText(NAME);
}

QString CatalogTable::cleanTags(const QString &typed, const TextCodec &codec)
{
    const QString upper = codec.upperText(typed);
    QString out;
    for (QChar c : upper)
        if (c != QLatin1Char(' ') && !out.contains(c) && codec.isSingleByte(QString(c)))
            out += c;
    return out;
}

bool CatalogTable::acceptableName(const QString &name) const
{
    const bool extension = choices().extensionless || name.contains(QLatin1Char('.'));
    return !name.isEmpty() && extension && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && codec().isExpressible(name) && codec().byteLength(name) <= NameWidth;
}

DbStatus CatalogTable::checkBeforePost()
{
    if (!m_recordEditMode)
        return DbStatus::ok();
    m_table.setFieldText(CODE, cleanTags(m_table.fieldText(CODE), codec()));

    const QString name = m_table.fieldText(NAME);
    if (name == nameBeforeEdit)
        return DbStatus::ok();
    if (!acceptableName(name)) {
        m_table.setFieldText(NAME, nameBeforeEdit);
        return DbStatus::ok();
    }
    const QString dir = codec().toUnicode(dirOf(m_table));
    const DbStatus st = renameOnDisk(dir, nameBeforeEdit, name);
    if (!st) {
        // Keeping the old name keeps note and tags with the file: a record under a name
        // that is not on disk would be swept away by the next folder update.
        m_table.setFieldText(NAME, nameBeforeEdit);
        if (m_reportError)
            m_reportError(st.message());
    }
    return DbStatus::ok();
}

DbStatus CatalogTable::renameOnDisk(
    const QString &dir, const QString &oldName, const QString &newName)
{
    const QString failed = QCoreApplication::translate("Store", kRenameFailed).arg(oldName);
    const QString source = diskpath::resolve(m_rootPath, dir + oldName);
    const QString target = diskpath::resolve(m_rootPath, dir + newName);
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists() && !sourceInfo.isSymLink())
        return { DbStatus::NotFound, failed };
    // A case-only rename resolves the target to the source itself; anything else that
    // exists under the new name must not be replaced.
    const QFileInfo targetInfo(target);
    const bool sameFile
        = targetInfo.exists() && targetInfo.canonicalFilePath() == sourceInfo.canonicalFilePath();
    const QString finalTarget = QFileInfo(source).absolutePath() + QLatin1Char('/') + newName;
    if ((targetInfo.exists() || targetInfo.isSymLink()) && !sameFile)
        return { DbStatus::IoError, failed };
    if (!QDir().rename(source, finalTarget))
        return { DbStatus::IoError, failed };

    const QString infoSource = diskpath::resolve(m_rootPath, dir + oldName + QStringLiteral(".!"));
    if (QFileInfo::exists(infoSource)) {
        const QString infoTarget = finalTarget + QStringLiteral(".!");
        const QFileInfo infoTargetInfo(
            diskpath::resolve(m_rootPath, dir + newName + QStringLiteral(".!")));
        const bool sameInfo = infoTargetInfo.exists()
            && infoTargetInfo.canonicalFilePath() == QFileInfo(infoSource).canonicalFilePath();
        if ((infoTargetInfo.exists() && !sameInfo) || !QDir().rename(infoSource, infoTarget)) {
            // The file must not be parted from its text: undo the first rename. Should
            // even that fail, the file keeps its new name and the caller keeps it too.
            if (!QDir().rename(finalTarget, source))
                return DbStatus::ok();
            return { DbStatus::IoError,
                QCoreApplication::translate("Store", kRenameFailed)
                    .arg(oldName + QStringLiteral(".!")) };
        }
    }
    return DbStatus::ok();
}

DbStatus CatalogTable::packStep(Progress *progress)
{
    DbStatus st;
    {
        const DetachedViews detached(*this);
        st = m_table.cancelRange();
        if (st)
            st = m_table.pack(progress);
        if (st)
            deletedCount = 0;
    }
    if (st)
        st = m_table.first();
    return st;
}

void CatalogTable::setTagFilter(std::function<bool(const DbfTable &)> filter)
{
    m_table.setFilter(std::move(filter));
}

void CatalogTable::switchTagFilterOff()
{
    if (!m_table.hasFilter())
        return;
    m_table.setFilter(nullptr);
    emit tagFilterSwitchedOff();
}
