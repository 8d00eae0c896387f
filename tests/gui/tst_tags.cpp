#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "browse/ui/replacetagsdialog.h"
#include "browse/ui/tagcommands.h"
#include "browse/ui/taglisteditor.h"
#include "store/catalogtable.h"
#include "support/catalogrecords.h"
#include "support/gui/mainwindowfixture.h"
#include "support/gui/whenmodal.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

namespace
{

struct Rec {
    QString dir;
    QString name;
    QString code;
};

} // namespace

// The tag commands through their keys, prompts and windows.
class TestTags : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    void addAndDeleteTag_data();
    void addAndDeleteTag();
    void filter_data();
    void filter();
    void filterSwitchedOffAndForgotten();
    void replaceTags_data();
    void replaceTags();
    void replaceRefusesTagsOfTheFilter();
    void tagList_data();
    void tagList();

private:
    void start(const QList<Rec> &records);
    QStringList codes() const;
    void filterOn(const QString &answer);
    TagCommands &tags() const { return m_form->families().tags(); }
    QString current() const { return table()->text(CatalogTable::NAME); }
};

void TestTags::start(const QList<Rec> &records)
{
    for (const char *f : { "F", "G" })
        QVERIFY(QDir().mkpath(root() + QLatin1String(f)));
    openCatalogue();
    m_form->state().settings.archiveName = QStringLiteral("Archiv");
    QList<testutil::CatalogRecord> rows;
    for (const Rec &r : records)
        rows.append({ r.dir, r.name, {}, r.code });
    QVERIFY(testutil::addRecords(*table(), rows));
    showActive();
    grid()->setFocus();
}

// The tags of every record, in file order.
QStringList TestTags::codes() const
{
    QStringList out;
    CatalogTable *t = table();
    const qint64 was = t->table().recNo();
    for (quint32 recno = 1; recno <= t->table().physicalCount(); ++recno) {
        t->table().cancelRange();
        if (t->table().goTo(recno))
            out << t->text(CatalogTable::CODE);
    }
    t->setFolderRange(t->currentFolder());
    if (was > 0)
        t->table().goTo(quint32(was));
    return out;
}

void TestTags::filterOn(const QString &answer)
{
    ScriptedDialogs dialogs;
    dialogs.input(answer, QStringLiteral("Tag (Character) for the filter ?"));
    press(Qt::Key_F9);
    QVERIFY(dialogs.done());
}

void TestTags::addAndDeleteTag_data()
{
    // CODE before, Insert (add) or Delete, the answer, CODE after, the tag remembered;
    // whether a message refuses the tag.
    QTest::addColumn<QStringList>("c");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("refused");
    const int insert = Qt::Key_Insert;
    QTest::newRow("add b") << QStringList { "XY", "b", "BXY", "B" } << insert << false;
    QTest::newRow("-A adds the minus") << QStringList { "XY", "-A", "-XY", "-" } << insert << false;
    QTest::newRow("minus alone ignored") << QStringList { "XY", "-", "XY", "-" } << insert << false;
    QTest::newRow("delete every x")
        << QStringList { "XAX", "x", "A", "X" } << int(Qt::Key_Delete) << false;
    // Nothing but the tag typed is ever stored.
    QTest::newRow("blank refused") << QStringList { "XY", " ", "XY", " " } << insert << true;
    QTest::newRow("character outside the code page refused")
        << QStringList { "XY", "\u2603", "XY", "\u2603" } << insert << true;
}

void TestTags::addAndDeleteTag()
{
    QFETCH(QStringList, c);
    QFETCH(int, key);
    QFETCH(bool, refused);
    start({ { "F\\", "a.txt", c[0] } });
    ScriptedDialogs dialogs;
    const QString prompt = key == Qt::Key_Insert ? QStringLiteral("Add tag ? (1 Character)")
                                                 : QStringLiteral("Delete tag ? (1 Character)");
    dialogs.input(c[1], prompt);
    if (refused)
        dialogs.error(QStringLiteral("Tag  '%1'  can not be stored").arg(c[1]));
    dialogs.input(ScriptedDialogs::esc(), prompt);
    press(Qt::Key(key));
    QCOMPARE(table()->text(CatalogTable::CODE), c[2]);
    QCOMPARE(grid()->model()->index(0, 2).data().toString(), c[2]);
    QCOMPARE(tags().lastTag(), c[3]);
    // The next prompt is preset with it; Esc there forgets it and changes nothing.
    press(Qt::Key(key));
    QCOMPARE(dialogs.requests().at(refused ? 2 : 1).option, c[3]);
    QCOMPARE(tags().lastTag(), QString());
    QCOMPARE(table()->text(CatalogTable::CODE), c[2]);
}

