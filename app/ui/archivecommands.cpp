#include "archivecommands.h"

#include "app/appstate.h"
#include "app/archivelist.h"
#include "app/archiveswitch.h"
#include "app/settings.h"
#include "dialogs/shareddialog.h"
#include "rootfolderdialog.h"
#include "store/catalogtable.h"
#include "unattended.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace
{

QSize screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(800, 600);
}

// IndexOrder names an order "1" to "4"; anything else opens the name order.
int orderNumber(const QString &indexOrder)
{
    bool isNumber = false;
    const int n = indexOrder.trimmed().toInt(&isNumber);
    return (isNumber && n >= 1 && n <= 4) ? n : 1;
}

} // namespace

ArchiveEnvironment ArchiveEnvironment::ofProgram()
{
    ArchiveEnvironment env;
    env.program = programfolder::locate(QCoreApplication::applicationFilePath());
    env.arguments = QCoreApplication::arguments().mid(1);
    if (unattended::active()) {
        env.askRoot = unattended::answerRootQuestion;
        env.chooseArchive = unattended::answerArchiveList;
    }
    return env;
}

ArchiveCommands::ArchiveCommands(
    AppState &state, ArchiveWindow &window, ArchiveEnvironment environment)
    : m_state(state)
    , m_window(window)
    , m_env(std::move(environment))
{
    if (!m_env.askRoot)
        m_env.askRoot = [](const QString &caption, const QString &initial, QString *answer) {
            return RootFolderDialog::askRootFolder(caption, initial, answer);
        };
}

void ArchiveCommands::LoadProgramSettings()
{
    Settings &s = m_state.settings;
    const ProfileStatus status
        = loadProgramSettings(s, m_env.program, m_env.arguments, screenSize());
    if (!status.isOk()) {
        // Without a program-wide file nothing the user does could be kept.
        reportWriteFailure(status);
        endWithoutSaving();
        return;
    }
    m_window.applyWindowBounds();
    m_window.applyProgramColumnWidths();
    OpenArchive();
}

void ArchiveCommands::OpenArchive()
{
    // A missing drive may lead to another archive, and that one's drive may be missing
    // too; each round is the user's choice, so the loop ends when they stop choosing.
    while (openOnce() == Step::OtherArchive) { }
}

ArchiveCommands::Step ArchiveCommands::openOnce()
{
    Settings &s = m_state.settings;
    m_window.setArchiveCaption(s.ArchiveName);
    // A name from the command line or the program-wide file is checked here: one that
    // cannot be an archive's must not name files, nor stop the start.
    if (!checkArchiveName(s.ArchiveName))
        return offerOtherArchive();

    ProfileStatus status;
    switch (readOrCreateArchiveFile(s, m_env.program, m_env.askRoot, &status)) {
    case ArchiveFileResult::Read:
        break;
    case ArchiveFileResult::Cancelled:
        endWithoutSaving();
        return Step::Ended;
    case ArchiveFileResult::WriteRefused:
    case ArchiveFileResult::Unreadable:
        reportWriteFailure(status);
        return offerOtherArchive();
    }
    // Grid height (kept short of the right panel), tree width, File column, toolbar
    // colour and marks, the view font and the view look.
    m_window.applyArchiveLayout();

    if (!checkRootDrive(s))
        return offerOtherArchive();

    enterArchiveFolders(s, m_env.program);
    m_state.FollowCurrentRecord = false;
    if (!openTable())
        return m_state.ending ? Step::Ended : offerOtherArchive();
    m_state.FollowCurrentRecord = true;
    return Step::Opened;
}

// The archive that could not be opened has said why; the user may choose another one,
// or end the program with Esc.
ArchiveCommands::Step ArchiveCommands::offerOtherArchive()
{
    Settings &s = m_state.settings;
    const QString other = ChooseArchive(QStringLiteral("another archive or ESC"));
    if (other.isEmpty() || sameArchiveName(other, s.ArchiveName)) {
        endWithoutSaving();
        return Step::Ended;
    }
    s.ArchiveName = other;
    SaveProgramSettings();
    return Step::OtherArchive;
}

