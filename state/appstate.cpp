#include "appstate.h"

#include "store/catalogtable.h"

CatalogTable *AppState::openTable() const
{
    return catalog && catalog->isOpen() ? catalog : nullptr;
}

QString AppState::rootPath() const
{
    const QString root = settings.rootPath;
    return root.isEmpty() && catalog ? catalog->rootPath() : root;
}
