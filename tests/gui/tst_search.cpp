#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/searchcommands.h"
#include "platform/beep.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/gui/mainwindowfixture.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>

namespace
{

using Rec = testutil::CatalogRecord;

// Counts the tones instead of sounding them.
class Beeps
{
public:
    Beeps()
        : m_previous(beep::install([this](int hz, int ms) {
            if (hz == 800 && ms == 300)
                ++m_count;
        }))
    {
    }
    ~Beeps() { beep::install(m_previous); }
    int count() const { return m_count; }

private:
    int m_count = 0;
    beep::Sounder m_previous;
};

} // namespace

// F3 and F4 as a user presses them, with the prompt answered by script.
class TestSearch : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void findsAcrossFoldersAndKeepsTheText();
    void longTexts();
    void folderSearch();
    void missesBeepAndLeaveTheViews_data();
    void missesBeepAndLeaveTheViews();
    void recordEditEndsFirst();

private:
    void start(const QStringList &folders, const QList<Rec> &records);
    void search(Qt::Key key, const QString &answer = QString());
    QString current() const { return table()->text(CatalogTable::NAME); }
    QString panel(int i) const { return m_form->panelText(i); }
    bool clearEnabled() const
    {
        return m_form->commands().action(Command::ClearSearch)->isEnabled();
    }
    void checkViewsSettled();
};

void TestSearch::start(const QStringList &folders, const QList<Rec> &records)
{
    for (const QString &f : folders)
        QVERIFY(QDir().mkpath(root() + f));
    openCatalogue();
    QVERIFY(testutil::addRecords(*table(), records));
    showActive();
}

// F3 or F4; with an answer the prompt is expected and answered.
void TestSearch::search(Qt::Key key, const QString &answer)
{
    ScriptedDialogs dialogs;
    if (!answer.isNull())
        dialogs.input(answer, QStringLiteral("Search for a word or a part of it ?"));
    press(key);
    QVERIFY(dialogs.done());
}

// However a search ended: the grid on one folder and in step with the table, the text
// pane on its record, no hourglass.
void TestSearch::checkViewsSettled()
{
    QVERIFY(!table()->isDetached());
    QVERIFY(table()->table().hasRange());
    QVERIFY(m_form->state().followCurrentRecord);
    QVERIFY(!QApplication::overrideCursor());
    const QModelIndex row = grid()->currentIndex();
    if (table()->table().recNo() > 0)
        QCOMPARE(gridNames().value(row.row()), current());
    QCOMPARE(CatalogTable::folderKey(panel(2)), CatalogTable::folderKey(table()->currentFolder()));
}

void TestSearch::findsAcrossFoldersAndKeepsTheText()
{
    Beeps beeps;
    start({ "Alpha", "Beta", "Gamma" },
        { { "ALPHA\\", "a1.txt" }, { "ALPHA\\", "a2.txt", "nothing" },
            { "BETA\\", "b1.txt", "has abc" }, { "GAMMA\\", "g1.txt", "ABC too" } });
    QVERIFY(!clearEnabled());

    search(Qt::Key_F3, QStringLiteral("abc"));
    QCOMPARE(current(), QStringLiteral("b1.txt"));
    QCOMPARE(panel(2), QStringLiteral("Beta\\"));
    QCOMPARE(tree()->currentItem()->text(0), QStringLiteral("Beta"));
    QCOMPARE(gridNames(), QStringList { "b1.txt" });
    QCOMPARE(panel(0), QStringLiteral("ABC"));
    QVERIFY(clearEnabled());
    checkViewsSettled();

    search(Qt::Key_F3); // the text is kept: no prompt
    QCOMPARE(current(), QStringLiteral("g1.txt"));
    search(Qt::Key_F4);
    QCOMPARE(current(), QStringLiteral("b1.txt"));
    QCOMPARE(beeps.count(), 0);

    // Esc in the grid forgets the text: the next search asks again.
    grid()->setFocus();
    press(Qt::Key_Escape);
    QCOMPARE(panel(0), QStringLiteral("7. December 2026"));
    QVERIFY(!clearEnabled());
    search(Qt::Key_F4, QStringLiteral("nothing"));
    QCOMPARE(current(), QStringLiteral("a2.txt"));
    checkViewsSettled();

    // Esc in the prompt: no search, today's date.
    press(Qt::Key_Escape);
    search(Qt::Key_F3, ScriptedDialogs::esc());
    QCOMPARE(panel(0), QStringLiteral("7. December 2026"));
    QVERIFY(!clearEnabled());
    QCOMPARE(current(), QStringLiteral("a2.txt"));
}

