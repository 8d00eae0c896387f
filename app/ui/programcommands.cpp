#include "programcommands.h"

#include "app/helpfile.h"
#include "dialogs/shareddialog.h"
#include "helpwindow.h"
#include "state/settingslook.h"
#include "store/catalogtable.h"

#include <QCoreApplication>
#include <QUrl>

ProgramCommands::ProgramCommands(
    AppState &state, CommandPort &commands, ProgramFolder program, LookWindow window)
    : m_state(state)
    , m_commands(commands)
    , m_program(std::move(program))
    , m_window(std::move(window))
    , m_choosers(SettingsDialog::platformChoosers())
{
}

ProgramCommands::~ProgramCommands()
{
    // Help windows belong to no window; those still open go with the program.
    for (const QPointer<HelpWindow> &w : std::as_const(m_helpWindows))
        delete w.data();
}

void ProgramCommands::editSettings()
{
    Settings &s = m_state.settings;
    const QPalette palette = m_window.window ? m_window.window->palette() : QPalette();
    // The toolbar's colour as the dialog starts with it; a stored system colour stays
    // one while the toolbar still shows it.
    const QColor shown = m_window.toolbarColor();
    const quint32 toolbar
        = toQColor(s.toolbarColor, palette) == shown ? s.toolbarColor : fromQColor(shown);
    SettingsDialogValues values = dialogValues(s, toolbar);
    CatalogTable *table = m_state.openTable();
    if (table)
        values.filesWithoutExtension = table->choices().extensionless ? 1 : 0;
    const int extensionlessBefore = values.filesWithoutExtension;
    {
        SettingsDialog dialog(values, s, m_choosers, m_window.window);
        if (dialog.exec() != QDialog::Accepted)
            return;
        values = dialog.values();
    }
    m_window.setToolbarColor(toQColor(values.toolbarColor, palette));
    s.toolbarColor = values.toolbarColor;
    assignDialogValues(values, &s);
    m_state.viewFont = toQFont(s.viewFont);
    m_window.applyViewLook();
    // The choice belongs to the catalogue: it goes into its table, for the next update.
    if (table && values.filesWithoutExtension >= 0
        && values.filesWithoutExtension != extensionlessBefore)
        if (const DbStatus st = table->setExtensionless(values.filesWithoutExtension == 1); !st)
            showDialog(DialogKind::Error, st.message());
}

void ProgramCommands::showHelp()
{
    const QString file = m_state.settings.helpFilePath;
    if (file.isEmpty())
        return;
    m_helpWindows.removeAll(nullptr);
    HelpWindow *window = nullptr;
    for (const QPointer<HelpWindow> &w : std::as_const(m_helpWindows))
        if (w && w->helpFile() == file)
            window = w;
    if (!window) {
        window = new HelpWindow(file);
        m_helpWindows << window;
    }
    window->showDefaultTopic();
    window->show();
    window->raise();
    window->activateWindow();
}

void ProgramCommands::showInfo()
{
    // The link leads to the guide installed with the program; without one there is none.
    const QString guide = m_state.settings.helpFilePath;
    showDialog(DialogKind::About, noticeLine(),
        guide.isEmpty() ? QString() : QUrl::fromLocalFile(guide).toString());
}

void ProgramCommands::chooseHelpFile(const QString &languageCode)
{
    QString &path = m_state.settings.helpFilePath;
    path = ::chooseHelpFile(helpFolders(m_program), languageCode);
    m_commands.setCommandEnabled(Command::Help, !path.isEmpty());
}

void ProgramCommands::closeHelpWindows()
{
    // Closed windows delete themselves; the list forgets them as they go.
    for (const QPointer<HelpWindow> &w : std::as_const(m_helpWindows))
        if (w)
            w->close();
}

QList<HelpWindow *> ProgramCommands::helpWindows() const
{
    QList<HelpWindow *> open;
    for (const QPointer<HelpWindow> &w : m_helpWindows)
        if (w)
            open << w.data();
    return open;
}

QString ProgramCommands::noticeLine()
{
    return QCoreApplication::translate(
        "ProgramCommands", "Tabulon %1 - the catalogue of your files with notes, tags and texts")
        .arg(settingsfile::version);
}
