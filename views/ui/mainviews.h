#pragma once

#include "state/appstate.h"
#include "state/commandtable.h"

#include <QString>

class QPlainTextEdit;
class QTableView;
class QTreeWidget;

// What the command families see of the main window. The window owns every widget and
// outlives the families; they keep these pointers and interfaces for their whole life.

// The three views: folder tree, file grid and text pane.
struct MainViews {
    QTreeWidget *tree = nullptr;
    QTableView *grid = nullptr;
    QPlainTextEdit *textPane = nullptr;
};

// The four panels of the status bar.
class StatusPanels
{
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(int panel, const QString &text) = 0;
    virtual QString panelText(int panel) const = 0;
};

// The commands as the families steer them. A command without a handler stays disabled
// whatever is asked here.
class CommandPort
{
public:
    virtual ~CommandPort() = default;
    // Every item of the command (main menu, buttons, pop-up items).
    virtual void setCommandEnabled(Command command, bool enabled) = 0;
    // The items and keys that depend on the UI mode, as the mode in force wants them.
    virtual void applyMode(UiMode mode) = 0;
    // Runs the command's handler as its menu item would.
    virtual void runCommand(Command command) = 0;
};
