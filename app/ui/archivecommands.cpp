#include "archivecommands.h"

#include "app/archivelist.h"
#include "app/archiveswitch.h"
#include "dialogs/shareddialog.h"
#include "rootfolderdialog.h"
#include "state/appstate.h"
#include "state/settings.h"
#include "store/catalogtable.h"
#include "unattended.h"

#include <QApplication>
#include <QCoreApplication>
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

// indexOrder names an order "1" to "4"; anything else opens the name order.
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
        m_env.askRoot = [](const QString &caption, const QString &initial, QString *answer,
                            CatalogueChoices *choices) {
            return RootFolderDialog::askRootFolder(caption, initial, answer, choices);
        };
}

void ArchiveCommands::loadProgramSettings()
{
    Settings &s = m_state.settings;
    const ProfileStatus status
        = ::loadProgramSettings(s, m_env.program, m_env.arguments, screenSize());
    if (!status.isOk()) {
        // Without a program-wide file nothing the user does could be kept.
        reportWriteFailure(status);
        endWithoutSaving();
        return;
    }
    m_window.applyWindowBounds();
    m_window.applyProgramColumnWidths();
    openArchive();
}

void ArchiveCommands::openArchive()
{
    // A missing drive may lead to another archive, and that one's drive may be missing
    // too; each round is the user's choice, so the loop ends when they stop choosing.
    while (openOnce() == Step::OtherArchive) { }
}

ArchiveCommands::Step ArchiveCommands::openOnce()
{
    Settings &s = m_state.settings;
    m_window.setArchiveCaption(s.archiveName);
    // A name from the command line or the program-wide file is checked here: one that
    // cannot be an archive's must not name files, nor stop the start.
    if (!checkArchiveName(s.archiveName))
        return offerOtherArchive();

    ProfileStatus status;
    switch (readOrCreateArchiveFile(s, m_env.program, m_env.askRoot, &status, &m_newChoices)) {
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
    m_state.followCurrentRecord = false;
    if (!openTable())
        return m_state.ending ? Step::Ended : offerOtherArchive();
    m_state.followCurrentRecord = true;
    return Step::Opened;
}

// The archive that could not be opened has said why; the user may choose another one,
// or end the program with Esc.
ArchiveCommands::Step ArchiveCommands::offerOtherArchive()
{
    Settings &s = m_state.settings;
    const QString other
        = chooseArchive(QCoreApplication::translate("ArchiveCommands", "another archive or ESC"));
    if (other.isEmpty() || sameArchiveName(other, s.archiveName)) {
        endWithoutSaving();
        return Step::Ended;
    }
    s.archiveName = other;
    saveProgramSettings();
    return Step::OtherArchive;
}

bool ArchiveCommands::openTable()
{
    AppState &state = m_state;
    const Settings &s = state.settings;
    CatalogTable *table = state.catalog;
    if (table->isOpen())
        table->close();
    const int order = orderNumber(s.indexOrder);
    TableChoices choices;
    choices.unicode = m_newChoices.unicode;
    choices.extensionless = m_newChoices.extensionless;
    m_newChoices = CatalogueChoices();
    const DbStatus st = table->open(s.rootPath, s.archiveName, QByteArray::number(order), choices);
    if (!st) {
        if (st.code() == DbStatus::Locked) {
            endOnLockFailure();
        } else {
            // A damaged or unwritable table is no lock; its own message names the file,
            // and another archive may still be chosen.
            showDialog(DialogKind::Error, st.message());
        }
        return false;
    }
    m_archiveOpen = true;
    table->deletedCount = s.deletedCount;
    table->switchOrder(order);
    return true;
}

void ArchiveCommands::endOnLockFailure()
{
    showLockFailure();
    endWithoutSaving();
}

void ArchiveCommands::saveArchiveSettings()
{
    Settings &s = m_state.settings;
    if (CatalogTable *table = m_state.openTable()) {
        s.indexOrder = QString::fromLatin1(table->orderName());
        s.deletedCount = table->deletedCount;
        // Closing first drops a record edit that was never confirmed.
        const DbStatus closed = table->close();
        if (!closed)
            showDialog(DialogKind::Error, closed.message());
    }
    if (!m_archiveOpen)
        return;
    m_archiveOpen = false;
    m_window.storeWindowLayout();
    reportWriteFailure(writeArchiveSettings(s, archiveFilePath(m_env.program, s.archiveName)));
}

void ArchiveCommands::saveProgramSettings()
{
    Settings &s = m_state.settings;
    m_window.storeWindowLayout();
    reportWriteFailure(writeProgramSettings(s, programFilePath(m_env.program)));
}

QString ArchiveCommands::chooseArchive(const QString &caption)
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
    QString chooseArchive(const QString &caption) override { return m_c.chooseArchive(caption); }
    bool endEdit() override { return !m_c.m_endEdit || m_c.m_endEdit(); }
    void saveArchiveSettings() override { m_c.saveArchiveSettings(); }
    void saveProgramSettings() override { m_c.saveProgramSettings(); }
    bool openArchive() override
    {
        m_c.openArchive();
        return !m_c.m_state.ending;
    }
    void showArchive() override
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
    if (state.catalog && state.catalog->isOpen())
        state.catalog->close();
    m_archiveOpen = false;
    // Before the event loop runs, start-up sees startAbandoned instead; telling a loop that
    // does not run yet to quit would make the first one to run return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(1);
}
