#pragma once

#include "views/ui/mainviews.h"
#include "views/ui/viewsport.h"

#include <QPointer>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

// "Printer set&up" and "&Print (folder)": the listing of the current folder as the grid
// shows it (its order and tag filter), printed on the printer chosen in the print
// dialog, which may be a PDF file when no printer is installed. The printer and its
// set-up are kept for the rest of the run.
class PrintCommands
{
public:
    PrintCommands(AppState &state, ViewsPort &views, StatusPanels &panels, QWidget *window);
    ~PrintCommands();

    // A dialog on the printer; false when it was cancelled. Tests replace the print
    // dialog and the set-up dialog with their own.
    using PrinterDialog = std::function<bool(QPrinter &)>;
    void setPrinterDialogs(PrinterDialog print, PrinterDialog setup);
    // Made at first use: asking the system for its printers may take a while.
    QPrinter &printer();

    // Handlers, by the names the main window runs them.
    void setUpPrinter();
    void printFolder();

    // The print dialog, then the listing. The views are frozen while the records are read
    // and follow the folder's first record afterwards. Margins that leave no room on the
    // paper chosen are refused with a message before the job begins. A failure of the
    // print services ends the job; it is thrown for the error box.
    void printFolderListing();

private:
    AppState &m_state;
    ViewsPort &m_views;
    StatusPanels &m_panels;
    QPointer<QWidget> m_window;
    std::unique_ptr<QPrinter> m_printer;
    PrinterDialog m_printDialog;
    PrinterDialog m_setupDialog;
};
