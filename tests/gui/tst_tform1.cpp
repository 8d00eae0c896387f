#include "app/ui/errorbox.h"
#include "app/ui/tform1.h"
#include "app/ui/tsplitter.h"
#include "store/catalogtable.h"

#include <QtTest>

#include <QAbstractButton>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <stdexcept>

namespace
{

// "caption|keys|handler" per item, "-" for a separator; a leading "!" marks an item
// that starts disabled.
using Items = QStringList;

QStringList describe(const QMenu *menu)
{
    QStringList out;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator()) {
            out << QStringLiteral("-");
            continue;
        }
        out << (a->isEnabled() ? QString() : QStringLiteral("!")) + a->text() + QLatin1Char('|')
                + a->shortcut().toString(QKeySequence::PortableText) + QLatin1Char('|')
                + a->property("handler").toString();
    }
    return out;
}

QMenu *topMenu(TForm1 &form, const QString &title)
{
    for (QAction *a : form.MainMenu1->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

// Answers the next modal box by pressing its OK button and hands back what it showed.
struct BoxSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
};

void answerNextBox(BoxSeen *seen)
{
    QTimer::singleShot(20, [seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            answerNextBox(seen);
            return;
        }
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

} // namespace

class TestTForm1 : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_form = new TForm1;
        m_form->resize(800, 600);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }
    void cleanup() { delete m_form; }

    void mainMenu_data();
    void mainMenu();
    void hints_data();
    void hints();
    void toolbars();
    void popupMenus_data();
    void popupMenus();
    void keysRunTheirHandlers_data();
    void keysRunTheirHandlers();
    void itemsAndButtonsRunTheirHandlers();
    void controls();
    void functionKeyBar_data();
    void functionKeyBar();
    void noteColumnTakesTheRest();
    void statusPanels();
    void hiddenToolbarsLeaveViewsFilling();
    void minimumWidth();
    void splitterDrag_data();
    void splitterDrag();
    void gridLines();
    void viewLookOfOwnedControls();
    void errorBox_data();
    void errorBox();
    void failureOutsideCommandsIsShown();
    void shiftTabFocusesMoveWindow();
    void closingSavesAndEnds();
    void viewerSyncWatch();
    void statusBarClickSwitchesArchive();
    void startUp();
    void layoutRoundTrip();
    void systemToolbarColourKept();

private:
    TForm1 *m_form = nullptr;
};

void TestTForm1::mainMenu_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<Items>("items");
    QTest::newRow("File")
        << "&File"
        << Items { "&Switch archiv|Alt+F2|miArchivClick", "&Switch index|Alt+F3|miIndex1Click", "-",
               "&New archive||miArchivNeuClick", "&Delete archive||miAechivDelClick", "-",
               "&Reoganization||ReorganisationClick", "-",
               "Printer set&up||Druckereinrichten1Click", "&Print (folder)|Ctrl+P|miFiledruckClick",
               "-", "&Settings|Alt+F1|Einstellungen1Click", "-", "&Exit|Alt+F4|ExitClick" };
    QTest::newRow("Folder") << "F&older"
                            << Items { "&New|F1|miDirNewClick", "&Rename|F2|miDirMoveClick", "-",
                                   "&Expand all||miAllexpClick", "&Collaps all||miAllcolClick", "-",
                                   "Folder &update||miOrdnerupdate1Click",
                                   "&Delete folder (empty)||popDelDirClick" };
    QTest::newRow("Search") << "&Search"
                            << Items { "&Next / down|F3|unten1Click", "&Prior / up|F4|oben1Click",
                                   "!Clear search (Esc)||miClearsearchClick", "-",
                                   "Sync viewer|Ctrl+S|miViewerClick" };
    QTest::newRow("Edit") << "&Edit"
                          << Items { "&Edit|F5|Mutieren1Click", "Edit &text|F6|miTextClick",
                                 "&Delete / Abort|F7|miDelClick", "&Update / OK|F8|miOkClick", "-",
                                 "!&Save text as||miTextSichClick", "!&Insert file||miInsFileClick",
                                 "!Delete &all||miDelAllClick", "!I&nsert date|Ctrl+D|miheuteClick",
                                 "-", "&Add tag|Ins|miKataddClick", "Delete &tag|Del|mikatdelClick",
                                 "-", "&Replace tags|Ctrl+R|miKatReplaceClick" };
    QTest::newRow("Tools") << "Too&ls"
                           << Items { "&Filter tags|F9|miFilterClick", "&Move file|F10|miMoveClick",
                                  "&Copy file|F11|miKopierenClick", "&Updata all|F12|miAllUpdClick",
                                  "-", "Explore folder|Ctrl+E|Explore1Click",
                                  "&Tags|Ctrl+K|miKategorienClick" };
    QTest::newRow("View") << "&View"
                          << Items { "Show top toolbar||Showtoptoolbar1Click",
                                 "Show bottom toolbar||Showbottomtoolbar1Click" };
    QTest::newRow("Help") << "&Help"
                          << Items { "!&Help|Ctrl+F1|miHelpClick", "&Info ...||Info1Click" };
}

