#include "app/ui/errorbox.h"
#include "app/ui/icons.h"
#include "app/ui/installparts.h"
#include "app/ui/tform1.h"

int main(int argc, char **argv)
{
    TabulonApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tabulon"));
    QGuiApplication::setWindowIcon(tabulonIcon(Icon::Program));

    TForm1 form;
    installParts(form);
    // Start-up may find no usable archive; the program then ends without saving.
    if (!form.FormCreate())
        return 1;
    form.show();
    return app.exec();
}
