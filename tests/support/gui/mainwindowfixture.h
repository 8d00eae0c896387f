#pragma once

#include "app/ui/archivecommands.h"
#include "app/ui/commandactions.h"
#include "app/ui/commandfamilies.h"
#include "app/ui/mainwindow.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class BrowseViews;
class CatalogTable;
class EditingCommands;
class MainWindow;
class QPlainTextEdit;
class QTableView;
class QTreeWidget;

// The main window over a fresh root folder, as the window tests drive it: the regional
// rules of a day-month machine on 7 December 2026, every command family composed, the
// catalogue "Archiv" in the root. Test classes derive from it beside QObject and call
// setUpWindow() and tearDownWindow() from init() and cleanup().
class MainWindowFixture
{
protected:
    void setUpWindow();
    void tearDownWindow();

    // Settings in the root folder, no command-line argument, every archive question
    // answered with Esc.
    ArchiveEnvironment testEnvironment() const;

    QString root() const { return m_dir->path() + QLatin1Char('/'); }
    CatalogTable *table() const;
    QTreeWidget *tree() const;
    QTableView *grid() const;
    QPlainTextEdit *textPane() const;
    BrowseViews &views() const;
    EditingCommands &editing() const;
    // Writes a file below the root, creating its folders.
    void file(const QString &rel, const QByteArray &bytes = "x");
    void openCatalogue();
    // As at start-up: the catalogue followed, the window shown and active.
    void showActive();
    // A key as the user presses it: to the widget with the focus, else to the tree.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    void clickRow(int row, int column = 0);
    QStringList gridNames() const; // the NAME column as the grid shows it

    std::unique_ptr<QTemporaryDir> m_dir;
    MainWindow *m_form = nullptr;
};
