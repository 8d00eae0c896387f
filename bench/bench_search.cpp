// Search and the tag filter as the main window runs them (offscreen), against grep over the
// same texts, in one run.
//
//   bench_search [--records N] [--dir PATH]
//
// 1. F3 with a text that matches nothing over N records (default 1,000,000) with
//    searchInText 0, against `grep -c` for the same text over a file of the same
//    NAME~NOTE~DATE~SIZE lines: target <= 2.
// 2. F3 the same with searchInText 1 over 100,000 records of which 10,000 have info files,
//    against `grep -r` over those info files and the line file: target <= 2.
// 3. F9 switching the tag filter on in a folder of 10,000 records, against selecting that
//    folder, each until the grid is painted: target <= 1.5.
// With 1., the cost of progress: the same F3 with the progress window as in use (shown
// after its delay) against the window never shown, taking turns: target <= 1.02.
//
// The catalogues hold folders of 100 records (one of 10,000 in the second), appended in
// random order as imports leave them. Every figure is the best of five rounds, the two
// sides of a ratio taking turns. --dir PATH keeps the catalogues in PATH and reuses them.
#include "app/ui/commandactions.h"
#include "app/ui/commandfamilies.h"
#include "app/ui/mainwindow.h"
#include "browse/ui/browseviews.h"
#include "dialogs/regional.h"
#include "dialogs/shareddialog.h"
#include "platform/beep.h"
#include "store/catalogtable.h"
#include "views/ui/progresswindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

namespace
{

constexpr int kRounds = 5;
const QString kNothing = QStringLiteral("QXZJW");
int g_beeps = 0;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "%s failed\n", what);
        std::exit(1);
    }
}

void check(const DbStatus &st, const char *what)
{
    if (!st) {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(st.message()));
        std::exit(1);
    }
}

// Answers every input with one text, every question with Yes.
class Answers : public DialogPort
{
public:
    QString text;
    DialogOutcome showModal(const DialogRequest &) override { return { 1, text }; }
    void showWait(const DialogRequest &) override { }
    void closeWait() override { }
    void setWaitProgress(int) override { }
};

const char *const kWords[] = { "holiday", "summer", "beach", "family", "work", "report", "draft",
    "final", "invoice", "photo", "scan", "letter", "garden", "house", "car", "birthday" };

QByteArray words(QRandomGenerator &rng, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        if (i)
            out += ' ';
        out += kWords[rng.bounded(int(std::size(kWords)))];
    }
    return out;
}

struct Shape {
    int records = 0;
    int bigFolder = 0; // records of the folder BIG (0: none)
    int infoEvery = 0; // every n-th record has an info file and a file on disk (0: none)
};

// The catalogue Bench in root, the folders on disk, and lines.txt with the records'
// NAME~NOTE~DATE~SIZE as the search compares them.
void build(const QString &root, const Shape &shape)
{
    QRandomGenerator rng(11);
    struct Place {
        QByteArray dir;
        QString disk;
    };
    std::vector<Place> folders;
    std::vector<int> folderOf;
    const int small = shape.records - shape.bigFolder;
    for (int f = 0; f * 100 < small; ++f) {
        const QString disk
            = QStringLiteral("Serie%1/Teil%2").arg(f / 10, 4, 10, QLatin1Char('0')).arg(f % 10);
        folders.push_back(
            { disk.toUpper().replace(QLatin1Char('/'), QLatin1Char('\\')).toLatin1() + '\\',
                disk });
        for (int i = 0; i < 100 && f * 100 + i < small; ++i)
            folderOf.push_back(int(folders.size()) - 1);
    }
    if (shape.bigFolder > 0) {
        folders.push_back({ "BIG\\", QStringLiteral("Big") });
        folderOf.insert(folderOf.end(), size_t(shape.bigFolder), int(folders.size()) - 1);
    }
    // An import in any order: the folders' records lie all over the file.
    std::shuffle(folderOf.begin(), folderOf.end(), rng);
    for (const Place &p : folders)
        check(QDir().mkpath(root + QLatin1Char('/') + p.disk), "mkpath");

    const QString path = root + QStringLiteral("/Bench.dbf");
    check(DbfTable::create(path, CatalogTable::layout(), CatalogTable::tags()), "create");
    DbfTable table;
    check(table.open(path, CatalogTable::tags()), "open");
    check(table.setOrder(QByteArray()), "order");
    QFile lines(root + QStringLiteral("/lines.txt"));
    check(lines.open(QIODevice::WriteOnly), "lines.txt");
    QByteArray text;
    for (int i = 0; i < shape.records; ++i) {
        const Place &place = folders[size_t(folderOf[size_t(i)])];
        const QByteArray name = i % 3
            ? "IMG_" + QByteArray::number(100000 + i) + ".jpg"
            : "Dokument " + words(rng, 1) + ' ' + QByteArray::number(i) + ".pdf";
        const QByteArray note = words(rng, rng.bounded(7));
        const QDate date(2000 + rng.bounded(25), 1 + rng.bounded(12), 1 + rng.bounded(28));
        const QByteArray size = QByteArray::number(1 + rng.bounded(999)) + '.'
            + QByteArray::number(rng.bounded(10)) + " K";
        QByteArray code;
        for (char c : QByteArray("ABCDE"))
            if (rng.bounded(2))
                code += c;
        check(table.append(), "append");
        table.setFieldBytes(CatalogTable::DIR, place.dir);
        table.setFieldBytes(CatalogTable::NAME, name);
        table.setFieldBytes(CatalogTable::NOTE, note);
        table.setFieldDate(CatalogTable::DATE, date);
        table.setFieldBytes(CatalogTable::CODE, code);
        table.setFieldBytes(CatalogTable::SIZE, size);
        check(table.post(), "post");
        text += name + '~' + note + '~' + regional::formatDate(date).toLatin1() + '~' + size + '\n';
        if (text.size() > (1 << 20)) {
            lines.write(text);
            text.clear();
        }
        if (shape.infoEvery == 0)
            continue;
        // The files themselves are there too, for the listings; a tenth have a long text.
        const QString file
            = root + QLatin1Char('/') + place.disk + QLatin1Char('/') + QString::fromLatin1(name);
        QFile catalogued(file);
        check(catalogued.open(QIODevice::WriteOnly), "file");
        if (i % shape.infoEvery == 0) {
            QFile info(file + QStringLiteral(".!"));
            check(info.open(QIODevice::WriteOnly), "info file");
            info.write(words(rng, 40) + "\r\n" + words(rng, 20) + "\r\n");
        }
    }
    lines.write(text);
    check(table.close(), "close");
}

