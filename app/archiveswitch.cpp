#include "archiveswitch.h"

#include "archivelist.h"
#include "dialogs/shareddialog.h"

#include <QCoreApplication>
#include <QFile>

namespace
{

// The other archive takes the open one's place: nothing of the old archive may be lost,
// so its file is written (and its table closed) before anything of the new one is read.
bool changeTo(const QString &name, Settings &settings, ArchiveSteps &steps)
{
    if (!steps.endEdit())
        return false;
    steps.saveArchiveSettings();
    settings.archiveName = name;
    steps.saveProgramSettings();
    if (!steps.openArchive())
        return false;
    steps.showArchive();
    return true;
}

} // namespace

bool switchArchive(Settings &settings, ArchiveSteps &steps)
{
    const QString chosen
        = steps.chooseArchive(QCoreApplication::translate("Archives", "Switch archive"));
    if (chosen.isEmpty() || sameArchiveName(chosen, settings.archiveName))
        return false;
    if (!changeTo(chosen, settings, steps))
        return false;
    steps.relayout();
    return true;
}

bool newArchive(Settings &settings, const ProgramFolder &program, ArchiveSteps &steps)
{
    const QString typed = showDialog(
        DialogKind::TextInput, QCoreApplication::translate("Archives", "Name of the archive ?"));
    if (isEscAnswer(typed) || typed.isEmpty())
        return false;
    const QString name = newArchiveName(typed);
    const QString fault = archiveNameFault(name);
    if (!fault.isEmpty()) {
        showDialog(DialogKind::Error, archiveNameRefusal(name, fault));
        return false;
    }
    if (archiveFileExists(program, name)) {
        showDialog(DialogKind::Error,
            QCoreApplication::translate("Archives", "Archive  '%1'  already exists !").arg(name));
        return false;
    }
    return changeTo(name, settings, steps);
}

bool deleteArchive(const Settings &settings, const ProgramFolder &program, ArchiveSteps &steps)
{
    const QString chosen
        = steps.chooseArchive(QCoreApplication::translate("Archives", "Delete archive"));
    if (chosen.isEmpty())
        return false;
    if (sameArchiveName(chosen, settings.archiveName)) {
        showDialog(DialogKind::Error,
            QCoreApplication::translate(
                "Archives", "Archive  '%1'  is open and can not be deleted !")
                .arg(chosen));
        return false;
    }
    if (showDialog(DialogKind::Confirmation,
            QCoreApplication::translate("Archives", "Delete archive  '%1' (no files !)")
                .arg(chosen))
        != QLatin1String("1"))
        return false;
    // Only the settings file goes: the root folder, the table and every info file stay,
    // so an archive created again with the same root finds its records.
    return QFile::remove(archiveFilePath(program, chosen));
}