void TestTForm1::mainMenu()
{
    QFETCH(QString, title);
    QFETCH(Items, items);
    QMenu *menu = topMenu(*m_form, title);
    QVERIFY(menu);
    QCOMPARE(describe(menu), items);
    for (QAction *a : menu->actions())
        if (!a->isSeparator() && !a->text().startsWith(QLatin1String("Show ")))
            QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
}

void TestTForm1::hints_data()
{
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("hint");
    QTest::newRow("F1") << "miDirNewClick"
                        << "F1 = Create new folder";
    QTest::newRow("F8 two blanks") << "miOkClick"
                                   << "F8 = Update folder or  OK";
    QTest::newRow("F9") << "miFilterClick"
                        << "F9 = Set filter to tags (logical: AND)";
    QTest::newRow("F10") << "miMoveClick"
                         << "F10 = Move file (also Drag & Drop ...)";
    QTest::newRow("Ctrl+S dash") << "miViewerClick"
                                 << "Ctrl+S - Sync viewer";
    QTest::newRow("Alt+F2") << "miArchivClick"
                            << "Alt+F2 = Switch archive";
    QTest::newRow("Alt+F4") << "ExitClick"
                            << "Alt+F4 = Exit";
}

void TestTForm1::hints()
{
    QFETCH(QString, handler);
    QFETCH(QString, hint);
    QAction *a = m_form->action(handler);
    QVERIFY(a);
    QCOMPARE(a->toolTip(), hint);
    // The status bar's panels belong to the views; hovering must not replace them.
    QVERIFY(a->statusTip().isEmpty());
}

