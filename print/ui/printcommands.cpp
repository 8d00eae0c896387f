#include "printcommands.h"

#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "platform/diskpath.h"
#include "print/listingrender.h"
#include "print/listingsource.h"
#include "state/bulkwalk.h"
#include "store/catalogtable.h"
#include "views/ui/progresswindow.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

PrintCommands::PrintCommands(
    AppState &state, ViewsPort &views, StatusPanels &panels, QWidget *window)
    : m_state(state)
    , m_views(views)
    , m_panels(panels)
    , m_window(window)
{
    m_printDialog = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, m_window);
        return dialog.exec() == QDialog::Accepted;
    };
    m_setupDialog = [this](QPrinter &printer) {
        QPageSetupDialog dialog(&printer, m_window);
        return dialog.exec() == QDialog::Accepted;
    };
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::setPrinterDialogs(PrinterDialog print, PrinterDialog setup)
{
    m_printDialog = std::move(print);
    m_setupDialog = std::move(setup);
}

QPrinter &PrintCommands::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void PrintCommands::setUpPrinter()
{
    m_setupDialog(printer());
}

void PrintCommands::printFolder()
{
    printFolderListing();
}

void PrintCommands::printFolderListing()
{
    CatalogTable *table = m_state.openTable();
    if (!table || !m_printDialog(printer()))
        return;
    const Settings &s = m_state.settings;
    ListingDocument doc;
    doc.title = listingsource::title(m_state.rootPath(), m_panels.panelText(2));
    doc.date = regional::formatDate(regional::today());
    DbStatus textFailure;
    DbStatus st;
    // Over the whole command: stopped while the records are read, no job is begun; stopped
    // between two pages, the printer drops the job.
    ProgressWindow progress(m_window,
        QCoreApplication::translate("Progress", "Printing the folder"),
        QCoreApplication::translate("Progress", "records"));
    {
        // The grid does not follow the walk; it shows the folder's first record after it.
        const BulkWalk walk(m_state);
        const PathResolver resolver(m_state.rootPath());
        st = listingsource::collect(table->table(), resolver, doc.entries, &textFailure, &progress,
            m_views.shownRecordCount());
    }
    m_views.showCurrentRecord();
    if (st.code() == DbStatus::Cancelled) {
        m_panels.setPanelText(0, QCoreApplication::translate("Progress", "Printing cancelled"));
        return;
    }
    ViewsPort::throwIfFailed(st);

    QPrinter &printer = this->printer();
    printer.setDocName(doc.title);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(false);
    const ListingMargins margins { s.printMargins.top, s.printMargins.left, s.printMargins.bottom,
        s.printMargins.right };
    const listingrender::Listing listing
        = listingrender::layOut(printer, doc, s.printFontName, margins);
    if (!listing.status) {
        // Margins that leave no room on the paper chosen: the job is not begun.
        showDialog(DialogKind::Error, listing.status.message());
        return;
    }
    progress.setUnit(QCoreApplication::translate("Progress", "pages"));
    listingrender::Result r
        = listingrender::draw(printer, listing, &progress, [&printer] { printer.abort(); });
    if (r.status.code() == DbStatus::Cancelled) {
        m_panels.setPanelText(0, QCoreApplication::translate("Progress", "Printing cancelled"));
        return;
    }
    if (r.status && printer.printerState() == QPrinter::Error)
        r.status = { DbStatus::IoError,
            QCoreApplication::translate("PrintCommands", "The printer reported an error") };
    if (!textFailure)
        showDialog(DialogKind::Error, textFailure.message());
    ViewsPort::throwIfFailed(r.status);
}
