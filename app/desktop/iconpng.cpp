// Writes the program's pictogram as PNG files of the icon theme's sizes:
//   tabulon-iconpng OUTPUT_FOLDER SIZE...  ->  OUTPUT_FOLDER/SIZExSIZE/org.tabulon.Tabulon.png
#include "app/ui/icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: tabulon-iconpng OUTPUT_FOLDER SIZE...\n", stderr);
        return 1;
    }
    for (const QString &arg : args.mid(2)) {
        const int size = arg.toInt();
        const QString folder = args.at(1) + QStringLiteral("/%1x%1").arg(size);
        const QString file = folder + QStringLiteral("/org.tabulon.Tabulon.png");
        if (size <= 0 || !QDir().mkpath(folder) || !tabulonPixmap(Icon::Program, size).save(file)) {
            std::fprintf(stderr, "tabulon-iconpng: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