void TestTForm1::toolbars()
{
    QStringList top;
    for (QAction *a : m_form->ToolBar2->actions())
        top << a->property("handler").toString();
    QCOMPARE(top,
        (QStringList { "miArchivClick", "miIndex1Click", "miDirNewClick", "miDirMoveClick",
            "unten1Click", "oben1Click", "miViewerClick", "Mutieren1Click", "miTextClick",
            "miDelClick", "miOkClick", "miFilterClick", "miMoveClick", "miKopierenClick",
            "miAllUpdClick", "Explore1Click", "miKategorienClick", "miFiledruckClick",
            "Einstellungen1Click", "ExitClick" }));
    QCOMPARE(m_form->ToolBar2->height(), 29);
    // At the narrowest width every button still shows, 8 pixels apart.
    m_form->resize(622, 500);
    QTRY_COMPARE(m_form->ToolBar2->width(), 622);
    const QList<QAction *> topActions = m_form->ToolBar2->actions();
    for (int i = 1; i < topActions.size(); ++i) {
        QWidget *left = m_form->ToolBar2->widgetForAction(topActions[i - 1]);
        QWidget *right = m_form->ToolBar2->widgetForAction(topActions[i]);
        QTRY_VERIFY(right->isVisible());
        QCOMPARE(right->x() - left->geometry().right() - 1, 8);
    }

    // Left to right as laid out on screen.
    QList<QWidget *> row
        = m_form->ToolBar1->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    std::sort(row.begin(), row.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    QStringList bottom;
    for (QWidget *w : row) {
        if (auto *b = qobject_cast<QToolButton *>(w)) {
            bottom << b->defaultAction()->property("handler").toString();
            QVERIFY(!b->icon().isNull());
            QCOMPARE(b->height(), 24);
        } else {
            bottom << w->objectName();
        }
    }
    QCOMPARE(bottom,
        (QStringList { "miDirNewClick", "miDirMoveClick", "unten1Click", "oben1Click",
            "ToolButton50", "Mutieren1Click", "miTextClick", "miDelClick", "miOkClick",
            "ToolButton51", "miFilterClick", "miMoveClick", "miKopierenClick", "miAllUpdClick" }));
    QCOMPARE(m_form->ToolBar1->height(), 36);
}

void TestTForm1::popupMenus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Items>("items");
    QTest::newRow("tree") << "PopupMenu1"
                          << Items { "&New||miDirNewClick", "&Rename||miDirMoveClick", "-",
                                 "&Expand all||miAllexpClick", "&Collaps all||miAllcolClick", "-",
                                 "&Update folder||miOrdnerupdate1Click",
                                 "&Delete folder (empty)||popDelDirClick", "-",
                                 "&Path/file to clipboard|Ctrl+C|popCopyPathClick" };
    QTest::newRow("grid") << "PopupMenu2"
                          << Items { "&Open||DBGrid1DblClick", "Open &with ...||ffnenmit1Click",
                                 "-", "&Edit||Mutieren1Click", "!&Abort||miDelClick",
                                 "!&OK and exit||miOkClick", "-", "&Copy file||miKopierenClick",
                                 "Explore folder||Explore1Click", "-",
                                 "&Path/file to clipboard|Ctrl+C|popCopyPathClick",
                                 "File name to clipboard|Ctrl+F|popfilenameClick",
                                 "&Note to clipboard|Ctrl+N|popBemerkungClick" };
    QTest::newRow("text") << "PopupMenu3"
                          << Items { "&Edit||miTextClick", "!&Abort||miDelClick",
                                 "!&OK and exit||miOkClick", "-", "!&Save text as||miTextSichClick",
                                 "!&Insert file||miInsFileClick", "!&Delete all||miDelAllClick",
                                 "!I&nsert date|Ctrl+D|miheuteClick", "-",
                                 "&Text to clipboard|Ctrl+C|popGanzeTextClick",
                                 "!Open link|Ctrl+L|popOpenlinkClick" };
}

void TestTForm1::popupMenus()
{
    QFETCH(QString, name);
    QFETCH(Items, items);
    auto *menu = m_form->findChild<QMenu *>(name);
    QVERIFY(menu);
    QCOMPARE(describe(menu), items);
}

void TestTForm1::keysRunTheirHandlers_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("handler");
    QTest::newRow("F1") << "TreeView1" << QKeySequence(Qt::Key_F1) << "miDirNewClick";
    QTest::newRow("F2 in tree") << "TreeView1" << QKeySequence(Qt::Key_F2) << "miDirMoveClick";
    QTest::newRow("F5") << "DBGrid1" << QKeySequence(Qt::Key_F5) << "Mutieren1Click";
    QTest::newRow("F8") << "DBGrid1" << QKeySequence(Qt::Key_F8) << "miOkClick";
    QTest::newRow("F12") << "DBGrid1" << QKeySequence(Qt::Key_F12) << "miAllUpdClick";
    QTest::newRow("Alt+F2") << "DBGrid1" << QKeySequence(Qt::ALT | Qt::Key_F2) << "miArchivClick";
    QTest::newRow("Ctrl+E") << "TreeView1" << QKeySequence(Qt::CTRL | Qt::Key_E) << "Explore1Click";
    QTest::newRow("Insert") << "DBGrid1" << QKeySequence(Qt::Key_Insert) << "miKataddClick";
    QTest::newRow("Delete") << "DBGrid1" << QKeySequence(Qt::Key_Delete) << "mikatdelClick";
    // One key, three meanings: the view with the focus decides.
    QTest::newRow("Ctrl+C tree") << "TreeView1" << QKeySequence(Qt::CTRL | Qt::Key_C)
                                 << "popCopyPathClick";
    QTest::newRow("Ctrl+C grid") << "DBGrid1" << QKeySequence(Qt::CTRL | Qt::Key_C)
                                 << "popCopyPathClick";
    QTest::newRow("Ctrl+C text") << "Memo1" << QKeySequence(Qt::CTRL | Qt::Key_C)
                                 << "popGanzeTextClick";
    QTest::newRow("Ctrl+F grid") << "DBGrid1" << QKeySequence(Qt::CTRL | Qt::Key_F)
                                 << "popfilenameClick";
    QTest::newRow("Ctrl+N grid") << "DBGrid1" << QKeySequence(Qt::CTRL | Qt::Key_N)
                                 << "popBemerkungClick";
    QTest::newRow("Ctrl+Y") << "Memo1" << QKeySequence(Qt::CTRL | Qt::Key_Y) << "Action2Execute";
}

