#include "app/translation.h"
#include "browse/catalogmodel.h"
#include "browse/ui/browseviews.h"
#include "dialogs/regional.h"
#include "dialogs/ui/messagedialog.h"
#include "dialogs/ui/widgetdialogs.h"
#include "support/gui/mainwindowfixture.h"
#include "support/gui/whenmodal.h"
#include "support/processrun.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <set>

namespace
{

// The letters a menu's items are reached by: "&Datei" gives "d".
QStringList accelerators(const QList<QAction *> &items)
{
    QStringList letters;
    for (const QAction *a : items) {
        const QString text = a->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (!a->isSeparator() && at >= 0 && at + 1 < text.size())
            letters << text.at(at + 1).toLower();
    }
    return letters;
}

// The environment of a run in the given locale variables only.
QProcessEnvironment localeEnvironment(const QStringList &variables)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "LANG", "LC_ALL", "LC_MESSAGES", "LANGUAGE" })
        env.remove(QLatin1String(name));
    for (const QString &variable : variables)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TABULON_UNATTENDED"), QStringLiteral("1"));
    return env;
}

} // namespace

// The program in German. The real program, started as a process from a copy with the
// translation beside it, chooses the language of the locale; the main window, with the
// translation loaded as start-up loads it, shows its menus, hints and messages in German
// while dates and numbers keep the program's own formats.
class TestTranslation : public QObject, public MainWindowFixture
{
    Q_OBJECT

    ProgramTranslation m_german;
    QTemporaryDir m_copy;
    QString m_exe;

    QAction *item(Command command) const { return m_form->commands().action(command); }

private slots:
    void initTestCase()
    {
        const QString built = QStringLiteral(TABULON_BINARY_DIR "/");
        m_german.load({ built }, QLocale(QLocale::German, QLocale::Germany));
        QVERIFY2(!m_german.file().isEmpty(), "tabulon_de.qm is not built beside the program");
        m_german.install();
        // A copy of the program with its translation, in a folder that is its program folder.
        QVERIFY(m_copy.isValid());
        m_exe = m_copy.filePath(QStringLiteral("tabulon"));
        QVERIFY(QFile::copy(built + "tabulon", m_exe));
        QVERIFY(QFile::copy(built + "tabulon_de.qm", m_copy.filePath("tabulon_de.qm")));
    }
    void init() { setUpWindow(); }
    void cleanup() { tearDownWindow(); }