void TestTags::filter_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("AND") << "b a -b" << QStringList { "ab.txt" };
    QTest::newRow("NOT hides A or B") << "-ab" << QStringList { "c.txt", "none.txt" };
}

void TestTags::filter()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, shown);
    start({ { "F\\", "ab.txt", "AB" }, { "F\\", "ac.txt", "AC" }, { "F\\", "b.txt", "B" },
        { "F\\", "c.txt", "C" }, { "F\\", "none.txt", "" }, { "G\\", "g.txt", "C" } });
    filterOn(answer);
    QCOMPARE(gridNames(), shown);
    QCOMPARE(current(), shown.first());
    QCOMPARE(m_form->panelText(3), QStringLiteral("Tags:  ") + tags().tagFilter());

    // F9 again: every record, the count, and the filter kept as the next preset.
    press(Qt::Key_F9);
    QVERIFY(!table()->tagFilterOn());
    QCOMPARE(gridNames().size(), 5);
    QCOMPARE(m_form->panelText(3), QStringLiteral("6"));
    ScriptedDialogs dialogs;
    dialogs.cancelInput();
    const QString kept = tags().tagFilter();
    press(Qt::Key_F9);
    QCOMPARE(dialogs.requests().at(0).option, kept);
    QCOMPARE(tags().tagFilter(), QString());
    QVERIFY(!table()->tagFilterOn());
}

// The filter stays while folders are selected; the folder update switches it off (the
// count comes back), the reorganisation forgets its string.
void TestTags::filterSwitchedOffAndForgotten()
{
    start({ { "F\\", "a.txt", "A" }, { "F\\", "b.txt", "" }, { "G\\", "g.txt", "A" } });
    filterOn(QStringLiteral("a"));
    QVERIFY(views().selectFolderPath(QStringLiteral("G\\")));
    QCOMPARE(gridNames(), QStringList { "g.txt" });
    QVERIFY(views().selectFolderPath(QStringLiteral("F\\")));
    QCOMPARE(gridNames(), QStringList { "a.txt" });
    QCOMPARE(m_form->panelText(3), QStringLiteral("Tags:  A"));

    file("F/a.txt");
    file("F/b.txt");
    grid()->setFocus();
    press(Qt::Key_F8);
    QVERIFY(!table()->tagFilterOn());
    QCOMPARE(gridNames(), (QStringList { "a.txt", "b.txt" }));
    QCOMPARE(m_form->panelText(3), QStringLiteral("3"));
    QCOMPARE(tags().tagFilter(), QStringLiteral("A"));

    filterOn(QStringLiteral("a"));
    m_form->commands().runCommand(Command::Reorganize);
    QVERIFY(!table()->tagFilterOn());
    QCOMPARE(tags().tagFilter(), QString());
}

void TestTags::replaceTags_data()
{
    QTest::addColumn<bool>("allFolders");
    QTest::addColumn<QStringList>("codes");
    // A to B over F\ab AB, F\ac AC, F\axa AXA, G\g AC; F is selected.
    QTest::newRow("this folder") << false << QStringList { "AB", "BC", "BXB", "AC" };
    QTest::newRow("all folders") << true << QStringList { "AB", "BC", "BXB", "BC" };
}

