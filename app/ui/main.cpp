#include "app/ui/errorbox.h"
#include "app/ui/icons.h"
#include "app/ui/installparts.h"
#include "app/ui/tform1.h"
#include "app/ui/unattended.h"
#include "dialogs/ui/tform0.h" // widgetdialogs.h needs the complete window type
#include "dialogs/ui/widgetdialogs.h"
#include "platform/termination.h"

int main(int argc, char **argv)
{
    TabulonApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tabulon"));
    QGuiApplication::setWindowIcon(tabulonIcon(Icon::Program));

    TForm1 form;
    // Messages and questions of every part open over the main window.
    installWidgetDialogs(&form);
    unattended::installDialogs();
    installParts(form);
    // Start-up may find no usable archive; the program then ends without saving.
    if (!form.FormCreate())
        return 1;
    // The session ending (or Ctrl+C in a terminal) closes the program like its window,
    // so the settings are saved. Not before: start-up that is cut short saves nothing.
    termination::onRequest(&form, [&form] { form.QuitProgram(); });
    form.show();
    unattended::reportRunning();
    return app.exec();
}