double seconds(const std::function<void()> &run)
{
    QElapsedTimer t;
    t.start();
    run();
    return t.nsecsElapsed() / 1e9;
}

double grep(const QStringList &arguments)
{
    return seconds([&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("grep"), arguments);
        p.waitForFinished(-1);
    });
}

double readWhole(const QString &path)
{
    return seconds([&] {
        QFile file(path);
        check(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered), "read");
        QByteArray buffer(1 << 20, '\0');
        while (file.read(buffer.data(), buffer.size()) > 0) { }
    });
}

// The main window over a catalogue, shown offscreen as at start-up.
class Window
{
public:
    explicit Window(const QString &root)
        : m_program(QDir::tempPath() + QStringLiteral("/bench_search-program-XXXXXX"))
    {
        ArchiveEnvironment env;
        env.program.executablePath = m_program.path() + QStringLiteral("/Tabulon");
        env.program.folder = m_program.path() + QLatin1Char('/');
        env.askRoot
            = [](const QString &, const QString &, QString *, CatalogueChoices *) { return false; };
        env.chooseArchive = [](const QString &) { return QString(); };
        m_window = std::make_unique<MainWindow>(env);
        m_window->state().settings.rootPath = root + QLatin1Char('/');
        m_window->state().settings.archiveName = QStringLiteral("Bench");
        check(m_window->state().catalog->open(root, QStringLiteral("Bench")), "open");
        m_window->state().followCurrentRecord = true;
        m_window->resize(1000, 700);
        m_window->show();
        QApplication::processEvents();
        // The window installed the bell; the benchmark counts the tones instead.
        beep::install([](int, int) { ++g_beeps; });
    }
    MainWindow &operator*() { return *m_window; }
    MainWindow *operator->() { return m_window.get(); }

private:
    QTemporaryDir m_program;
    std::unique_ptr<MainWindow> m_window;
};

// F3 from the first folder, the search text asked for anew each time.
double searchOnce(Window &w)
{
    w->families().browsing().clearSearch();
    const int before = g_beeps;
    const double s = seconds([&] { w->commands().runCommand(Command::SearchDown); });
    check(g_beeps == before + 1, "a search that finds nothing");
    return s;
}

// The same, with the progress window as in use or never shown.
double searchWithProgress(Window &w, bool inUse)
{
    const ProgressWindow::Timing normal = ProgressWindow::timing();
    if (!inUse)
        ProgressWindow::setTiming({ std::numeric_limits<int>::max(), normal.lookEvery });
    const double s = searchOnce(w);
    ProgressWindow::setTiming(normal);
    return s;
}

void report(const char *what, double ours, double theirs, const char *baseline, double target)
{
    std::printf("%s: %.3f s, %s %.3f s, ratio %.2f (target <= %.1f)\n", what, ours, baseline,
        theirs, ours / theirs, target);
}