void TestTForm1::keysRunTheirHandlers()
{
    QFETCH(QString, focus);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, handler);
    QStringList ran;
    for (const QString h :
        { "miDirNewClick", "miDirMoveClick", "Mutieren1Click", "miOkClick", "miAllUpdClick",
            "miArchivClick", "Explore1Click", "miKataddClick", "mikatdelClick", "popCopyPathClick",
            "popGanzeTextClick", "popfilenameClick", "popBemerkungClick", "Action2Execute" })
        m_form->setHandler(h, [&ran, h] { ran << h; });
    m_form->activateWindow();
    auto *target = m_form->findChild<QWidget *>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keySequence(target, keys);
    QCOMPARE(ran, QStringList { handler });
}

void TestTForm1::itemsAndButtonsRunTheirHandlers()
{
    QStringList ran;
    m_form->setHandler("miFilterClick", [&ran] { ran << "menu"; });
    m_form->action("miFilterClick")->trigger();
    auto *button = m_form->ToolBar1->findChild<QToolButton *>("fkey_miFilter");
    QTest::mouseClick(button, Qt::LeftButton);
    m_form->setHandler("DBGrid1DblClick", [&ran] { ran << "popup"; });
    TForm1::popupItem(m_form->PopupMenu2, "DBGrid1DblClick")->trigger();
    QCOMPARE(ran, (QStringList { "menu", "menu", "popup" }));
    // Items nobody has plugged in yet do nothing.
    m_form->action("miHelpClick")->setEnabled(true);
    m_form->action("miHelpClick")->trigger();
}

void TestTForm1::controls()
{
    for (const char *name : { "MainMenu1", "ToolBar2", "TreeView1", "Splitter2", "Panel1",
             "DBGrid1", "Splitter1", "Memo1", "ToolBar1", "StatusBar1", "Timer1", "Timer2",
             "PopupMenu1", "PopupMenu2", "PopupMenu3", "ToolButton50", "ToolButton51" })
        QVERIFY2(m_form->findChild<QObject *>(name), name);
    QCOMPARE(m_form->Timer1->interval(), 50);
    QCOMPARE(m_form->Timer2->interval(), 1000);
    QVERIFY(!m_form->Timer1->isActive());
    QVERIFY(!m_form->Timer2->isActive());
    QVERIFY(m_form->Memo1->isReadOnly());
    QVERIFY(m_form->state().Dbf1);
    QVERIFY(!m_form->state().Dbf1->isOpen());
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QVERIFY(!m_form->state().FollowCurrentRecord);
    QCOMPARE(m_form->TreeView1->indentation(), 19);
    QCOMPARE(m_form->Splitter1->handleWidth(), 2);
    QCOMPARE(m_form->Splitter2->handleWidth(), 2);
    QAbstractItemModel *model = m_form->DBGrid1->model();
    QCOMPARE(model->columnCount(), 5);
    const QStringList titles { "File", "Note", "Tags", "Date", "Size" };
    for (int c = 0; c < 5; ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), titles[c]);
    QCOMPARE(model->headerData(4, Qt::Horizontal, Qt::TextAlignmentRole).toInt()
            & Qt::AlignHorizontal_Mask,
        int(Qt::AlignRight));
}

void TestTForm1::functionKeyBar_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("gap50");
    QTest::addColumn<int>("gap51");
    QTest::newRow("800") << 800 << 62 << 23 << 24;
    QTest::newRow("minimum 622") << 622 << 47 << 24 << 25;
    QTest::newRow("1000") << 1000 << 79 << 21 << 22;
}

void TestTForm1::functionKeyBar()
{
    QFETCH(int, width);
    QFETCH(int, button);
    QFETCH(int, gap50);
    QFETCH(int, gap51);
    m_form->resize(width, 600);
    QTRY_COMPARE(m_form->ToolBar1->width(), width);
    QTRY_COMPARE(m_form->ToolButton50->width(), gap50);
    QCOMPARE(m_form->ToolButton51->width(), gap51);
    const auto buttons = m_form->ToolBar1->findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 12);
    for (QToolButton *b : buttons)
        QCOMPARE(b->width(), button);
    // The last button ends where the bar's frame and margin begin: nothing spills over.
    QTRY_COMPARE(buttons.last()->geometry().right(), width - 6);
}

