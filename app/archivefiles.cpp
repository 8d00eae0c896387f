#include "archivefiles.h"

#include "archivelist.h"
#include "dialogs/shareddialog.h"
#include "platform/desktoplink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ProfileStatus loadProgramSettings(
    Settings &settings, const ProgramFolder &program, const QStringList &arguments, QSize screen)
{
    const QString path = programFilePath(program);
    bool firstRun = false;
    const ProfileStatus status = createProgramFile(path, screen, &firstRun);
    if (!status.isOk())
        return status;
    if (firstRun
        && showDialog(DialogKind::Confirmation,
               QCoreApplication::translate("Archives", "Create desktop-icon ?"))
            == QLatin1String("1"))
        createDesktopLink(program);
    readProgramSettings(settings, path, arguments, screen);
    return status;
}

bool createDesktopLink(const ProgramFolder &program)
{
    return desktoplink::create(
        program.executablePath, program.folder, desktoplink::desktopFolder());
}

QString rootQuestionCaption(const QString &archiveName)
{
    return QCoreApplication::translate("Archives", "Root folder for:  '%1'  ?").arg(archiveName);
}

ArchiveFileResult readOrCreateArchiveFile(Settings &settings, const ProgramFolder &program,
    const RootQuestion &askRoot, ProfileStatus *status, CatalogueChoices *newChoices)
{
    *status = ProfileStatus();
    CatalogueChoices choices;
    const QString path = archiveFilePath(program, settings.archiveName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        QString answer;
        if (!askRoot(rootQuestionCaption(settings.archiveName),
                settings.archiveName + QLatin1Char('\\'), &answer, &choices)
            || answer.isEmpty())
            return ArchiveFileResult::Cancelled;
        *status = createArchiveFile(path, normalizeEnteredRoot(answer));
        if (!status->isOk())
            return ArchiveFileResult::WriteRefused;
    }
    if (newChoices)
        *newChoices = choices;
    *status = readArchiveSettings(settings, path, program);
    return status->isOk() ? ArchiveFileResult::Read : ArchiveFileResult::Unreadable;
}

bool checkArchiveName(const QString &name)
{
    const QString fault = archiveNameFault(name);
    if (fault.isEmpty())
        return true;
    showDialog(DialogKind::Error, archiveNameRefusal(name, fault));
    return false;
}

bool checkRootDrive(const Settings &settings)
{
    if (rootDriveExists(settings.rootPath))
        return true;
    showDialog(DialogKind::Error,
        QCoreApplication::translate("Archives", "Drive  '%1'  not exist !")
            .arg(rootDrive(settings.rootPath)));
    return false;
}

void enterArchiveFolders(const Settings &settings, const ProgramFolder &program)
{
    QDir().mkpath(settings.rootPath);
    QDir::setCurrent(program.folder);
}

QString lockFailureMessage()
{
    return QCoreApplication::translate(
        "Archives", "Record or database is locked by another user !\rTry again later ...");
}

void showLockFailure()
{
    showDialog(DialogKind::Error, lockFailureMessage());
}

void reportWriteFailure(const ProfileStatus &status)
{
    if (!status.isOk())
        showDialog(DialogKind::Error, status.message());
}
