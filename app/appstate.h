#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>

class CatalogTable;

// The three ways the main window's views accept input. Entering one edit mode moves the
// focus, and the focus change ends the other, so at most one edit mode is ever active.
enum class UiMode { Browse, RecordEdit, TextEdit };

// The appearance and layout values the main window needs before the settings module
// takes over the full set of archive and program settings. Defaults are those of a
// first run.
struct ViewSettings {
    QColor ViewColor = QColor(0xFA, 0xFA, 0xDA);
    QColor EditColor = Qt::white;
    QColor ToolbarColor = QColor(0x00, 0x00, 0xDA);
    int GridLines = 0;
    bool TB1 = true; // function-key toolbar shown
    bool TB2 = true; // top toolbar shown
    int GridHeight = 400; // MainWin/hsplit
    int TreeWidth = 150;  // MainWin/vsplit
    // Widths of the grid's File, Note, Tags, Date and Size columns; Note is recomputed
    // from the others by the layout rules, so its entry only serves as a first guess.
    std::array<int, 5> GridColumnWidths{{226, 150, 90, 65, 50}};
};

// Program-wide state of one run. The main window owns the only instance; everything else
// reaches it through the main window instead of through globals.
struct AppState {
    // Set while moving through records should load info files and drive the viewer;
    // cleared during archive opening and around bulk walks.
    bool FollowCurrentRecord = false;

    QString ArchiveName;
    QString RootPath; // absolute, with a trailing separator
    UiMode mode = UiMode::Browse;

    // The open catalogue table, or null while no archive is open. Whoever opens the
    // archive sets it and clears it again before the table goes away.
    CatalogTable *Dbf1 = nullptr;

    // Font of the views, owned here for the whole run.
    QFont ViewFont;

    ViewSettings settings;

    // Set when start-up must end the program at once without saving anything (a
    // cancelled first-use question, a missing drive, a locked table).
    bool startAbandoned = false;
    // Set once QuitProgram has run: no further command runs.
    bool ending = false;
};

// The text of the error box for an uncaught failure: the failure's own text, with a full
// stop appended when its last character sorts after ".".
QString errorBoxText(const QString &failure);
