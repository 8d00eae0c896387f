#include "app/settingslook.h"
#include "icons.h"
#include "tform1.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

enum CommandFlag : unsigned {
    OnTop = 1, // a button of the top toolbar
    OnFKeys = 2, // a button of the function-key toolbar
    StartsDisabled = 4, // enabled later by the command family that owns it
    SeparatorAfter = 8,
    Checkable = 16,
};

struct CommandDef {
    const char *menu; // set on the first item of each drop-down menu
    const char *caption;
    const char *keys;
    const char *hint;
    const char *handler;
    void (TForm1::*slot)();
    Icon icon;
    unsigned flags;
};

struct PopupItemDef {
    const char *caption; // null: a separator
    const char *keys;
    const char *handler;
    void (TForm1::*slot)();
    Icon icon;
    bool disabled;
    // False where the same key already belongs to a main-menu item that runs the same
    // handler: the key is shown but not registered twice.
    bool ownsKey;
};

namespace
{

using F = TForm1;

// clang-format off
const CommandDef commands[] = {
    {"&File", "&Switch archiv", "Alt+F2", "Alt+F2 = Switch archive", "miArchivClick", &F::miArchivClick, Icon::Archive, OnTop},
    {nullptr, "&Switch index", "Alt+F3", "Alt+F3 = Switch index", "miIndex1Click", &F::miIndex1Click, Icon::Index, OnTop | SeparatorAfter},
    {nullptr, "&New archive", "", "", "miArchivNeuClick", &F::miArchivNeuClick, Icon::ArchiveNew, 0},
    {nullptr, "&Delete archive", "", "", "miAechivDelClick", &F::miAechivDelClick, Icon::ArchiveDelete, SeparatorAfter},
    {nullptr, "&Reoganization", "", "", "ReorganisationClick", &F::ReorganisationClick, Icon::Reorganize, SeparatorAfter},
    {nullptr, "Printer set&up", "", "", "Druckereinrichten1Click", &F::Druckereinrichten1Click, Icon::PrinterSetup, 0},
    {nullptr, "&Print (folder)", "Ctrl+P", "", "miFiledruckClick", &F::miFiledruckClick, Icon::Print, OnTop | SeparatorAfter},
    {nullptr, "&Settings", "Alt+F1", "Alt+F1 = Settings", "Einstellungen1Click", &F::Einstellungen1Click, Icon::Settings, OnTop | SeparatorAfter},
    {nullptr, "&Exit", "Alt+F4", "Alt+F4 = Exit", "ExitClick", &F::ExitClick, Icon::Exit, OnTop},

    {"F&older", "&New", "F1", "F1 = Create new folder", "miDirNewClick", &F::miDirNewClick, Icon::FolderNew, OnTop | OnFKeys},
    {nullptr, "&Rename", "F2", "F2 = Rename (move) folder", "miDirMoveClick", &F::miDirMoveClick, Icon::FolderRename, OnTop | OnFKeys | SeparatorAfter},
    {nullptr, "&Expand all", "", "", "miAllexpClick", &F::miAllexpClick, Icon::ExpandAll, 0},
    {nullptr, "&Collaps all", "", "", "miAllcolClick", &F::miAllcolClick, Icon::CollapseAll, SeparatorAfter},
    {nullptr, "Folder &update", "", "", "miOrdnerupdate1Click", &F::miOrdnerupdate1Click, Icon::FolderUpdate, 0},
    {nullptr, "&Delete folder (empty)", "", "", "popDelDirClick", &F::popDelDirClick, Icon::FolderDelete, 0},

    {"&Search", "&Next / down", "F3", "F3 = Search down", "unten1Click", &F::unten1Click, Icon::SearchDown, OnTop | OnFKeys},
    {nullptr, "&Prior / up", "F4", "F4 = Search up", "oben1Click", &F::oben1Click, Icon::SearchUp, OnTop | OnFKeys},
    {nullptr, "Clear search (Esc)", "", "", "miClearsearchClick", &F::miClearsearchClick, Icon::ClearSearch, StartsDisabled | SeparatorAfter},
    {nullptr, "Sync viewer", "Ctrl+S", "Ctrl+S - Sync viewer", "miViewerClick", &F::miViewerClick, Icon::Viewer, OnTop},

    {"&Edit", "&Edit", "F5", "F5 = Edit", "Mutieren1Click", &F::Mutieren1Click, Icon::Edit, OnTop | OnFKeys},
    {nullptr, "Edit &text", "F6", "F6 = Edit text", "miTextClick", &F::miTextClick, Icon::EditText, OnTop | OnFKeys},
    {nullptr, "&Delete / Abort", "F7", "F7 = Delete or Abort", "miDelClick", &F::miDelClick, Icon::DeleteAbort, OnTop | OnFKeys},
    {nullptr, "&Update / OK", "F8", "F8 = Update folder or  OK", "miOkClick", &F::miOkClick, Icon::Ok, OnTop | OnFKeys | SeparatorAfter},
    {nullptr, "&Save text as", "", "", "miTextSichClick", &F::miTextSichClick, Icon::SaveText, StartsDisabled},
    {nullptr, "&Insert file", "", "", "miInsFileClick", &F::miInsFileClick, Icon::InsertFile, StartsDisabled},
    {nullptr, "Delete &all", "", "", "miDelAllClick", &F::miDelAllClick, Icon::DeleteAll, StartsDisabled},
    {nullptr, "I&nsert date", "Ctrl+D", "", "miheuteClick", &F::miheuteClick, Icon::InsertDate, StartsDisabled | SeparatorAfter},
    {nullptr, "&Add tag", "Ins", "", "miKataddClick", &F::miKataddClick, Icon::TagAdd, 0},
    {nullptr, "Delete &tag", "Del", "", "mikatdelClick", &F::mikatdelClick, Icon::TagDelete, SeparatorAfter},
    {nullptr, "&Replace tags", "Ctrl+R", "", "miKatReplaceClick", &F::miKatReplaceClick, Icon::TagReplace, 0},

    {"Too&ls", "&Filter tags", "F9", "F9 = Set filter to tags (logical: AND)", "miFilterClick", &F::miFilterClick, Icon::Filter, OnTop | OnFKeys},
    {nullptr, "&Move file", "F10", "F10 = Move file (also Drag & Drop ...)", "miMoveClick", &F::miMoveClick, Icon::MoveFile, OnTop | OnFKeys},
    {nullptr, "&Copy file", "F11", "F11 = Copy file", "miKopierenClick", &F::miKopierenClick, Icon::CopyFile, OnTop | OnFKeys},
    {nullptr, "&Updata all", "F12", "F12 = Update all folders", "miAllUpdClick", &F::miAllUpdClick, Icon::UpdateAll, OnTop | OnFKeys | SeparatorAfter},
    {nullptr, "Explore folder", "Ctrl+E", "Ctrl+E - Explore folder", "Explore1Click", &F::Explore1Click, Icon::Explore, OnTop},
    {nullptr, "&Tags", "Ctrl+K", "", "miKategorienClick", &F::miKategorienClick, Icon::Tags, OnTop},

    {"&View", "Show top toolbar", "", "", "Showtoptoolbar1Click", &F::Showtoptoolbar1Click, Icon::None, Checkable},
    {nullptr, "Show bottom toolbar", "", "", "Showbottomtoolbar1Click", &F::Showbottomtoolbar1Click, Icon::None, Checkable},

    {"&Help", "&Help", "Ctrl+F1", "", "miHelpClick", &F::miHelpClick, Icon::Help, StartsDisabled},
    {nullptr, "&Info ...", "", "", "Info1Click", &F::Info1Click, Icon::Info, 0},
};

const char *const topToolbar[] = {
    "miArchivClick", "miIndex1Click", "miDirNewClick", "miDirMoveClick", "unten1Click",
    "oben1Click", "miViewerClick", "Mutieren1Click", "miTextClick", "miDelClick", "miOkClick",
    "miFilterClick", "miMoveClick", "miKopierenClick", "miAllUpdClick", "Explore1Click",
    "miKategorienClick", "miFiledruckClick", "Einstellungen1Click", "ExitClick",
};

// Null marks the places of the two spacers that centre F5-F8.
const char *const fkeyToolbar[] = {
    "miDirNewClick", "miDirMoveClick", "unten1Click", "oben1Click", nullptr,
    "Mutieren1Click", "miTextClick", "miDelClick", "miOkClick", nullptr,
    "miFilterClick", "miMoveClick", "miKopierenClick", "miAllUpdClick",
};

const PopupItemDef treeMenu[] = {
    {"&New", "", "miDirNewClick", &F::miDirNewClick, Icon::FolderNew, false, true},
    {"&Rename", "", "miDirMoveClick", &F::miDirMoveClick, Icon::FolderRename, false, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Expand all", "", "miAllexpClick", &F::miAllexpClick, Icon::ExpandAll, false, true},
    {"&Collaps all", "", "miAllcolClick", &F::miAllcolClick, Icon::CollapseAll, false, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Update folder", "", "miOrdnerupdate1Click", &F::miOrdnerupdate1Click, Icon::FolderUpdate, false, true},
    {"&Delete folder (empty)", "", "popDelDirClick", &F::popDelDirClick, Icon::FolderDelete, false, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Path/file to clipboard", "Ctrl+C", "popCopyPathClick", &F::popCopyPathClick, Icon::PathToClipboard, false, true},
};

const PopupItemDef gridMenu[] = {
    {"&Open", "", "DBGrid1DblClick", &F::DBGrid1DblClick, Icon::Open, false, true},
    {"Open &with ...", "", "ffnenmit1Click", &F::ffnenmit1Click, Icon::OpenWith, false, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Edit", "", "Mutieren1Click", &F::Mutieren1Click, Icon::Edit, false, true},
    {"&Abort", "", "miDelClick", &F::miDelClick, Icon::DeleteAbort, true, true},
    {"&OK and exit", "", "miOkClick", &F::miOkClick, Icon::Ok, true, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Copy file", "", "miKopierenClick", &F::miKopierenClick, Icon::CopyFile, false, true},
    {"Explore folder", "", "Explore1Click", &F::Explore1Click, Icon::Explore, false, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Path/file to clipboard", "Ctrl+C", "popCopyPathClick", &F::popCopyPathClick, Icon::PathToClipboard, false, true},
    {"File name to clipboard", "Ctrl+F", "popfilenameClick", &F::popfilenameClick, Icon::NameToClipboard, false, true},
    {"&Note to clipboard", "Ctrl+N", "popBemerkungClick", &F::popBemerkungClick, Icon::NoteToClipboard, false, true},
};

const PopupItemDef textMenu[] = {
    {"&Edit", "", "miTextClick", &F::miTextClick, Icon::EditText, false, true},
    {"&Abort", "", "miDelClick", &F::miDelClick, Icon::DeleteAbort, true, true},
    {"&OK and exit", "", "miOkClick", &F::miOkClick, Icon::Ok, true, true},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Save text as", "", "miTextSichClick", &F::miTextSichClick, Icon::SaveText, true, true},
    {"&Insert file", "", "miInsFileClick", &F::miInsFileClick, Icon::InsertFile, true, true},
    {"&Delete all", "", "miDelAllClick", &F::miDelAllClick, Icon::DeleteAll, true, true},
    {"I&nsert date", "Ctrl+D", "miheuteClick", &F::miheuteClick, Icon::InsertDate, true, false},
    {nullptr, nullptr, nullptr, nullptr, Icon::None, false, false},
    {"&Text to clipboard", "Ctrl+C", "popGanzeTextClick", &F::popGanzeTextClick, Icon::TextToClipboard, false, true},
    {"Open link", "Ctrl+L", "popOpenlinkClick", &F::popOpenlinkClick, Icon::OpenLink, true, true},
};
// clang-format on

// "miOkClick" -> "miOk": the item's own name, by which other code may look it up too.
QString itemName(const char *handler)
{
    QString name = QLatin1String(handler);
    if (name.endsWith(QLatin1String("Click")))
        name.chop(5);
    return name;
}

} // namespace

QAction *TForm1::createAction(const CommandDef &def)
{
    auto *a = new QAction(QString::fromUtf8(def.caption), this);
    a->setObjectName(itemName(def.handler));
    a->setProperty("handler", QLatin1String(def.handler));
    if (def.icon != Icon::None)
        a->setIcon(tabulonIcon(def.icon));
    if (*def.keys)
        a->setShortcut(
            QKeySequence::fromString(QLatin1String(def.keys), QKeySequence::PortableText));
    if (*def.hint)
        a->setToolTip(QString::fromUtf8(def.hint));
    a->setEnabled(!(def.flags & StartsDisabled));
    a->setCheckable(def.flags & Checkable);
    const auto slot = def.slot;
    connect(
        a, &QAction::triggered, this, [this, slot] { guarded([this, slot] { (this->*slot)(); }); });
    m_actions.insert(QLatin1String(def.handler), a);
    m_actions.insert(a->objectName(), a);
    return a;
}

void TForm1::createCommands()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *menu = nullptr;
    for (const CommandDef &def : commands) {
        if (def.menu) {
            menu = MainMenu1->addMenu(QString::fromUtf8(def.menu));
            menu->setObjectName(QStringLiteral("menu") + itemName(def.handler));
        }
        // Window-wide shortcuts need the action on the window, menus alone don't own keys
        // once the menu bar is hidden or native.
        QAction *a = createAction(def);
        menu->addAction(a);
        addAction(a);
        if (def.flags & SeparatorAfter)
            menu->addSeparator();
    }

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setFixedHeight(29);
    ToolBar2->setIconSize(QSize(16, 16));
    ToolBar2->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar2->layout()->setSpacing(8);
    for (const char *handler : topToolbar) {
        ToolBar2->addAction(action(QLatin1String(handler)));
        // Twenty buttons and their gaps must fit the narrowest window (622 pixels)
        // without spilling into the overflow menu.
        if (QWidget *button = ToolBar2->widgetForAction(action(QLatin1String(handler))))
            button->setFixedSize(23, 22);
    }
    addToolBar(Qt::TopToolBarArea, ToolBar2);

    // Shift+Tab and Ctrl+Y act on the whole window without a menu item of their own.
    Action1 = new QAction(this);
    Action1->setObjectName(QStringLiteral("Action1"));
    Action1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Backtab));
    connect(Action1, &QAction::triggered, this, [this] { guarded([this] { Action1Execute(); }); });
    addAction(Action1);
    Action2 = new QAction(this);
    Action2->setObjectName(QStringLiteral("Action2"));
    Action2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(Action2, &QAction::triggered, this, [this] { guarded([this] { Action2Execute(); }); });
    addAction(Action2);
}

void TForm1::createToolBar1()
{
    ToolBar1 = new QFrame(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ToolBar1->setLineWidth(2);
    ToolBar1->setFixedHeight(36);
    ToolBar1->setAutoFillBackground(true);
    setToolbarColor(toQColor(m_state.settings.ToolbarColor, ToolBar1->palette()));
    auto *row = new QHBoxLayout(ToolBar1);
    // Frame (2 + 2) and margins (2 + 3) take the 9 pixels the layout rules leave over.
    row->setContentsMargins(2, 4, 3, 4);
    row->setSpacing(0);
    int spacer = 0;
    for (const char *handler : fkeyToolbar) {
        if (!handler) {
            auto *gap = new QWidget(ToolBar1);
            gap->setObjectName(
                spacer++ == 0 ? QStringLiteral("ToolButton50") : QStringLiteral("ToolButton51"));
            (spacer == 1 ? ToolButton50 : ToolButton51) = gap;
            row->addWidget(gap);
            continue;
        }
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QStringLiteral("fkey_") + itemName(handler));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(false);
        button->setIconSize(QSize(16, 16));
        button->setFixedHeight(24);
        button->setFocusPolicy(Qt::NoFocus);
        m_fkeyButtons.append(button);
        row->addWidget(button);
    }
    row->addStretch(1);
}

QMenu *TForm1::createPopup(const char *name, QWidget *owner, const PopupItemDef *items, int count)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    for (int i = 0; i < count; ++i) {
        const PopupItemDef &def = items[i];
        if (!def.caption) {
            menu->addSeparator();
            continue;
        }
        auto *a = new QAction(QString::fromUtf8(def.caption), menu);
        a->setObjectName(QLatin1String(name) + QLatin1Char('_') + itemName(def.handler));
        a->setProperty("handler", QLatin1String(def.handler));
        if (def.icon != Icon::None)
            a->setIcon(tabulonIcon(def.icon));
        a->setEnabled(!def.disabled);
        if (*def.keys) {
            a->setShortcut(
                QKeySequence::fromString(QLatin1String(def.keys), QKeySequence::PortableText));
            a->setShortcutVisibleInContextMenu(true);
            // The key works while the view that owns the menu has the focus.
            if (def.ownsKey) {
                a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
                owner->addAction(a);
            }
        }
        const auto slot = def.slot;
        connect(a, &QAction::triggered, this,
            [this, slot] { guarded([this, slot] { (this->*slot)(); }); });
        menu->addAction(a);
    }
    connect(
        owner, &QWidget::customContextMenuRequested, menu, [this, owner, menu](const QPoint &pos) {
            if (menu == PopupMenu3)
                guarded([this] { PopupMenu3Popup(); });
            QWidget *area = owner;
            if (auto *scroll = qobject_cast<QAbstractScrollArea *>(owner))
                area = scroll->viewport();
            menu->popup(area->mapToGlobal(pos));
        });
    return menu;
}

void TForm1::createPopupMenus()
{
    PopupMenu1 = createPopup("PopupMenu1", TreeView1, treeMenu, int(std::size(treeMenu)));
    PopupMenu2 = createPopup("PopupMenu2", DBGrid1, gridMenu, int(std::size(gridMenu)));
    PopupMenu3 = createPopup("PopupMenu3", Memo1, textMenu, int(std::size(textMenu)));
    // The function-key buttons mirror the menu items; created here because the actions
    // exist only now.
    int b = 0;
    for (const char *handler : fkeyToolbar)
        if (handler)
            m_fkeyButtons[b++]->setDefaultAction(action(QLatin1String(handler)));
}