// A word only in a long text; the pane is not repainted for the records passed on the way.
void TestSearch::longTexts()
{
    QList<Rec> records { { "ALPHA\\", "a1.txt" } };
    for (int i = 0; i < 20; ++i) {
        records.append({ "BETA\\", QStringLiteral("b%1.txt").arg(i, 2, 10, QLatin1Char('0')) });
        file(QStringLiteral("Beta/b%1.txt.!").arg(i, 2, 10, QLatin1Char('0')), "a horse");
    }
    records.append({ "GAMMA\\", "g1.txt", "note" });
    file("Gamma/g1.txt.!", "black and\r\nwhite: a Zebra\r\n");
    start({ "Alpha", "Beta", "Gamma" }, records);
    Beeps beeps;
    QSignalSpy paneChanges(textPane(), &QPlainTextEdit::textChanged);

    search(Qt::Key_F3, QStringLiteral("zebra"));
    QCOMPARE(current(), QStringLiteral("g1.txt"));
    QCOMPARE(panel(0), QStringLiteral("Text:  ZEBRA"));
    QCOMPARE(beeps.count(), 0);
    QVERIFY2(paneChanges.count() <= 2, qPrintable(QString::number(paneChanges.count())));
    QCOMPARE(textPane()->toPlainText(), QStringLiteral("black and\nwhite: a Zebra"));
    checkViewsSettled();
}

void TestSearch::folderSearch()
{
    Beeps beeps;
    start({ "Bilder/Fotos", "Fotos2", "Zeta/FOTOS" },
        { { "ZETA\\FOTOS\\", "z1.jpg" }, { "ZETA\\FOTOS\\", "z2.jpg" } });
    // Nodes: 0 Bilder, 1 Bilder\Fotos, 2 Fotos2, 3 Zeta, 4 Zeta\FOTOS.
    tree()->collapseAll();
    search(Qt::Key_F3, QStringLiteral("fotos\\"));
    QCOMPARE(views().selectedNodeIndex(), 1);
    QCOMPARE(panel(2), QStringLiteral("Bilder\\Fotos\\"));
    QCOMPARE(panel(0), QStringLiteral("FOTOS\\"));
    QVERIFY(tree()->isExpanded(tree()->model()->index(0, 0)));
    QVERIFY(tree()->hasFocus());
    search(Qt::Key_F3);
    QCOMPARE(views().selectedNodeIndex(), 4);
    QCOMPARE(current(), QStringLiteral("z1.jpg"));
    QCOMPARE(beeps.count(), 0);

    // Nothing after it: a beep, and the selection stays.
    search(Qt::Key_F3);
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(views().selectedNodeIndex(), 4);

    press(Qt::Key_Escape);
    QVERIFY(views().selectNodeAt(1));
    search(Qt::Key_F4, QStringLiteral("bilder\\"));
    QCOMPARE(views().selectedNodeIndex(), 0);
    QCOMPARE(beeps.count(), 1);
    checkViewsSettled();
}

void TestSearch::missesBeepAndLeaveTheViews_data()
{
    QTest::addColumn<QString>("standOn");
    QTest::addColumn<int>("key");
    QTest::newRow("F3 on the last record") << "c.txt" << int(Qt::Key_F3);
    QTest::newRow("F4 on the first record") << "a.txt" << int(Qt::Key_F4);
}

void TestSearch::missesBeepAndLeaveTheViews()
{
    QFETCH(QString, standOn);
    QFETCH(int, key);
    QList<Rec> records;
    for (const char *name : { "a.txt", "b.txt", "c.txt" })
        records.append({ "ONLY\\", QString::fromLatin1(name) });
    // The only match lies on the other side.
    records.append({ key == Qt::Key_F3 ? "BEFORE\\" : "ZED\\", "d.txt", "word" });
    start({ "Before", "Only", "Zed" }, records);
    QVERIFY(views().selectFolderPath(QStringLiteral("Only\\")));
    clickRow(int(gridNames().indexOf(standOn)));
    QCOMPARE(current(), standOn);
    // The walk runs with the hourglass shown.
    bool hourglass = true;
    int seen = 0;
    table()->setTagFilter([&](const DbfTable &) {
        ++seen;
        const QCursor *c = QApplication::overrideCursor();
        hourglass = hourglass && c && c->shape() == Qt::WaitCursor;
        return true;
    });
    Beeps beeps;

    search(Qt::Key(key), QStringLiteral("word"));
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(current(), standOn);
    QCOMPARE(gridNames(), (QStringList { "a.txt", "b.txt", "c.txt" }));
    QCOMPARE(panel(2), QStringLiteral("Only\\"));
    QCOMPARE(panel(0), QStringLiteral("WORD"));
    QVERIFY(seen > 0 && hourglass);
    checkViewsSettled();
}

// A note being typed is written with the record rules before the search moves on.
void TestSearch::recordEditEndsFirst()
{
    start({ "Alpha", "Beta" },
        { { "ALPHA\\", "a.txt" }, { "ALPHA\\", "b.txt" }, { "BETA\\", "c.txt", "xyz" } });
    grid()->setFocus();
    clickRow(0, 1);
    press(Qt::Key_F5);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("typed xyz"));
    search(Qt::Key_F3, QStringLiteral("xyz"));
    QCOMPARE(m_form->state().mode, UiMode::Browse);
    QCOMPARE(current(), QStringLiteral("c.txt"));
    QVERIFY(views().selectFolderPath(QStringLiteral("Alpha\\")));
    QCOMPARE(table()->text(CatalogTable::NOTE), QStringLiteral("typed xyz"));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
