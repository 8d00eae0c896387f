#include "appstate.h"

#include "store/catalogtable.h"

CatalogTable *AppState::openTable() const
{
    return Dbf1 && Dbf1->isOpen() ? Dbf1 : nullptr;
}

QString AppState::rootPath() const
{
    const QString root = settings.RootPath;
    return root.isEmpty() && Dbf1 ? Dbf1->rootPath() : root;
}
