#include "commandactions.h"

#include "icons.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace
{

// "miOkClick" -> "miOk": the item's own object name.
QString itemName(const char *handler)
{
    QString name = QLatin1String(handler);
    if (name.endsWith(QLatin1String("Click")))
        name.chop(5);
    return name;
}

// The table's captions and hints are source texts of the "Command" context.
QString commandText(const char *text)
{
    return QCoreApplication::translate("Command", text);
}

QKeySequence keysOf(const char *keys)
{
    return QKeySequence::fromString(QLatin1String(keys), QKeySequence::PortableText);
}

} // namespace

CommandActions::CommandActions(QWidget &window, const AppState &state, Guard guard)
    : QObject(&window)
    , m_window(window)
    , m_state(state)
    , m_guard(std::move(guard))
{
    setObjectName(QStringLiteral("CommandActions"));
    for (int i = 0; i < CommandCount; ++i) {
        const CommandInfo &info = commandInfo(Command(i));
        if (info.menu || !info.caption)
            m_main[size_t(i)] = createMainAction(info);
    }
}

CommandActions::~CommandActions() = default;

QAction *CommandActions::createMainAction(const CommandInfo &info)
{
    auto *a = new QAction(info.caption ? commandText(info.caption) : QString(), &m_window);
    a->setObjectName(itemName(info.handler));
    if (info.icon != Icon::None)
        a->setIcon(tabulonIcon(info.icon));
    a->setCheckable(info.flags & Checkable);
    m_keys.insert(a, keysOf(info.keys));
    // Window-wide keys need the action on the window: a menu alone owns no key once the
    // menu bar is hidden.
    m_window.addAction(a);
    m_wanted.insert(a, !(info.flags & StartsDisabled));
    connectItem(a, info.command);
    return a;
}

void CommandActions::connectItem(QAction *item, Command command)
{
    m_commandOf.insert(item, command);
    connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
    refreshItem(item);
}

void CommandActions::buildMainMenu(QMenuBar *bar)
{
    QMenu *menu = nullptr;
    const char *caption = nullptr;
    for (int i = 0; i < CommandCount; ++i) {
        const CommandInfo &info = commandInfo(Command(i));
        if (!info.menu)
            continue;
        if (!caption || qstrcmp(caption, info.menu) != 0) {
            caption = info.menu;
            menu = bar->addMenu(commandText(caption));
            menu->setObjectName(QStringLiteral("menu") + itemName(info.handler));
            menu->setToolTipsVisible(true);
        }
        menu->addAction(m_main[size_t(i)]);
        if (info.flags & SeparatorAfter)
            menu->addSeparator();
    }
}

void CommandActions::fillTopToolbar(QToolBar *bar)
{
    for (Command c : topBarCommands()) {
        QAction *a = action(c);
        bar->addAction(a);
        // Twenty buttons and their gaps must fit the narrowest window (622 pixels) without
        // spilling into the overflow menu.
        if (QWidget *button = bar->widgetForAction(a)) {
            button->setFixedSize(23, 22);
            button->installEventFilter(this);
        }
    }
}

std::vector<QToolButton *> CommandActions::createFunctionKeyButtons(QWidget *parent)
{
    std::vector<QToolButton *> buttons;
    for (Command c : functionKeyCommands()) {
        auto *button = new QToolButton(parent);
        button->setObjectName(QStringLiteral("fkey_") + action(c)->objectName());
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        button->setDefaultAction(action(c));
        button->installEventFilter(this);
        buttons.push_back(button);
    }
    return buttons;
}

void CommandActions::setPopupPreparation(Popup popup, Handler prepare)
{
    m_prepare[size_t(popup)] = std::move(prepare);
}

QMenu *CommandActions::buildPopup(Popup popup, QWidget *owner)
{
    const PopupMenuInfo &info = popupMenuInfo(popup);
    auto *menu = new QMenu(&m_window);
    menu->setObjectName(QLatin1String(info.name));
    menu->setToolTipsVisible(true);
    for (size_t i = 0; i < info.count; ++i) {
        const PopupItem &item = info.items[i];
        if (!item.caption)
            menu->addSeparator();
        else
            m_popupItems[size_t(popup)].push_back(createPopupAction(menu, item, owner));
    }
    owner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(owner, &QWidget::customContextMenuRequested, menu,
        [this, owner, menu, popup](const QPoint &pos) {
            if (m_prepare[size_t(popup)] && !m_state.ending)
                m_guard(m_prepare[size_t(popup)]);
            QWidget *area = owner;
            if (auto *scroll = qobject_cast<QAbstractScrollArea *>(owner))
                area = scroll->viewport();
            menu->popup(area->mapToGlobal(pos));
        });
    return menu;
}

