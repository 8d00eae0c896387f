// Pictures the main window for the software-centre description, so that the picture
// shows the program as it is built:
//   tabulon-screenshot OUTPUT.png
// A demo archive is made in a temporary folder (settings files, a small tree of files with
// notes, tags and a long text), opened by the real main window offscreen, and the window
// grabbed once it has shown the first folder.
#include "app/ui/mainwindow.h"
#include "store/catalogtable.h"
#include "views/ui/mainviews.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace
{

struct DemoFile {
    const char *folder; // below the root, as on disk
    const char *name;
    QDate date;
    const char *note;
    const char *tags;
    const char *size;
};

const DemoFile kFiles[] = {
    { "Alps 2025", "Aletsch glacier.jpg", { 2025, 7, 14 }, "From the Eggishorn, morning", "AP",
        "4.2 M" },
    { "Alps 2025", "Cabin at dusk.jpg", { 2025, 7, 15 }, "Our hut above Bettmeralp", "P", "3.8 M" },
    { "Alps 2025", "Ibex.jpg", { 2025, 7, 16 }, "Two ibex on the ridge trail", "AP", "5.1 M" },
    { "Alps 2025", "Lake Bettmer.jpg", { 2025, 7, 16 }, "Swim before breakfast", "P", "2.9 M" },
    { "Alps 2025", "Route.gpx", { 2025, 7, 17 }, "Track of the glacier walk", "G", "84 K" },
    { "Alps 2025", "Train tickets.pdf", { 2025, 6, 30 }, "Booked, seats 41 and 42", "T", "212 K" },
    { "Letters", "Insurance 2025.pdf", { 2025, 3, 2 }, "Household policy, renewed", "IT", "96 K" },
    { "Letters", "Landlord.odt", { 2025, 9, 18 }, "Heating repair request", "", "31 K" },
    { "Recipes", "Bread.txt", { 2024, 11, 5 }, "Rye sourdough, 2 loaves", "K", "2 K" },
};

const char kLongText[] = "Walked up from the Bettmeralp at six, the glacier still in shadow.\r\n"
                         "Best light from the viewpoint below the summit station.\r\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && f.open(QIODevice::WriteOnly)
        && f.write(bytes) == bytes.size();
}

// The settings files beside a program of its own, the tree and the catalogue below a root.
bool makeDemo(const QString &program, const QString &root)
{
    bool ok = writeFile(program + QStringLiteral("Tabulon.ini"),
                  "[Local]\r\nVers=6.6\r\nDMS=Demo\r\n[MainWin]\r\nleft=0\r\ntop=0\r\n"
                  "width=960\r\nheight=600\r\nstate=0\r\n")
        && writeFile(program + QStringLiteral("Demo.ini"),
            "[Local]\r\nPath=" + root.toUtf8() + "\r\n[MainWin]\r\nhsplit=300\r\nvsplit=170\r\n");
    CatalogTable table;
    ok = ok && QDir().mkpath(root) && table.open(root, QStringLiteral("Demo"));
    for (const DemoFile &f : kFiles) {
        const QString folder = QString::fromLatin1(f.folder);
        const QString name = QString::fromLatin1(f.name);
        ok = ok && writeFile(root + folder + QLatin1Char('/') + name, "");
        ok = ok && table.table().append();
        if (!ok)
            break;
        table.setText(CatalogTable::DIR, folder.toUpper() + QLatin1Char('\\'));
        table.setText(CatalogTable::NAME, name);
        table.table().setFieldDate(CatalogTable::DATE, f.date);
        table.setText(CatalogTable::NOTE, QString::fromLatin1(f.note));
        table.setText(CatalogTable::CODE, QString::fromLatin1(f.tags));
        table.setText(CatalogTable::SIZE, QString::fromLatin1(f.size));
        ok = bool(table.table().post());
    }
    ok = ok && writeFile(root + QStringLiteral("Alps 2025/Aletsch glacier.jpg.!"), kLongText);
    return bool(table.close()) && ok;
}

// Runs the events until ready() holds, for at most ms milliseconds.
template <typename Ready> bool settle(int ms, Ready ready)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return ready();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fputs("usage: tabulon-screenshot OUTPUT.png\n", stderr);
        return 1;
    }
    const QString output = app.arguments().at(1);
    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/program/");
    // Long enough that the status bar shows none of the temporary folder's name.
    const QString root = dir.path() + QStringLiteral("/Holidays, letters and recipes/");
    if (!dir.isValid() || !makeDemo(program, root)) {
        std::fputs("tabulon-screenshot: cannot make the demo archive\n", stderr);
        return 1;
    }

    ArchiveEnvironment env;
    env.program = { program + QStringLiteral("tabulon"), program, false };
    env.askRoot
        = [](const QString &, const QString &, QString *, CatalogueChoices *) { return false; };
    env.chooseArchive = [](const QString &) { return QString(); };
    MainWindow window(env);
    if (!window.startUp()) {
        std::fputs("tabulon-screenshot: the demo archive did not open\n", stderr);
        return 1;
    }
    window.show();
    // The first folder's rows appear once the shown window has built its views; a few
    // more rounds let the splitters and the text pane take their places.
    const QAbstractItemModel *rows = window.views().grid->model();
    if (!settle(10000, [rows] { return rows->rowCount() > 0; })) {
        std::fputs("tabulon-screenshot: the demo folder shows no files\n", stderr);
        return 1;
    }
    settle(300, [] { return false; });
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "tabulon-screenshot: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
