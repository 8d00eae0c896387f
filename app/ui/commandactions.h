#pragma once

#include "state/commandstates.h"
#include "views/ui/mainviews.h"

#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <QSet>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class QWidget;

// The main window's commands as actions, built from the command table: the main menu, the
// buttons of both toolbars, the pop-up menus and the window-wide keys. Each command runs
// the one handler attached to it, inside the error box's guard, and not at all once the
// program is ending. A command without a handler is disabled everywhere and says so in its
// tooltip.
class CommandActions : public QObject, public CommandPort
{
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    // Runs a handler; a failure escaping it is shown and the program goes on.
    using Guard = std::function<void(const Handler &)>;

    CommandActions(QWidget &window, const AppState &state, Guard guard);
    ~CommandActions() override;

    // The drop-down menus of the menu bar; the items' keys act on the whole window.
    void buildMainMenu(QMenuBar *bar);
    // Icon-only buttons in the top toolbar's order.
    void fillTopToolbar(QToolBar *bar);
    // The buttons of the function-key toolbar, F1 to F12.
    std::vector<QToolButton *> createFunctionKeyButtons(QWidget *parent);
    // The pop-up menu of a view, opened by its context-menu request. Keys of its items
    // act while the view has the focus.
    QMenu *buildPopup(Popup popup, QWidget *owner);
    // Runs before the pop-up menu opens (prepareTextMenu, say).
    void setPopupPreparation(Popup popup, Handler prepare);

    void attach(Command command, Handler handler);
    bool hasHandler(Command command) const;
    // The main-menu item (or window key) of a command; null for pop-up-only commands.
    QAction *action(Command command) const;
    // The item of a pop-up menu that runs the command; null when there is none.
    QAction *popupAction(Popup popup, Command command) const;

    void setCommandEnabled(Command command, bool enabled) override;
    void applyMode(UiMode mode) override;
    void runCommand(Command command) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *createMainAction(const CommandInfo &info);
    QAction *createPopupAction(QMenu *menu, const PopupItem &item, QWidget *owner);
    void setItemState(QAction *item, bool enabled);
    void setKeyActive(QAction *item, bool active);
    void refreshItem(QAction *item);
    void connectItem(QAction *item, Command command);
    std::vector<QAction *> itemsOf(Command command) const;
    QAction *itemAt(Command command, CommandPlace place) const;

    QWidget &m_window;
    const AppState &m_state;
    Guard m_guard;
    std::array<Handler, CommandCount> m_handlers;
    std::array<QAction *, CommandCount> m_main {};
    std::array<std::vector<QAction *>, PopupCount> m_popupItems;
    std::array<Handler, PopupCount> m_prepare;
    QHash<QAction *, Command> m_commandOf;
    QHash<QAction *, bool> m_wanted; // enabled as the families want it, handler aside
    QHash<QAction *, QKeySequence> m_keys; // the key each item has when active
    QSet<QAction *> m_keysTaken; // items whose key the UI mode took away
};