void searchWithoutTexts(const QString &root, int records, Answers &answers)
{
    Window w(root);
    w->state().settings.searchInText = 0;
    answers.text = kNothing;
    double ours = 1e9, theirs = 1e9, reading = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        theirs = std::min(
            theirs, grep({ QStringLiteral("-c"), kNothing, root + QStringLiteral("/lines.txt") }));
        ours = std::min(ours, searchOnce(w));
        reading = std::min(reading, readWhole(root + QStringLiteral("/Bench.dbf")));
    }
    char what[96];
    std::snprintf(what, sizeof what, "F3, no match, %d records, SearchInText 0", records);
    report(what, ours, theirs, "grep -c", 2);
    // The table holds the same texts in fixed-width fields, several times the bytes of
    // the lines: reading it at all is the least a search over it can cost.
    std::printf(
        "  reading the table file alone: %.3f s, %.2f times grep -c\n", reading, reading / theirs);
    double shown = 1e9, hidden = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        hidden = std::min(hidden, searchWithProgress(w, false));
        shown = std::min(shown, searchWithProgress(w, true));
    }
    std::printf("  with the progress window as in use %.3f s, never shown %.3f s: ratio %.3f "
                "(target <= 1.02)\n",
        shown, hidden, shown / hidden);
}

void searchWithTexts(const QString &root, Answers &answers)
{
    Window w(root);
    w->state().settings.searchInText = 1;
    answers.text = kNothing;
    double ours = 1e9, theirs = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        theirs = std::min(theirs,
            grep({ QStringLiteral("-r"), QStringLiteral("--include=*.!"),
                QStringLiteral("--include=lines.txt"), kNothing, root }));
        ours = std::min(ours, searchOnce(w));
    }
    report("F3, no match, 100,000 records, 10,000 info files, SearchInText 1", ours, theirs,
        "grep -r", 2);
}

void filterInBigFolder(const QString &root, Answers &answers)
{
    Window w(root);
    BrowseViews &views = w->families().browsing();
    QTableView *grid = w->views().grid;
    answers.text = QStringLiteral("a");
    const QString big = QStringLiteral("Big\\");
    const QString other = QStringLiteral("Serie0000\\Teil1\\");
    double filter = 1e9, select = 1e9;
    int shownFiltered = 0, shownAll = 0;
    for (int round = 0; round < kRounds; ++round) {
        check(views.selectFolderPath(other), "select");
        select = std::min(select, seconds([&] {
            check(views.selectFolderPath(big), "select");
            grid->viewport()->repaint();
        }));
        shownAll = grid->model()->rowCount();
        filter = std::min(filter, seconds([&] {
            w->commands().runCommand(Command::FilterTags);
            grid->viewport()->repaint();
        }));
        shownFiltered = grid->model()->rowCount();
        check(w->state().catalog->tagFilterOn(), "filter on");
        w->commands().runCommand(Command::FilterTags);
    }
    check(shownAll == 10000 && shownFiltered > 0 && shownFiltered < shownAll, "rows shown");
    std::printf(
        "F9 in a folder of 10,000 records: %.3f s (%d rows), selecting it %.3f s, ratio %.2f "
        "(target <= 1.5)\n",
        filter, shownFiltered, select, filter / select);
}

QString prepared(const QString &base, const char *name, const Shape &shape)
{
    const QString root = base + QLatin1Char('/') + QLatin1String(name);
    if (QFileInfo::exists(root + QStringLiteral("/Bench.dbf")))
        return root;
    QElapsedTimer t;
    t.start();
    check(QDir().mkpath(root), "mkpath");
    build(root, shape);
    std::printf("built %s: %d records in %.1f s\n", name, shape.records, t.nsecsElapsed() / 1e9);
    return root;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    regional::install(regional::Rules(regional::DateOrder::DayMonth));
    int records = 1000000;
    QString base;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--records"))
            records = std::max(1000, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            base = args[i + 1];
    }
    std::unique_ptr<QTemporaryDir> temp;
    if (base.isEmpty()) {
        temp = std::make_unique<QTemporaryDir>(
            QDir::tempPath() + QStringLiteral("/bench_search-XXXXXX"));
        check(temp->isValid(), "temporary folder");
        base = temp->path();
    }
    Answers answers;
    installDialogPort(&answers);

    const QString large = prepared(base, "large", { records, 0, 0 });
    const QString texts = prepared(base, "texts", { 100000, 10000, 10 });
    searchWithoutTexts(large, records, answers);
    searchWithTexts(texts, answers);
    filterInBigFolder(texts, answers);
    installDialogPort(nullptr);
    return 0;
}