bool ArchiveCommands::openTable()
{
    AppState &state = m_state;
    const Settings &s = state.settings;
    CatalogTable *table = state.Dbf1;
    if (table->isOpen())
        table->close();
    const int order = orderNumber(s.IndexOrder);
    const DbStatus st = table->open(s.RootPath, s.ArchiveName, QByteArray::number(order));
    if (!st) {
        if (st.code() == DbStatus::Locked) {
            LockFailure();
        } else {
            // A damaged or unwritable table is no lock; its own message names the file,
            // and another archive may still be chosen.
            ShowDialog(DialogKind::Error, st.message());
        }
        return false;
    }
    m_archiveOpen = true;
    table->DeletedCount = s.DeletedCount;
    table->SwitchOrder(order);
    return true;
}

void ArchiveCommands::LockFailure()
{
    showLockFailure();
    endWithoutSaving();
}

void ArchiveCommands::SaveArchiveSettings()
{
    Settings &s = m_state.settings;
    if (CatalogTable *table = m_state.openTable()) {
        s.IndexOrder = QString::fromLatin1(table->orderName());
        s.DeletedCount = table->DeletedCount;
        // Closing first drops a record edit that was never confirmed.
        const DbStatus closed = table->close();
        if (!closed)
            ShowDialog(DialogKind::Error, closed.message());
    }
    if (!m_archiveOpen)
        return;
    m_archiveOpen = false;
    m_window.storeWindowLayout();
    reportWriteFailure(writeArchiveSettings(s, archiveFilePath(m_env.program, s.ArchiveName)));
}

void ArchiveCommands::SaveProgramSettings()
{
    Settings &s = m_state.settings;
    m_window.storeWindowLayout();
    reportWriteFailure(writeProgramSettings(s, programFilePath(m_env.program)));
}

QString ArchiveCommands::ChooseArchive(const QString &caption)
{
    return m_env.chooseArchive ? m_env.chooseArchive(caption) : QString();
}

// The archive change's steps, as this program runs them.
class ArchiveCommands::Steps : public ArchiveSteps
{
public:
    explicit Steps(ArchiveCommands &commands)
        : m_c(commands)
    {
    }
    QString ChooseArchive(const QString &caption) override { return m_c.ChooseArchive(caption); }
    bool endEdit() override { return !m_c.m_endEdit || m_c.m_endEdit(); }
    void SaveArchiveSettings() override { m_c.SaveArchiveSettings(); }
    void SaveProgramSettings() override { m_c.SaveProgramSettings(); }
    bool OpenArchive() override
    {
        m_c.OpenArchive();
        return !m_c.m_state.ending;
    }
    void ShowArchive() override
    {
        if (m_c.m_showArchive)
            m_c.m_showArchive();
    }
    void relayout() override
    {
        if (m_c.m_relayout)
            m_c.m_relayout();
    }

private:
    ArchiveCommands &m_c;
};

void ArchiveCommands::setViewSteps(
    std::function<void()> showArchive, std::function<void()> relayout)
{
    m_showArchive = std::move(showArchive);
    m_relayout = std::move(relayout);
}

void ArchiveCommands::switchArchive()
{
    Steps steps(*this);
    ::switchArchive(m_state.settings, steps);
}

void ArchiveCommands::newArchive()
{
    Steps steps(*this);
    ::newArchive(m_state.settings, m_env.program, steps);
}

void ArchiveCommands::deleteArchive()
{
    Steps steps(*this);
    ::deleteArchive(m_state.settings, m_env.program, steps);
}

void ArchiveCommands::endWithoutSaving()
{
    AppState &state = m_state;
    state.startAbandoned = true;
    state.ending = true;
    if (state.Dbf1 && state.Dbf1->isOpen())
        state.Dbf1->close();
    m_archiveOpen = false;
    // Before the event loop runs, start-up sees startAbandoned instead; telling a loop that
    // does not run yet to quit would make the first one to run return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(1);
}
