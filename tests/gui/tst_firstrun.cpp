#include "app/archivefiles.h"
#include "app/ui/archivechooser.h"
#include "app/ui/archivecommands.h"
#include "app/ui/mainwindow.h"
#include "app/ui/rootfolderdialog.h"
#include "store/catalogtable.h"
#include "support/gui/whenmodal.h"
#include "support/scripteddialogs.h"
#include "support/testutil.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace
{

// The lines of a settings file without blank lines, so that sections and keys compare in
// their order.
QStringList iniLines(const QString &path)
{
    QStringList lines;
    for (const QByteArray &line : testutil::readFile(path).split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (!text.isEmpty())
            lines << text;
    }
    return lines;
}

// "[Section]" lines and key names, in file order.
QStringList iniKeys(const QString &path)
{
    QStringList keys;
    for (const QString &line : iniLines(path))
        keys << (line.startsWith(QLatin1Char('[')) ? line : line.section(QLatin1Char('='), 0, 0));
    return keys;
}

QString iniValue(const QString &path, const QString &key)
{
    for (const QString &line : iniLines(path))
        if (line.section(QLatin1Char('='), 0, 0) == key)
            return line.section(QLatin1Char('='), 1);
    return QStringLiteral("<missing>");
}

// Answers the root question the way a user does: types the text (unless it is empty, which
// keeps the preset), Enter moves to OK, a second Enter confirms. "<esc>" cancels.
// ticks: the object names of the choices' check boxes to click first.
void answerRootQuestion(const QString &typed, QString *caption = nullptr, QString *preset = nullptr,
    const QStringList &ticks = {})
{
    whenModal<RootFolderDialog>([=](RootFolderDialog *dialog) {
        for (const QString &tick : ticks)
            QTest::mouseClick(dialog->findChild<QCheckBox *>(tick), Qt::LeftButton);
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        if (caption)
            *caption = dialog->windowTitle();
        if (preset)
            *preset = edit->text();
        if (typed == QLatin1String("<esc>")) {
            QTest::keyClick(edit, Qt::Key_Escape);
            return;
        }
        if (!typed.isEmpty()) {
            edit->selectAll();
            QTest::keyClicks(edit, typed);
        }
        QTest::keyClick(edit, Qt::Key_Return);
        auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Button1"));
        QTest::keyClick(ok, Qt::Key_Return);
    });
}

const QStringList archiveKeyOrder = { "[Local]", "Path", "Del", "[MainWin]", "hsplit", "vsplit",
    "file", "[Color]", "Data", "Edit", "Tbar", "[Font]", "Name", "CharSet", "Color", "Size",
    "Style", "[Print]", "Font", "top", "left", "bottom", "right", "[Param]", "Grid", "Dir", "Text",
    "Copy", "DeD", "STx", "View", "Ext", "Idx", "Inf", "Syn", "Par", "TB1", "TB2" };

const QStringList programKeyOrder
    = { "[Local]", "Vers", "DMS", "Cmd", "[MainWin]", "left", "top", "width", "height", "state",
          "[Param]", "Edl", "Edt", "Edh", "Edw", "Cfi", "Cco", "Cda", "Csi", "Opa" };

} // namespace

class TestFirstRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_savedCwd;

    ProgramFolder program() const
    {
        return { m_dir.filePath(QStringLiteral("tabulon")), m_dir.path() + QLatin1Char('/'),
            false };
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // A main window with the archive handlers of a program in the test's folder.
    std::unique_ptr<MainWindow> makeForm(
        const QStringList &arguments = {}, const ProgramFolder *folder = nullptr)
    {
        ArchiveEnvironment env;
        env.program = folder ? *folder : program();
        env.arguments = arguments;
        return std::make_unique<MainWindow>(env);
    }

    void writeSettings(const QString &name, const QByteArray &text)
    {
        QVERIFY(testutil::writeFile(file(name), QByteArray(text).replace("\n", "\r\n")));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_savedCwd = QDir::currentPath().toLocal8Bit();
    }
    void cleanup()
    {
        // quitProgram tells the event loop to end; outside a running loop that request
        // would make every later modal window return at once. Running the application's
        // loop once consumes it.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QDir::setCurrent(QString::fromLocal8Bit(m_savedCwd));
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void firstRunCreatesBothFilesAndTheTable()
    {
        ScriptedDialogs dialogs;
        dialogs.no(QStringLiteral("Create desktop-icon ?"));
        QString caption, preset;
        answerRootQuestion(QString(), &caption, &preset);

        auto form = makeForm();
        QVERIFY(form->startUp());
        QVERIFY(dialogs.done());
        QCOMPARE(caption, QStringLiteral("Root folder for:  'Archive'  ?"));
        QCOMPARE(preset, QStringLiteral("Archive\\"));

        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(iniLines(file("Tabulon.ini")),
            QStringList({ "[Local]", "Vers=6.6", "DMS=Archive", "[MainWin]",
                QStringLiteral("left=%1").arg((screen.width() - 800) / 2),
                QStringLiteral("top=%1").arg((screen.height() - 600) / 2), "width=800",
                "height=600", "state=0" }));
        QCOMPARE(iniLines(file("Archive.ini")), QStringList({ "[Local]", "Path=Archive\\" }));

        const AppState &state = form->state();
        QCOMPARE(state.settings.rootPath, m_dir.path() + QStringLiteral("/Archive/"));
        QVERIFY(state.catalog->isOpen());
        QVERIFY(QFileInfo::exists(file("Archive/Archive.dbf")));
        QVERIFY(QFileInfo::exists(file("Archive/Archive.mdx")));
        QVERIFY(state.followCurrentRecord);
        QCOMPARE(QDir::currentPath(), m_dir.path());
        QCOMPARE(form->windowTitle(), QStringLiteral("Tabulon 6.6 - Archive"));

        form->quitProgram();
        QVERIFY(!state.catalog->isOpen());
        QCOMPARE(iniKeys(file("Archive.ini")), archiveKeyOrder);
        QCOMPARE(iniKeys(file("Tabulon.ini")), programKeyOrder);
        QCOMPARE(iniValue(file("Archive.ini"), "Path"), QStringLiteral("Archive\\"));
        QCOMPARE(iniValue(file("Archive.ini"), "Data"), QStringLiteral("$00DAFAFA"));
        QCOMPARE(iniValue(file("Archive.ini"), "Edit"), QStringLiteral("clWhite"));
        QCOMPARE(iniValue(file("Archive.ini"), "Tbar"), QStringLiteral("$00DA0000"));
        QCOMPARE(iniValue(file("Archive.ini"), "Idx"), QStringLiteral("1"));
        QCOMPARE(iniValue(file("Archive.ini"), "View"), QStringLiteral("d:\\irfan\\i_view32.exe"));
        QCOMPARE(iniValue(file("Archive.ini"), "TB1"), QStringLiteral("1"));
        QCOMPARE(iniValue(file("Tabulon.ini"), "DMS"), QStringLiteral("Archive"));
        QCOMPARE(iniValue(file("Tabulon.ini"), "Opa"), QStringLiteral("0"));
    }

    void cancelledRootQuestionEndsWithoutSaving()
    {
        ScriptedDialogs dialogs;
        dialogs.no(QStringLiteral("Create desktop-icon ?"));
        answerRootQuestion(QStringLiteral("<esc>"));

        auto form = makeForm();
        QVERIFY(!form->startUp());
        QVERIFY(form->state().startAbandoned);
        const QByteArray programFile = testutil::readFile(file("Tabulon.ini"));
        // Only the first-run values: nothing was saved on the way out.
        QCOMPARE(iniKeys(file("Tabulon.ini")),
            QStringList({ "[Local]", "Vers", "DMS", "[MainWin]", "left", "top", "width", "height",
                "state" }));
        form->quitProgram();
        QCOMPARE(testutil::readFile(file("Tabulon.ini")), programFile);
        QVERIFY(!QFileInfo::exists(file("Archive.ini")));
        QVERIFY(!QFileInfo::exists(file("Archive")));
    }

    void enteredRootIsStoredAndResolved_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("root");
        QTest::newRow("leading backslash dropped") << "\\Data"
                                                   << "Data\\"
                                                   << "Data/";
        QTest::newRow("nested relative") << "Data\\Photos"
                                         << "Data\\Photos\\"
                                         << "Data/Photos/";
    }
    void enteredRootIsStoredAndResolved()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, root);
        ScriptedDialogs dialogs;
        dialogs.no();
        answerRootQuestion(typed);
        auto form = makeForm();
        QVERIFY(form->startUp());
        QCOMPARE(iniValue(file("Archive.ini"), "Path"), stored);
        QCOMPARE(form->state().settings.rootPath, m_dir.path() + QLatin1Char('/') + root);
        QVERIFY(QFileInfo::exists(file(root + QStringLiteral("Archive.dbf"))));
    }

    // The choices ticked in the root question go into the table made for the archive: its
    // header byte 30, and for a Unicode one the code page file beside it.
    void rootQuestionChoicesMakeTheTable_data()
    {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<int>("flags");
        QTest::newRow("none") << QStringList() << 0;
        QTest::newRow("unicode") << QStringList { "unicodeCheckBox" } << 2;
        QTest::newRow("extensionless") << QStringList { "extensionlessCheckBox" } << 1;
        QTest::newRow("both") << QStringList { "unicodeCheckBox", "extensionlessCheckBox" } << 3;
    }
    void rootQuestionChoicesMakeTheTable()
    {
        QFETCH(QStringList, ticks);
        QFETCH(int, flags);
        ScriptedDialogs dialogs;
        dialogs.no();
        answerRootQuestion(QStringLiteral("Data"), nullptr, nullptr, ticks);
        auto form = makeForm();
        QVERIFY(form->startUp());
        const TableChoices &choices = form->state().catalog->choices();
        QCOMPARE(int(choices.flags()), flags);
        form->quitProgram();
        const QByteArray header = testutil::readFile(file("Data/Archive.dbf")).left(32);
        QCOMPARE(int(quint8(header.at(30))), flags);
        QCOMPARE(int(quint8(header.at(29))), 0);
        QCOMPARE(QFileInfo::exists(file("Data/Archive.cpg")), (flags & 2) != 0);
    }

    void commandLineArchiveAndStartMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("dmsAfter");
        QTest::newRow("last used") << 0 << "Fotos";
        QTest::newRow("always the same") << 1 << "Archive";
    }
    void commandLineArchiveAndStartMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, dmsAfter);
        writeSettings("Tabulon.ini",
            QStringLiteral("[Local]\nDMS=Archive\n[Param]\nOpa=%1\n").arg(mode).toLatin1());
        ScriptedDialogs dialogs; // no desktop question: not a first run
        QString caption;
        answerRootQuestion(QString(), &caption);
        auto form = makeForm({ QStringLiteral("Fotos") });
        QVERIFY(form->startUp());
        QCOMPARE(caption, QStringLiteral("Root folder for:  'Fotos'  ?"));
        QCOMPARE(form->state().settings.archiveName, QStringLiteral("Fotos"));
        QVERIFY(QFileInfo::exists(file("Fotos/Fotos.dbf")));
        form->quitProgram();
        QCOMPARE(iniValue(file("Tabulon.ini"), "DMS"), dmsAfter);
        QVERIFY(dialogs.done());
    }

    void missingDrive_data()
    {
        QTest::addColumn<QString>("choice"); // what the archive list is answered with
        QTest::addColumn<bool>("opens");
        QTest::newRow("escape") << "" << false;
        QTest::newRow("same archive") << "Archive" << false;
        QTest::newRow("other archive") << "Other" << true;
    }
    void missingDrive()
    {
        QFETCH(QString, choice);
        QFETCH(bool, opens);
        writeSettings("Tabulon.ini", "[Local]\nVers=6.6\nDMS=Archive\n[MainWin]\nstate=0\n");
        writeSettings("Archive.ini", "[Local]\nPath=c:\\x\\\n");
        writeSettings("Other.ini", "[Local]\nPath=Other\\\n");
        const QByteArray programBefore = testutil::readFile(file("Tabulon.ini"));
        const QByteArray archiveBefore = testutil::readFile(file("Archive.ini"));

        ScriptedDialogs dialogs;
        dialogs.error(QStringLiteral("Drive  'C:\\'  not exist !"));
        QString caption;
        QStringList listed;
        whenModal<ArchiveChooser>([&](ArchiveChooser *chooser) {
            caption = chooser->windowTitle();
            auto *list = chooser->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                listed << list->topLevelItem(i)->text(0);
            listed << QStringLiteral("current:") + list->currentItem()->text(0);
            if (choice.isEmpty()) {
                QTest::keyClick(list, Qt::Key_Escape);
                return;
            }
            list->setCurrentItem(list->findItems(choice, Qt::MatchExactly).first());
            QTest::keyClick(list, Qt::Key_Return);
        });

        auto form = makeForm();
        QCOMPARE(form->startUp(), opens);
        QVERIFY(dialogs.done());
        QCOMPARE(caption, QStringLiteral("another archive or ESC"));
        QCOMPARE(listed, QStringList({ "Archive", "Other", "current:Archive" }));
        QCOMPARE(testutil::readFile(file("Archive.ini")), archiveBefore);
        if (!opens) {
            QCOMPARE(testutil::readFile(file("Tabulon.ini")), programBefore);
            QVERIFY(!QFileInfo::exists(file("Other")));
            return;
        }
        QCOMPARE(form->state().settings.archiveName, QStringLiteral("Other"));
        QCOMPARE(iniValue(file("Tabulon.ini"), "DMS"), QStringLiteral("Other"));
        QVERIFY(form->state().catalog->isOpen());
        QCOMPARE(
            form->state().catalog->fileName(), m_dir.path() + QStringLiteral("/Other/Other.dbf"));
    }

    void maximisedWindowKeepsNormalBounds()
    {
        writeSettings(
            "Tabulon.ini", "[MainWin]\nleft=10\ntop=20\nwidth=700\nheight=500\nstate=1\n");
        writeSettings("Archive.ini", "[Local]\nPath=Archive\\\n");
        ScriptedDialogs dialogs;
        auto form = makeForm();
        QVERIFY(form->startUp());
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        form->quitProgram();
        const QString ini = file("Tabulon.ini");
        QCOMPARE(iniValue(ini, "left"), QStringLiteral("10"));
        QCOMPARE(iniValue(ini, "top"), QStringLiteral("20"));
        QCOMPARE(iniValue(ini, "width"), QStringLiteral("700"));
        QCOMPARE(iniValue(ini, "height"), QStringLiteral("500"));
        QCOMPARE(iniValue(ini, "state"), QStringLiteral("1"));
    }

    void gridHeightKeptShortOfThePanel_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("limited");
        QTest::newRow("fits") << 100 << false;
        QTest::newRow("taller than the panel") << 5000 << true;
    }
    void gridHeightKeptShortOfThePanel()
    {
        QFETCH(int, stored);
        QFETCH(bool, limited);
        writeSettings("Tabulon.ini", "[MainWin]\nwidth=800\nheight=600\nstate=0\n");
        writeSettings("Archive.ini",
            QStringLiteral("[Local]\nPath=Archive\\\n[MainWin]\nhsplit=%1\n")
                .arg(stored)
                .toLatin1());
        ScriptedDialogs dialogs;
        auto form = makeForm();
        QVERIFY(form->startUp());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const int expected
            = limited ? form->findChild<QWidget *>(QStringLiteral("Panel1"))->height() - 5 : stored;
        QTRY_COMPARE(form->gridHeight(), expected);
    }

    void tableSettingsTravelWithTheTable()
    {
        writeSettings("Tabulon.ini", "[Local]\nDMS=Archive\n");
        writeSettings("Archive.ini", "[Local]\nPath=Archive\\\nDel=7\n[Param]\nIdx=3\n");
        ScriptedDialogs dialogs;
        auto form = makeForm();
        QVERIFY(form->startUp());
        CatalogTable *table = form->state().catalog;
        QCOMPARE(table->orderName(), QByteArray("3"));
        QCOMPARE(table->deletedCount, 7);
        table->deletedCount = 9;
        QVERIFY(table->switchOrder(2).isOk());
        form->quitProgram();
        QCOMPARE(iniValue(file("Archive.ini"), "Del"), QStringLiteral("9"));
        QCOMPARE(iniValue(file("Archive.ini"), "Idx"), QStringLiteral("2"));
        QCOMPARE(iniValue(file("Archive.ini"), "Path"), QStringLiteral("Archive\\"));
    }

    void indexOrderThatIsNoNumberOpensByName()
    {
        writeSettings("Tabulon.ini", "[Local]\nDMS=Archive\n");
        writeSettings("Archive.ini", "[Local]\nPath=Archive\\\n[Param]\nIdx=x\n");
        ScriptedDialogs dialogs;
        auto form = makeForm();
        QVERIFY(form->startUp());
        QCOMPARE(form->state().catalog->orderName(), QByteArray("1"));
    }

    void lockedTableEndsWithoutSaving()
    {
        writeSettings("Tabulon.ini", "[Local]\nDMS=Archive\n");
        writeSettings("Archive.ini", "[Local]\nPath=Archive\\\n");
        CatalogTable other;
        QVERIFY(QDir().mkpath(file("Archive")));
        QVERIFY(other.open(file("Archive"), QStringLiteral("Archive")).isOk());
        const QByteArray programBefore = testutil::readFile(file("Tabulon.ini"));
        const QByteArray archiveBefore = testutil::readFile(file("Archive.ini"));

        ScriptedDialogs dialogs;
        dialogs.error(
            QStringLiteral("Record or database is locked by another user !\rTry again later ..."));
        auto form = makeForm();
        QVERIFY(!form->startUp());
        QVERIFY(dialogs.done());
        form->quitProgram();
        QCOMPARE(testutil::readFile(file("Tabulon.ini")), programBefore);
        QCOMPARE(testutil::readFile(file("Archive.ini")), archiveBefore);
        QVERIFY(other.isOpen());
    }

    void damagedTableIsNamedNotCalledLocked()
    {
        writeSettings("Tabulon.ini", "[Local]\nDMS=Archive\n");
        writeSettings("Archive.ini", "[Local]\nPath=Archive\\\n");
        const QByteArray garbage("this is no table, and must stay as it is");
        QVERIFY(testutil::writeFile(file("Archive/Archive.dbf"), garbage));

        ScriptedDialogs dialogs;
        dialogs.error(QStringLiteral("Archive.dbf"));
        // Another archive may be chosen; Esc there ends the start.
        QString caption;
        whenModal<ArchiveChooser>([&caption](ArchiveChooser *chooser) {
            caption = chooser->windowTitle();
            QTest::keyClick(
                chooser->findChild<QTreeWidget *>(QStringLiteral("ListView1")), Qt::Key_Escape);
        });
        auto form = makeForm();
        QVERIFY(!form->startUp());
        QVERIFY(dialogs.done());
        QCOMPARE(caption, QStringLiteral("another archive or ESC"));
        QVERIFY(!dialogs.messages().join(QString()).contains(QStringLiteral("locked")));
        QCOMPARE(testutil::readFile(file("Archive/Archive.dbf")), garbage);
    }

    void unwritableProgramFolderFallsBackToTheUserFolder()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        // Nothing can be created below /proc, whoever runs the test.
        const ProgramFolder folder
            = programfolder::locate(QStringLiteral("/proc/tabulon-test/tabulon"));
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(folder.perUser);

        ScriptedDialogs dialogs;
        dialogs.no(QStringLiteral("Create desktop-icon ?"));
        answerRootQuestion(QString());
        auto form = makeForm({}, &folder);
        QVERIFY(form->startUp());
        const QString userFolder = config.path() + QStringLiteral("/Tabulon/");
        QVERIFY(QFileInfo::exists(userFolder + QStringLiteral("Tabulon.ini")));
        QCOMPARE(iniValue(userFolder + QStringLiteral("Archive.ini"), "Path"),
            QStringLiteral("Archive\\"));
        QCOMPARE(form->state().settings.rootPath, userFolder + QStringLiteral("Archive/"));
        form->quitProgram();
        QCOMPARE(iniKeys(userFolder + QStringLiteral("Archive.ini")), archiveKeyOrder);
    }
};

QTEST_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