void TestTForm1::noteColumnTakesTheRest()
{
    QTableView *grid = m_form->DBGrid1;
    grid->setColumnWidth(0, 125);
    grid->setColumnWidth(2, 90);
    grid->setColumnWidth(3, 65);
    grid->setColumnWidth(4, 50);
    // Let the grid be 700 wide by moving the splitter as the user would.
    m_form->resize(1000, 600);
    QTRY_COMPARE(m_form->Splitter2->width(), 1000);
    m_form->Splitter2->dropAt(1000 - 2 - 700);
    QTRY_COMPARE(grid->width(), 700);
    QCOMPARE(grid->columnWidth(1), 350);
}

void TestTForm1::statusPanels()
{
    m_form->resize(900, 600);
    QTRY_COMPARE(m_form->StatusBar1->width(), 900);
    for (int i = 0; i < 3; ++i)
        QTRY_COMPARE(m_form->statusPanel(i)->width(), 225);
    QVERIFY(m_form->statusPanel(3)->width() > 100);
    QCOMPARE(m_form->statusPanel(0)->alignment(), Qt::AlignCenter);
    m_form->setPanelText(2, "Bilder\\Fotos\\");
    QCOMPARE(m_form->panelText(2), QString("Bilder\\Fotos\\"));
}

void TestTForm1::hiddenToolbarsLeaveViewsFilling()
{
    QAction *top = m_form->action("Showtoptoolbar1Click");
    QAction *bottom = m_form->action("Showbottomtoolbar1Click");
    QVERIFY(top->isChecked() && bottom->isChecked());
    top->trigger();
    bottom->trigger();
    QVERIFY(!top->isChecked() && !bottom->isChecked());
    QVERIFY(!m_form->ToolBar2->isVisible());
    QVERIFY(!m_form->ToolBar1->isVisible());
    QVERIFY(!m_form->state().settings.layout.showTopToolbar);
    QVERIFY(!m_form->state().settings.layout.showBottomToolbar);
    auto *splitter = m_form->Splitter2;
    QTRY_COMPARE(
        splitter->mapTo(m_form, QPoint(0, 0)).y(), m_form->MainMenu1->geometry().bottom() + 1);
    QTRY_COMPARE(
        splitter->mapTo(m_form, QPoint(0, splitter->height())).y(), m_form->StatusBar1->y());
    QCOMPARE(splitter->width(), m_form->width());

    top->trigger();
    QVERIFY(m_form->ToolBar2->isVisible());
    QTRY_COMPARE(
        splitter->mapTo(m_form, QPoint(0, 0)).y(), m_form->ToolBar2->geometry().bottom() + 1);
}

void TestTForm1::minimumWidth()
{
    m_form->resize(400, 500);
    QCOMPARE(m_form->width(), 622);
}

void TestTForm1::splitterDrag_data()
{
    QTest::addColumn<QString>("splitter");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("firstSize");
    // Sizes along the splitter's axis; the horizontal one is 800 wide, the vertical one
    // is measured in the test.
    QTest::newRow("tree 31 stays") << "Splitter2" << 150 << 31 << 31;
    QTest::newRow("tree 30 closes") << "Splitter2" << 150 << 30 << 0;
    QTest::newRow("tree 5 closes") << "Splitter2" << 150 << 5 << 0;
    QTest::newRow("grid keeps 30") << "Splitter2" << 150 << 790 << 800 - 2 - 30;
    QTest::newRow("grid 20 closes") << "Splitter1" << 200 << 20 << 0;
    QTest::newRow("grid 100") << "Splitter1" << 200 << 100 << 100;
}

