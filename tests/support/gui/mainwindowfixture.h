#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>
#include <memory>

class CatalogTable;
class TForm1;

// The main window over a fresh root folder, as the window tests drive it: the regional
// rules of a day-month machine on 7 December 2026, the parts a test needs plugged in, the
// catalogue "Archiv" in the root. Test classes derive from it beside QObject and call
// setUpWindow() and tearDownWindow() from init() and cleanup().
class MainWindowFixture
{
protected:
    using Part = void (*)(TForm1 &);

    void setUpWindow(std::initializer_list<Part> parts);
    void tearDownWindow();

    QString root() const { return m_dir->path() + QLatin1Char('/'); }
    CatalogTable *table() const;
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
    TForm1 *m_form = nullptr;
};
