#include "archivepart.h"

#include "app/archivelist.h"
#include "app/settings.h"
#include "archivechooser.h"
#include "dialogs/velmark.h"
#include "store/catalogtable.h"
#include "tform1.h"
#include "tform2.h"
#include "unattended.h"

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

// IndexOrder names an order "1" to "4"; anything else opens the name order.
int orderNumber(const QString &indexOrder)
{
    bool isNumber = false;
    const int n = indexOrder.trimmed().toInt(&isNumber);
    return (isNumber && n >= 1 && n <= 4) ? n : 1;
}

} // namespace

ArchivePart::ArchivePart(TForm1 &form, ArchiveEnvironment environment)
    : QObject(&form)
    , m_form(form)
    , m_env(std::move(environment))
{
    m_form.installEventFilter(this);
    if (!m_env.askRoot)
        m_env.askRoot = [](const QString &caption, const QString &initial, QString *answer) {
            return TForm2::askRootFolder(caption, initial, answer);
        };
    if (!m_env.chooseArchive)
        m_env.chooseArchive = [this](const QString &caption) {
            return ArchiveChooser::choose(
                &m_form, caption, archiveNames(m_env.program), m_form.state().settings.ArchiveName);
        };
}

void ArchivePart::LoadProgramSettings()
{
    Settings &s = m_form.state().settings;
    const ProfileStatus status
        = loadProgramSettings(s, m_env.program, m_env.arguments, screenSize());
    if (!status.isOk()) {
        // Without a program-wide file nothing the user does could be kept.
        reportWriteFailure(status);
        endWithoutSaving();
        return;
    }
    m_form.applyWindowBounds();
    m_form.applyProgramColumnWidths();
    OpenArchive();
}

void ArchivePart::OpenArchive()
{
    // A missing drive may lead to another archive, and that one's drive may be missing
    // too; each round is the user's choice, so the loop ends when they stop choosing.
    while (openOnce() == Step::OtherArchive) { }
}

ArchivePart::Step ArchivePart::openOnce()
{
    AppState &state = m_form.state();
    Settings &s = state.settings;
    m_form.setArchiveCaption(s.ArchiveName);

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
        endWithoutSaving();
        return Step::Ended;
    }
    applyArchiveValues();

    if (!checkRootDrive(s)) {
        const QString other = ChooseArchive(QStringLiteral("another archive or ESC"));
        if (other.isEmpty() || sameArchiveName(other, s.ArchiveName)) {
            endWithoutSaving();
            return Step::Ended;
        }
        s.ArchiveName = other;
        SaveProgramSettings();
        return Step::OtherArchive;
    }

    enterArchiveFolders(s, m_env.program);
    state.FollowCurrentRecord = false;
    if (!openTable())
        return Step::Ended;
    state.FollowCurrentRecord = true;
    return Step::Opened;
}

void ArchivePart::applyArchiveValues()
{
    // The main window turns grid height (kept short of the right panel), tree width, File
    // column, toolbar colour and marks and the view font into its controls.
    m_form.applyArchiveLayout();
    if (!m_form.isVisible()) {
        // Before the first show the right panel has no height yet to measure the grid
        // against; the limit is applied once the window is laid out.
        m_pendingGridHeight = m_form.state().settings.layout.gridHeight;
        m_gridHeightPending = true;
        m_form.setGridHeight(m_pendingGridHeight);
    }
    m_form.ApplyViewLook(&m_form);
}

bool ArchivePart::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_form && event->type() == QEvent::Show && m_gridHeightPending) {
        // Queued, so that the splitters have taken their sizes from the shown window.
        QTimer::singleShot(0, this, [this] {
            if (!m_gridHeightPending)
                return;
            m_gridHeightPending = false;
            m_form.setGridHeight(fitGridHeight(m_pendingGridHeight, m_form.Panel1->height()));
        });
    }
    return QObject::eventFilter(watched, event);
}

bool ArchivePart::openTable()
{
    AppState &state = m_form.state();
    const Settings &s = state.settings;
    CatalogTable *table = state.Dbf1;
    if (table->isOpen())
        table->close();
    table->setFollowFlag(&state.FollowCurrentRecord);
    const int order = orderNumber(s.IndexOrder);
    const DbStatus st = table->open(s.RootPath, s.ArchiveName, QByteArray::number(order));
    if (!st) {
        if (st.code() == DbStatus::Locked) {
            LockFailure();
        } else {
            // A damaged or unwritable table is no lock; its own message names the file.
            ShowDialog(DialogKind::Error, st.message());
            endWithoutSaving();
        }
        return false;
    }
    m_archiveOpen = true;
    table->DeletedCount = s.DeletedCount;
    table->SwitchOrder(order);
    return true;
}

void ArchivePart::LockFailure()
{
    showLockFailure();
    endWithoutSaving();
}

void ArchivePart::SaveArchiveSettings()
{
    AppState &state = m_form.state();
    Settings &s = state.settings;
    if (!m_archiveOpen)
        return;
    m_archiveOpen = false;
    CatalogTable *table = state.Dbf1;
    if (table && table->isOpen()) {
        s.IndexOrder = QString::fromLatin1(table->orderName());
        s.DeletedCount = table->DeletedCount;
        // Closing first drops a record edit that was never confirmed.
        const DbStatus closed = table->close();
        if (!closed)
            ShowDialog(DialogKind::Error, closed.message());
    }
    m_form.storeWindowLayout();
    reportWriteFailure(writeArchiveSettings(s, archiveFilePath(m_env.program, s.ArchiveName)));
}

void ArchivePart::SaveProgramSettings()
{
    Settings &s = m_form.state().settings;
    m_form.storeWindowLayout();
    reportWriteFailure(writeProgramSettings(s, programFilePath(m_env.program)));
}

QString ArchivePart::ChooseArchive(const QString &caption)
{
    return m_env.chooseArchive(caption);
}

void ArchivePart::endWithoutSaving()
{
    AppState &state = m_form.state();
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

ArchivePart *installArchive(TForm1 &form)
{
    ArchiveEnvironment env;
    env.program = programfolder::locate(QCoreApplication::applicationFilePath());
    env.arguments = QCoreApplication::arguments().mid(1);
    if (unattended::active()) {
        env.askRoot = unattended::answerRootQuestion;
        env.chooseArchive = unattended::answerArchiveList;
    }
    return installArchive(form, std::move(env));
}

ArchivePart *installArchive(TForm1 &form, ArchiveEnvironment environment)
{
    auto *part = new ArchivePart(form, std::move(environment));
    form.setHandler(QStringLiteral("LoadProgramSettings"), [part] { part->LoadProgramSettings(); });
    form.setHandler(QStringLiteral("OpenArchive"), [part] { part->OpenArchive(); });
    form.setHandler(QStringLiteral("SaveArchiveSettings"), [part] { part->SaveArchiveSettings(); });
    form.setHandler(QStringLiteral("SaveProgramSettings"), [part] { part->SaveProgramSettings(); });
    form.setHandler(QStringLiteral("LockFailure"), [part] { part->LockFailure(); });
    return part;
}