void TestTForm1::splitterDrag()
{
    QFETCH(QString, splitter);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, firstSize);
    auto *s = m_form->findChild<TSplitter *>(splitter);
    s->setSizes({ from, 10000 });
    QTRY_COMPARE(s->sizes().first(), from);
    QSplitterHandle *handle = s->handle(1);
    const bool horizontal = s->orientation() == Qt::Horizontal;
    auto at = [&](int pos) {
        const QPoint inSplitter = horizontal ? QPoint(pos, 10) : QPoint(10, pos);
        return handle->mapFrom(s, inSplitter);
    };
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at(from));
    QMouseEvent move(QEvent::MouseMove, at(to), handle->mapToGlobal(at(to)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    // Nothing moves until the button is released.
    QCOMPARE(s->sizes().first(), from);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, at(to));
    QTRY_COMPARE(s->sizes().first(), firstSize);
    if (firstSize == 0)
        QVERIFY(s->widget(0)->visibleRegion().isEmpty());
}

void TestTForm1::gridLines()
{
    QTableView *grid = m_form->DBGrid1;
    QHeaderView *header = grid->horizontalHeader();
    const int date = grid->columnWidth(3);
    struct Step {
        int gridLines;
        bool lines;
        QHeaderView::ResizeMode resize;
        int dateWidth;
    };
    // An archive opened with 0 keeps resizable columns; 1 adds lines and takes 4 pixels
    // from Date; back to 0 removes lines and resizing and returns the pixels; values
    // other than 0 and 1 change nothing.
    const Step steps[] = {
        { 0, false, QHeaderView::Interactive, date },
        { 1, true, QHeaderView::Interactive, date - 4 },
        { 1, true, QHeaderView::Interactive, date - 4 },
        { 7, true, QHeaderView::Interactive, date - 4 },
        { 0, false, QHeaderView::Fixed, date },
    };
    for (const Step &step : steps) {
        m_form->state().settings.GridLines = step.gridLines;
        m_form->ApplyViewLook(m_form);
        QCOMPARE(grid->showGrid(), step.lines);
        QCOMPARE(header->sectionResizeMode(0), step.resize);
        QCOMPARE(grid->columnWidth(3), step.dateWidth);
    }
    const QColor view = QColor(0xFA, 0xFA, 0xDA); // the stored default $00DAFAFA
    QCOMPARE(m_form->Memo1->palette().color(QPalette::Base), view);
    QCOMPARE(m_form->TreeView1->palette().color(QPalette::Base), view);
    QCOMPARE(m_form->gridColumnColor(3), view);
    QCOMPARE(m_form->gridColumnColor(4), view);
    m_form->Memo1->setReadOnly(false);
    m_form->ApplyViewLook(m_form);
    QCOMPARE(m_form->Memo1->palette().color(QPalette::Base), QColor(Qt::white));
}

