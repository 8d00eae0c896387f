#include "app/translation.h"
#include "app/ui/commandline.h"
#include "app/ui/icons.h"
#include "app/ui/mainwindow.h"
#include "app/ui/unattended.h"
#include "dialogs/ui/errorbox.h"
#include "dialogs/ui/messagedialog.h" // widgetdialogs.h needs the complete window type
#include "dialogs/ui/widgetdialogs.h"
#include "platform/programfolder.h"
#include "platform/termination.h"

int main(int argc, char **argv)
{
    // The language is chosen before anything is said, the --help text included.
    ProgramTranslation translation;
    translation.load(
        translationFolders(programfolder::place(programfolder::runningExecutable(argv[0]))),
        QLocale::system());
    // --version and --help answer without a display.
    const int answered = answerCommandLine(argc, argv, translation);
    if (answered >= 0)
        return answered;
    TabulonApplication app(argc, argv);
    translation.install();
    QCoreApplication::setApplicationName(QStringLiteral("Tabulon"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tabulon.Tabulon"));
    QGuiApplication::setWindowIcon(tabulonIcon(Icon::Program));

    MainWindow window;
    // Messages and questions of every command open over the main window.
    installWidgetDialogs(&window);
    unattended::installDialogs();
    // Start-up may find no usable archive; the program then ends without saving.
    if (!window.startUp())
        return 1;
    // The session ending (or Ctrl+C in a terminal) closes the program like its window,
    // so the settings are saved. Not before: start-up that is cut short saves nothing.
    termination::onRequest(&window, [&window] { window.quitProgram(); });
    window.show();
    unattended::reportRunning();
    return app.exec();
}
