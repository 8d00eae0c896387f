#pragma once

#include "app/ui/settingsdialog.h"
#include "platform/programfolder.h"
#include "views/ui/mainviews.h"

#include <QColor>
#include <QList>
#include <QPointer>

#include <functional>

class HelpWindow;

// What the settings dialog changes in the main window besides the settings themselves.
struct LookWindow {
    QWidget *window = nullptr; // the dialog opens centred over it
    std::function<QColor()> toolbarColor; // the function-key toolbar's background now
    std::function<void(const QColor &)> setToolbarColor;
    std::function<void()> applyViewLook; // applyViewLook(main window)
};

// The program's own commands: the settings dialog, the help and the about box. The help
// is an HTML user guide shown in help windows of the program's own, which close when the
// main window closes.
class ProgramCommands
{
public:
    ProgramCommands(
        AppState &state, CommandPort &commands, ProgramFolder program, LookWindow window);
    ~ProgramCommands();

    // "&Settings": the settings dialog; on OK the toolbar colour, then the settings in
    // their order, then the view look of the main window.
    void editSettings();
    // "&Help": the help file at its default topic, in the help window already showing it
    // or in a new one. Nothing without a help file.
    void showHelp();
    // "&Info ...": the about box with the notice line and a link to the help file (none
    // without one).
    void showInfo();

    // Start-up: helpFilePath chosen for the user's language, and "&Help" enabled exactly
    // when there is a help file.
    void chooseHelpFile(const QString &languageCode);
    // The main window closing: every help window closes.
    void closeHelpWindows();
    QList<HelpWindow *> helpWindows() const;

    // Tests replace the platform's colour, font and file dialogs.
    void setSettingsChoosers(SettingsDialog::Choosers choosers)
    {
        m_choosers = std::move(choosers);
    }

    // The about box's message.
    static QString noticeLine();

private:
    AppState &m_state;
    CommandPort &m_commands;
    ProgramFolder m_program;
    LookWindow m_window;
    SettingsDialog::Choosers m_choosers;
    QList<QPointer<HelpWindow>> m_helpWindows;
};
