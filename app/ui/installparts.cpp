#include "installparts.h"

#include "archivepart.h"
#include "browse/ui/editpart.h"
#include "browse/ui/installbrowsing.h"
#include "scan/ui/updatepart.h"
#include "tform1.h"

void installParts(TForm1 &form)
{
    // Each command family adds its install call here, e.g. installBrowsing(form).
    installArchive(form);
    installBrowsing(form);
    installFolderUpdate(form);
    installEditing(form);
}
