#include "installbrowsing.h"

#include "app/ui/tform1.h"
#include "browse/ui/browseviews.h"
#include "store/catalogtable.h"

void installBrowsing(TForm1 &form)
{
    BrowseViews *views = BrowseViews::of(form);
    if (!views)
        views = new BrowseViews(form);
    form.setHandler(QStringLiteral("ShowArchive"),
        [views] { BrowseViews::throwIfFailed(views->ShowArchive()); });
    form.setHandler(QStringLiteral("miAllexpClick"), [views] { views->miAllexpClick(); });
    form.setHandler(QStringLiteral("miAllcolClick"),
        [views] { BrowseViews::throwIfFailed(views->miAllcolClick()); });
    form.setHandler(QStringLiteral("ReorganisationClick"),
        [views] { BrowseViews::throwIfFailed(views->Reorganise()); });
    form.setHandler(QStringLiteral("miClearsearchClick"), [views] { views->ClearSearch(); });
    form.setHandler(QStringLiteral("miIndex1Click"), [&form] {
        CatalogTable *table = form.state().Dbf1;
        if (table && table->isOpen())
            BrowseViews::throwIfFailed(table->SwitchOrder(0));
    });
}