QAction *CommandActions::createPopupAction(QMenu *menu, const PopupItem &item, QWidget *owner)
{
    auto *a = new QAction(commandText(item.caption), menu);
    const CommandInfo &info = commandInfo(item.command);
    a->setObjectName(menu->objectName() + QLatin1Char('_') + itemName(info.handler));
    if (info.icon != Icon::None)
        a->setIcon(tabulonIcon(info.icon));
    menu->addAction(a);
    m_wanted.insert(a, !item.startsDisabled);
    if (*item.keys) {
        a->setShortcutVisibleInContextMenu(true);
        if (item.ownsKey) {
            // The key works while the view that owns the menu has the focus.
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            owner->addAction(a);
            m_keys.insert(a, keysOf(item.keys));
        } else {
            // Shown only: the main-menu item of the same command owns the key.
            a->setShortcut(keysOf(item.keys));
        }
    }
    connectItem(a, item.command);
    return a;
}

void CommandActions::attach(Command command, Handler handler)
{
    m_handlers[size_t(command)] = std::move(handler);
    for (QAction *item : itemsOf(command))
        refreshItem(item);
}

bool CommandActions::hasHandler(Command command) const
{
    return bool(m_handlers[size_t(command)]);
}

QAction *CommandActions::action(Command command) const
{
    return m_main[size_t(command)];
}

QAction *CommandActions::popupAction(Popup popup, Command command) const
{
    for (QAction *a : m_popupItems[size_t(popup)])
        if (m_commandOf.value(a) == command)
            return a;
    return nullptr;
}

std::vector<QAction *> CommandActions::itemsOf(Command command) const
{
    std::vector<QAction *> items;
    if (QAction *a = action(command))
        items.push_back(a);
    for (const auto &popupItems : m_popupItems)
        for (QAction *a : popupItems)
            if (m_commandOf.value(a) == command)
                items.push_back(a);
    return items;
}

QAction *CommandActions::itemAt(Command command, CommandPlace place) const
{
    switch (place) {
    case CommandPlace::MainMenu:
        return action(command);
    case CommandPlace::TreeMenu:
        return popupAction(Popup::Tree, command);
    case CommandPlace::GridMenu:
        return popupAction(Popup::Grid, command);
    case CommandPlace::TextMenu:
        return popupAction(Popup::TextPane, command);
    }
    return nullptr;
}

// Enabled as wanted when a handler is attached; the key and tooltip follow.
void CommandActions::refreshItem(QAction *item)
{
    const Command command = m_commandOf.value(item);
    const CommandInfo &info = commandInfo(command);
    const bool handled = hasHandler(command);
    item->setEnabled(handled && m_wanted.value(item, true));
    const auto key = m_keys.constFind(item);
    if (key != m_keys.constEnd())
        item->setShortcut(m_keysTaken.contains(item) ? QKeySequence() : *key);
    QString tip = *info.hint ? commandText(info.hint) : QString();
    if (!handled)
        tip = tr("%1 (not available in this version)")
                  .arg(tip.isEmpty() ? item->text().remove(QLatin1Char('&')) : tip);
    item->setToolTip(tip);
}

void CommandActions::setItemState(QAction *item, bool enabled)
{
    if (!item)
        return;
    m_wanted.insert(item, enabled);
    refreshItem(item);
}

void CommandActions::setKeyActive(QAction *item, bool active)
{
    if (!item || !m_keys.contains(item))
        return;
    if (active)
        m_keysTaken.remove(item);
    else
        m_keysTaken.insert(item);
    item->setShortcut(active ? m_keys.value(item) : QKeySequence());
}

void CommandActions::setCommandEnabled(Command command, bool enabled)
{
    for (QAction *item : itemsOf(command))
        setItemState(item, enabled);
}

void CommandActions::applyMode(UiMode mode)
{
    for (const CommandState &s : commandStatesFor(mode)) {
        QAction *item = itemAt(s.command, s.place);
        setItemState(item, s.enabled);
        setKeyActive(item, s.keyActive);
    }
}

void CommandActions::runCommand(Command command)
{
    if (m_state.ending)
        return;
    const Handler &handler = m_handlers[size_t(command)];
    if (handler)
        m_guard(handler);
}

// Buttons show a tooltip only where their command has a hint, or to say that it is not
// available.
bool CommandActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *button = qobject_cast<QToolButton *>(watched);
        QAction *a = button ? button->defaultAction() : nullptr;
        const auto command = a ? m_commandOf.constFind(a) : m_commandOf.constEnd();
        if (command != m_commandOf.constEnd() && hasHandler(*command)
            && !*commandInfo(*command).hint) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