    // LC_ALL before LC_MESSAGES before LANG; a language without a translation, and the C
    // locale, get the English texts as they stand in the code.
    void helpTextFollowsTheLocale_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QString>("firstLine");
        const QString german = QStringLiteral("Aufruf: tabulon [ARCHIV]");
        const QString english = QStringLiteral("usage: tabulon [ARCHIVE]");
        QTest::newRow("LANG German") << QStringList { "LANG=de_DE.UTF-8" } << german;
        QTest::newRow("Austrian German") << QStringList { "LANG=de_AT.UTF-8" } << german;
        QTest::newRow("LC_ALL over LANG")
            << QStringList { "LANG=C", "LC_ALL=de_DE.UTF-8" } << german;
        QTest::newRow("LC_MESSAGES over LANG")
            << QStringList { "LANG=en_GB.UTF-8", "LC_MESSAGES=de_DE.UTF-8" } << german;
        QTest::newRow("LC_ALL=C over a German LANG")
            << QStringList { "LANG=de_DE.UTF-8", "LC_ALL=C" } << english;
        QTest::newRow("LANG=C") << QStringList { "LANG=C" } << english;
        QTest::newRow("French: no translation") << QStringList { "LANG=fr_FR.UTF-8" } << english;
        QTest::newRow("no locale at all") << QStringList {} << english;
    }
    void helpTextFollowsTheLocale()
    {
        QFETCH(QStringList, variables);
        QFETCH(QString, firstLine);
        const ProcessRun run
            = runProcess(m_exe, { QStringLiteral("--help") }, localeEnvironment(variables));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.section(QLatin1Char('\n'), 0, 0), firstLine);
    }

    // An unknown option is named in the translated line, taken as text, not as a format.
    void unknownOptionInGerman()
    {
        const ProcessRun run = runProcess(
            m_exe, { QStringLiteral("--%s%n") }, localeEnvironment({ "LANG=de_DE.UTF-8" }));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(
            run.err, QStringLiteral("tabulon: unbekannte Option --%s%n (siehe tabulon --help)\n"));
    }

    // The first start's questions, as the unattended program reports them.
    void firstStartAsksInGerman()
    {
        QProcess p;
        p.setProcessEnvironment(localeEnvironment({ "LANG=de_DE.UTF-8" }));
        p.setWorkingDirectory(QDir::tempPath());
        p.start(m_exe, {});
        QByteArray said;
        QVERIFY(QTest::qWaitFor(
            [&] {
                said += p.readAllStandardError();
                return said.contains("running") || p.state() == QProcess::NotRunning;
            },
            30000));
        p.terminate();
        QVERIFY(p.waitForFinished(30000));
        said += p.readAllStandardError();
        const QString text = QString::fromUtf8(said);
        QVERIFY2(
            text.contains(QStringLiteral("dialog 4: Desktop-Symbol anlegen?")), said.constData());
        QVERIFY2(
            text.contains(QStringLiteral("root: Stammordner für  'Archive'?")), said.constData());
    }

    void menusAndHintsInGerman()
    {
        QStringList titles;
        for (const QAction *menu : m_form->menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles,
            (QStringList {
                "&Datei", "&Ordner", "&Suchen", "&Bearbeiten", "E&xtras", "&Ansicht", "&Hilfe" }));
        QCOMPARE(item(Command::SwitchArchive)->text(), QStringLiteral("Archiv &wechseln"));
        QCOMPARE(item(Command::NewFolder)->toolTip(), QStringLiteral("F1 = Neuen Ordner anlegen"));
        // Keys are not translated: Qt shows them in its own way.
        QCOMPARE(item(Command::SwitchArchive)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F2));
        QCOMPARE(m_form->commands().popupAction(Popup::Grid, Command::OpenWith)->text(),
            QStringLiteral("Öffnen &mit ..."));
        openCatalogue();
        QCOMPARE(
            grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Datei"));
    }

    // Every menu, the menu bar among them, reaches each of its items by a letter of its own.
    void acceleratorsUniqueInEveryMenu()
    {
        QList<QPair<QString, QList<QAction *>>> menus { { "menu bar",
            m_form->menuBar()->actions() } };
        for (const QMenu *menu : m_form->findChildren<QMenu *>())
            menus.append({ menu->objectName(), menu->actions() });
        QVERIFY(menus.size() >= 1 + 7 + 3);
        for (const auto &[name, items] : std::as_const(menus)) {
            const QStringList letters = accelerators(items);
            const std::set<QString> unique(letters.begin(), letters.end());
            QVERIFY2(unique.size() == size_t(letters.size()),
                qPrintable(name + QStringLiteral(": ") + letters.join(QLatin1Char(' '))));
        }
    }

    // A question through the program's own dialog window: caption, text and buttons.
    void questionInGerman()
    {
        file("A/a.txt");
        openCatalogue();
        showActive();
        installWidgetDialogs(m_form);
        QString caption, message;
        QStringList buttons;
        whenModal<MessageDialog>([&](MessageDialog *dialog) {
            caption = dialog->windowTitle();
            message = dialog->findChild<QLabel *>(QStringLiteral("Label1"))->text();
            for (const QPushButton *b : dialog->findChildren<QPushButton *>())
                if (b->isVisible())
                    buttons << b->text();
            dialog->reject();
        });
        m_form->commands().runCommand(Command::UpdateAll);
        QCOMPARE(caption, QStringLiteral("Bestätigung"));
        QCOMPARE(message, QStringLiteral("Alle Ordner aktualisieren?"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList { "&Ja", "&Nein" }));
        QCOMPARE(table()->table().physicalCount(), 0u);
    }

    // Dates and numbers are the program's own rules, not texts to translate: the grid of a
    // German user shows them as everyone's.
    void datesAndNumbersKeepTheirFormats()
    {
        QCOMPARE(regional::formatDate(QDate(2021, 12, 31)), QStringLiteral("31.12.21"));
        QCOMPARE(regional::formatInteger(1234567), QStringLiteral("1'234'567"));
        QCOMPARE(regional::formatDecimal(1.05, 1), QStringLiteral("1.1"));
        file("A/a.txt", QByteArray(1050, 'x'));
        QFile written(root() + "A/a.txt");
        QVERIFY(written.open(QIODevice::ReadWrite));
        QVERIFY(written.setFileTime(
            QDateTime(QDate(2021, 12, 31), QTime(12, 0)), QFileDevice::FileModificationTime));
        written.close();
        openCatalogue();
        showActive();
        ScriptedDialogs dialogs;
        dialogs.yes(QStringLiteral("Alle Ordner aktualisieren?"));
        m_form->commands().runCommand(Command::UpdateAll);
        QVERIFY(dialogs.done());
        QVERIFY(views().selectFolderPath(QStringLiteral("A\\")));
        const QAbstractItemModel *model = grid()->model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, CatalogModel::DateColumn).data().toString(),
            QStringLiteral("31.12.21"));
        QCOMPARE(
            model->index(0, CatalogModel::SizeColumn).data().toString(), QStringLiteral("1.1 K"));
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
