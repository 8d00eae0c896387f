#include "mainwindowfixture.h"

#include "app/ui/commandfamilies.h"
#include "app/ui/mainwindow.h"
#include "dialogs/regional.h"
#include "store/catalogtable.h"
#include "support/testutil.h"

#include <QtTest>

#include <QApplication>
#include <QTableView>
#include <QTreeWidget>

void MainWindowFixture::setUpWindow()
{
    regional::install(
        regional::Rules(regional::DateOrder::DayMonth, {}, [] { return QDate(2026, 12, 7); }));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_form = new MainWindow(testEnvironment());
    m_form->state().settings.rootPath = root();
    m_form->resize(800, 600);
}

void MainWindowFixture::tearDownWindow()
{
    delete m_form;
    m_form = nullptr;
    m_dir.reset();
}

ArchiveEnvironment MainWindowFixture::testEnvironment() const
{
    ArchiveEnvironment env;
    env.program.executablePath = root() + QStringLiteral("Tabulon");
    env.program.folder = root();
    env.askRoot
        = [](const QString &, const QString &, QString *, CatalogueChoices *) { return false; };
    env.chooseArchive = [](const QString &) { return QString(); };
    return env;
}

CatalogTable *MainWindowFixture::table() const
{
    return m_form->state().catalog;
}

QTreeWidget *MainWindowFixture::tree() const
{
    return m_form->views().tree;
}

QTableView *MainWindowFixture::grid() const
{
    return m_form->views().grid;
}

QPlainTextEdit *MainWindowFixture::textPane() const
{
    return m_form->views().textPane;
}

BrowseViews &MainWindowFixture::views() const
{
    return m_form->families().browsing();
}

EditingCommands &MainWindowFixture::editing() const
{
    return m_form->families().editing();
}

void MainWindowFixture::file(const QString &rel, const QByteArray &bytes)
{
    QVERIFY(testutil::writeFile(root() + rel, bytes));
}

void MainWindowFixture::openCatalogue()
{
    QVERIFY(table()->open(root(), QStringLiteral("Archiv")));
}

void MainWindowFixture::showActive()
{
    m_form->state().followCurrentRecord = true;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
}

void MainWindowFixture::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget();
    QTest::keyClick(target ? target : tree(), key, modifiers);
}

void MainWindowFixture::clickRow(int row, int column)
{
    QTableView *grid = this->grid();
    const QModelIndex index = grid->model()->index(row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

QStringList MainWindowFixture::gridNames() const
{
    QStringList names;
    const QAbstractItemModel *model = grid()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}