void TestTForm1::viewLookOfOwnedControls()
{
    // Controls that other windows place on the main window get the same look.
    auto *list = new QTreeWidget(m_form);
    list->setRootIsDecorated(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *field = new QLineEdit(m_form);
    auto *shown = new QLineEdit(m_form);
    shown->setReadOnly(true);
    m_form->state().settings.ViewFont.name = QStringLiteral("Courier");
    m_form->state().ViewFont = QFont(QStringLiteral("Courier"), 13);
    for (int gridLines : { 1, 0 }) {
        m_form->state().settings.GridLines = gridLines;
        m_form->ApplyViewLook(m_form);
        QCOMPARE(list->header()->sectionsClickable(), gridLines == 1);
        QCOMPARE(list->property("gridLines").toBool(), gridLines == 1);
    }
    const QColor view(0xFA, 0xFA, 0xDA);
    QCOMPARE(list->palette().color(QPalette::Base), view);
    QCOMPARE(shown->palette().color(QPalette::Base), view);
    QCOMPARE(field->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(field->font().pointSize(), 13);
    QCOMPARE(m_form->TreeView1->font().pointSize(), 13);
    // The folder tree is not a list: its header stays as it was.
    QVERIFY(m_form->TreeView1->property("gridLines").isNull());
}

void TestTForm1::errorBox_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter gets a full stop") << "Disk not ready"
                                             << "Disk not ready.";
    QTest::newRow("quote sorts before the stop") << "Cannot open 'A.dbf'"
                                                 << "Cannot open 'A.dbf'";
    QTest::newRow("slash sorts after") << "Path A/"
                                       << "Path A/.";
    QTest::newRow("exclamation kept") << "Table is locked !"
                                      << "Table is locked !";
    QTest::newRow("full stop not doubled") << "Done."
                                           << "Done.";
    QTest::newRow("bracket kept") << "Failed (5)"
                                  << "Failed (5)";
    QTest::newRow("digit sorts after") << "Error 5"
                                       << "Error 5.";
}

void TestTForm1::errorBox()
{
    QFETCH(QString, failure);
    QFETCH(QString, shown);
    m_form->setHandler(
        "miFilterClick", [failure] { throw std::runtime_error(failure.toStdString()); });
    bool after = false;
    m_form->setHandler("miMoveClick", [&after] { after = true; });
    BoxSeen box;
    answerNextBox(&box);
    m_form->activateWindow();
    m_form->DBGrid1->setFocus();
    QTest::keyClick(m_form->DBGrid1, Qt::Key_F9);
    QVERIFY(box.seen);
    QCOMPARE(box.title, QString("Tabulon"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.text, shown);
    // The program goes on with the next command.
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
    QTest::keyClick(m_form->DBGrid1, Qt::Key_F10);
    QVERIFY(after);
}

void TestTForm1::failureOutsideCommandsIsShown()
{
    // An event handler that is not a command: only the application object sees it fail.
    struct Thrower : QObject {
        bool event(QEvent *e) override
        {
            if (e->type() == QEvent::User)
                throw std::runtime_error("Unexpected state");
            return QObject::event(e);
        }
    } thrower;
    BoxSeen box;
    answerNextBox(&box);
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QVERIFY(box.seen);
    QCOMPARE(box.title, QString("Tabulon"));
    QCOMPARE(box.text, QString("Unexpected state."));
}

void TestTForm1::shiftTabFocusesMoveWindow()
{
    m_form->activateWindow();
    m_form->DBGrid1->setFocus();
    QTRY_VERIFY(m_form->DBGrid1->hasFocus());
    // Without the move-file window the key moves the focus back as usual.
    QTest::keyClick(m_form->DBGrid1, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(!m_form->DBGrid1->hasFocus());

    QWidget moveWindow;
    moveWindow.setWindowTitle("Move file");
    m_form->setMoveFileWindow(&moveWindow);
    moveWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&moveWindow));
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
    m_form->DBGrid1->setFocus();
    QTest::keyClick(m_form->DBGrid1, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(moveWindow.isActiveWindow());
    m_form->setMoveFileWindow(nullptr);
}

void TestTForm1::closingSavesAndEnds()
{
    QStringList ran;
    m_form->setHandler("FormCloseQuery", [&ran] { ran << "help"; });
    m_form->setHandler("SaveArchiveSettings", [&ran] { ran << "archive"; });
    m_form->setHandler("SaveProgramSettings", [&ran] { ran << "program"; });
    m_form->setHandler("miFilterClick", [&ran] { ran << "filter"; });
    m_form->Timer2->start();
    QVERIFY(!m_form->close());
    QCOMPARE(ran, (QStringList { "help", "archive", "program" }));
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->state().ending);
    QVERIFY(!m_form->Timer2->isActive());
    // Once ended, no command runs and nothing is saved twice.
    m_form->action("miFilterClick")->trigger();
    m_form->action("ExitClick")->trigger();
    QCOMPARE(ran.size(), 3);

    // The request to end the event loop stays pending without a running loop and would
    // make every later modal box return at once; a short main loop consumes it.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void TestTForm1::viewerSyncWatch()
{
    int stops = 0;
    m_form->setHandler("StopViewerSync", [&stops] { ++stops; });
    m_form->activateWindow();
    m_form->DBGrid1->setFocus();
    QTRY_VERIFY(m_form->DBGrid1->hasFocus());
    m_form->Timer2->start();
    m_form->Timer2Timer();
    QCOMPARE(stops, 0);
    QVERIFY(m_form->Timer2->isActive());
    // Clicking into the tree ends viewer sync within one tick.
    QTest::mouseClick(m_form->TreeView1->viewport(), Qt::LeftButton);
    QTRY_VERIFY(m_form->TreeView1->hasFocus());
    QTRY_COMPARE_WITH_TIMEOUT(stops, 1, 1500);
    QVERIFY(!m_form->Timer2->isActive());
}

void TestTForm1::statusBarClickSwitchesArchive()
{
    int switches = 0;
    m_form->setHandler("miArchivClick", [&switches] { ++switches; });
    QCOMPARE(m_form->StatusBar1->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(m_form->statusPanel(1), Qt::LeftButton);
    QTest::mouseClick(m_form->StatusBar1, Qt::LeftButton, Qt::NoModifier,
        QPoint(m_form->StatusBar1->width() - 5, 5));
    QCOMPARE(switches, 2);
}

void TestTForm1::startUp()
{
    delete m_form;
    m_form = new TForm1;
    QStringList ran;
    m_form->setHandler("LoadProgramSettings", [this, &ran] {
        ran << "load";
        QVERIFY(!m_form->state().FollowCurrentRecord);
        m_form->setArchiveCaption("Archive");
    });
    m_form->setHandler("ShowArchive", [&ran] { ran << "show"; });
    QVERIFY(m_form->FormCreate());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->hide();
    m_form->show();
    QCOMPARE(ran, (QStringList { "load", "show" }));
    QCOMPARE(m_form->windowTitle(), QString("Tabulon 6.6 - Archive"));

    TForm1 abandoned;
    abandoned.setHandler(
        "LoadProgramSettings", [&abandoned] { abandoned.state().startAbandoned = true; });
    QVERIFY(!abandoned.FormCreate());
}

void TestTForm1::layoutRoundTrip()
{
    Settings &s = m_form->state().settings;
    s.layout.left = 40;
    s.layout.top = 30;
    s.layout.width = 900;
    s.layout.height = 640;
    s.layout.windowState = 0;
    s.layout.gridHeight = 5000; // taller than the panel: cut to panel height - 5
    s.layout.treeWidth = 210;
    s.layout.showTopToolbar = false;
    s.layout.showBottomToolbar = true;
    s.GridColumnWidths = { { 200, 0, 80, 70, 55 } };
    s.ToolbarColor = 0x00336699; // BGR
    m_form->applyWindowBounds();
    m_form->applyProgramColumnWidths();
    m_form->applyArchiveLayout();
    QTRY_COMPARE(m_form->width(), 900);
    QTRY_COMPARE(m_form->treeWidth(), 210);
    QTRY_COMPARE(m_form->gridHeight(), m_form->Panel1->height() - 5);
    QVERIFY(!m_form->ToolBar2->isVisible());
    QCOMPARE(m_form->toolbarColor(), QColor(0x99, 0x66, 0x33));
    QCOMPARE(m_form->DBGrid1->columnWidth(2), 80);

    Settings saved = s;
    saved.GridColumnWidths = {};
    m_form->state().settings = saved;
    m_form->storeWindowLayout();
    const Settings &out = m_form->state().settings;
    QCOMPARE(out.layout.width, 900);
    QCOMPARE(out.layout.height, 640);
    QCOMPARE(out.layout.windowState, 0);
    QCOMPARE(out.layout.treeWidth, 210);
    QCOMPARE(out.layout.gridHeight, m_form->Panel1->height() - 5);
    QVERIFY(!out.layout.showTopToolbar);
    QCOMPARE(out.GridColumnWidths[0], 200);
    QCOMPARE(out.GridColumnWidths[2], 80);
    QCOMPARE(out.GridColumnWidths[3], 70);
    QCOMPARE(out.GridColumnWidths[4], 55);
    QCOMPARE(out.ToolbarColor, quint32(0x00336699));

    // Maximised: the state alone is stored, the normal bounds stay as they were.
    m_form->showMaximized();
    QTRY_VERIFY(m_form->isMaximized());
    m_form->state().settings.layout.width = 777;
    m_form->storeWindowLayout();
    QCOMPARE(m_form->state().settings.layout.windowState, 1);
    QCOMPARE(m_form->state().settings.layout.width, 777);
}

void TestTForm1::systemToolbarColourKept()
{
    Settings &s = m_form->state().settings;
    s.ToolbarColor = 0x8000000F; // the system's button face
    m_form->applyArchiveLayout();
    m_form->storeWindowLayout();
    QCOMPARE(s.ToolbarColor, quint32(0x8000000F));
    m_form->setToolbarColor(QColor(0x12, 0x34, 0x56));
    m_form->storeWindowLayout();
    QCOMPARE(s.ToolbarColor, quint32(0x00563412));
}

// The program's own application object, so that failures outside the commands are
// caught as in the running program.
int main(int argc, char **argv)
{
    TabulonApplication app(argc, argv);
    TestTForm1 test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tform1.moc"