void TestTags::replaceTags()
{
    QFETCH(bool, allFolders);
    QFETCH(QStringList, codes);
    start({ { "F\\", "ab", "AB" }, { "F\\", "ac", "AC" }, { "F\\", "axa", "AXA" },
        { "G\\", "g", "AC" } });
    clickRow(1);
    bool seen = false;
    whenShown(QStringLiteral("TForm6"), [&](QWidget *w) {
        auto *dialog = qobject_cast<ReplaceTagsDialog *>(w);
        seen = dialog && (w->windowFlags() & Qt::WindowStaysOnTopHint);
        QTest::keyClicks(dialog->fromEdit, QStringLiteral("a"));
        QTest::keyClicks(dialog->toEdit, QStringLiteral("b"));
        seen = seen && dialog->fromEdit->text() == QLatin1String("A");
        dialog->allFoldersCheckBox->setChecked(allFolders);
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
    });
    press(Qt::Key_R, Qt::ControlModifier);
    QVERIFY(seen);
    QCOMPARE(this->codes(), codes);
    QCOMPARE(current(), QStringLiteral("ac"));
    QCOMPARE(views().selectedNodeIndex(), 0);
    QCOMPARE(table()->orderName(), QByteArray("1"));
    QVERIFY(!table()->isDetached() && m_form->state().followCurrentRecord);
    QCOMPARE(grid()->model()->index(1, 2).data().toString(), QStringLiteral("BC"));
}

void TestTags::replaceRefusesTagsOfTheFilter()
{
    start({ { "F\\", "ab", "AB" }, { "F\\", "b", "B" } });
    filterOn(QStringLiteral("-b"));
    ScriptedDialogs dialogs;
    dialogs.error(QStringLiteral("Tag  'B'  is used by the filter !"));
    bool stayedOpen = false;
    whenShown(QStringLiteral("TForm6"), [&](QWidget *w) {
        auto *dialog = static_cast<ReplaceTagsDialog *>(w);
        QTest::keyClicks(dialog->fromEdit, QStringLiteral("x"));
        QTest::keyClicks(dialog->toEdit, QStringLiteral("b"));
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
        stayedOpen = dialog->isVisible();
        QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
    });
    press(Qt::Key_R, Qt::ControlModifier);
    QVERIFY(stayedOpen);
    QVERIFY(dialogs.done());
    table()->switchTagFilterOff();
    QCOMPARE(codes(), (QStringList { "AB", "B" }));
}

void TestTags::tagList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("answer"); // to "Save changes ?", empty when none is asked
    QTest::addColumn<QByteArray>("file"); // afterwards
    QTest::newRow("nothing typed: nothing asked or written")
        << QString() << QString() << QByteArray("A = Auto\r\n");
    QTest::newRow("typed, No: the file stays") << "x"
                                               << "2" << QByteArray("A = Auto\r\n");
    QTest::newRow("typed, Yes: saved") << "B = Boot\n"
                                       << "1" << QByteArray("B = Boot\r\nA = Auto\r\n");
    QTest::newRow("Ctrl+Y, Yes: the line gone") << "^Y"
                                                << "1" << QByteArray();
}

void TestTags::tagList()
{
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QByteArray, file);
    start({ { "F\\", "a", "" } });
    this->file(QStringLiteral("Archiv.txt"), "A = Auto\r\n");
    m_form->state().settings.tagEditorBounds = QRect(30, 40, 500, 300);
    ScriptedDialogs dialogs;
    if (!answer.isEmpty())
        dialogs.expect(DialogKind::Confirmation, answer, QStringLiteral("Save changes ?"));
    QRect shownAt;
    bool focused = false;
    QString loaded;
    whenShown(QStringLiteral("TForm7"), [&](QWidget *w) {
        auto *editor = static_cast<TagListEditor *>(w);
        shownAt = QRect(w->pos(), w->size());
        loaded = editor->textEdit->toPlainText();
        focused = editor->textEdit->hasFocus() && editor->textEdit->textCursor().position() == 0;
        if (typed == QLatin1String("^Y"))
            QTest::keyClick(editor->textEdit, Qt::Key_Y, Qt::ControlModifier);
        const QStringList lines
            = typed == QLatin1String("^Y") ? QStringList() : typed.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(editor->textEdit, Qt::Key_Return);
            QTest::keyClicks(editor->textEdit, lines[i]);
        }
        w->resize(520, 310);
        QTest::keyClick(editor->textEdit, Qt::Key_Escape);
    });
    press(Qt::Key_K, Qt::ControlModifier);
    QVERIFY(dialogs.done());
    QCOMPARE(loaded, QStringLiteral("A = Auto"));
    QVERIFY(focused);
    QCOMPARE(shownAt.size(), QSize(500, 300));
    QCOMPARE(m_form->state().settings.tagEditorBounds.size(), QSize(520, 310));
    QCOMPARE(testutil::readFile(root() + "Archiv.txt"), file);
}

QTEST_MAIN(TestTags)
#include "tst_tags.moc"
