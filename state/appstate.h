#pragma once

#include "settings.h"

#include <QFont>
#include <QString>

class CatalogTable;

// The three ways the main window's views accept input. Entering one edit mode moves the
// focus, and the focus change ends the other, so at most one edit mode is ever active.
enum class UiMode { Browse, RecordEdit, TextEdit };

// Program-wide state of one run. The main window owns the only instance; everything else
// reaches it through the main window instead of through globals.
struct AppState {
    // Set while moving through records should load info files and drive the viewer;
    // cleared during archive opening and around bulk walks.
    bool followCurrentRecord = false;

    UiMode mode = UiMode::Browse;

    // The catalogue table. The main window owns it for the whole run (it is null only
    // outside the main window's lifetime); it is open from openArchive until the
    // archive is closed.
    CatalogTable *catalog = nullptr;

    // Font of the views, owned here for the whole run; built from settings.viewFont.
    QFont viewFont;

    // The archive and program settings, archiveName and rootPath among them.
    Settings settings;

    // Set when start-up must end the program at once without saving anything (a
    // cancelled first-use question, a missing drive, a locked table).
    bool startAbandoned = false;
    // Set once quitProgram has run: no further command runs.
    bool ending = false;

    // The catalogue table when it is open, else null.
    CatalogTable *openTable() const;
    // The absolute root folder with a trailing separator: settings.rootPath, or the open
    // table's folder while no rootPath is set.
    QString rootPath() const;
    // folderInfoMode non-zero: the notes of every folder are also kept in its Descript.ion.
    bool descriptionMode() const { return settings.folderInfoMode != 0; }
};
