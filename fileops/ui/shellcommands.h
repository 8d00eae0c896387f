#pragma once

#include "views/ui/mainviews.h"
#include "views/ui/viewsport.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class ForegroundPort;
class ShellPort;
class QTableView;

// The shell integration of the main window: opening the current file (with its default
// application, else the open-with chooser), "Open with ...", exploring the current folder
// in the desktop's or the configured file manager, the four clipboard commands, opening a
// link selected in the text pane, and viewer sync, which keeps an external viewer showing
// the grid's current file. Nothing here changes the catalogue, and no failure of the
// desktop is reported to the user.
class ShellCommands : public QObject
{
    Q_OBJECT
public:
    // What viewer sync steers in the main window.
    struct Hooks {
        // The window's stopViewerSync: the watch stopped, then stopViewerSync() here.
        std::function<void()> stopViewerSync;
        // The viewer-sync watch ("Timer2") started.
        std::function<void()> startViewerWatch;
        // The image of "Sync viewer" and its button: on (image 19) or off (image 20).
        std::function<void(bool on)> showViewerImage;
    };

    // executablePath: the running program, whose folder and drive a file manager setting
    // may name with "..\" and "%usb%".
    ShellCommands(AppState &state, ViewsPort &views, StatusPanels &panels, CommandPort &commands,
        const QString &executablePath, Hooks hooks);
    ~ShellCommands() override;

    // The desktop as the commands see it; tests put recorders in its place. Null: this
    // desktop's own again.
    void setShell(std::unique_ptr<ShellPort> shell);
    void setForeground(std::unique_ptr<ForegroundPort> foreground);
    // The bound of each wait of the viewer's hand-back (tests shorten it).
    void setHandOffLimit(int ms) { m_handOffLimit = ms; }

    bool viewerSyncOn() const { return m_viewerSync; }

    // Handlers, by the names the main window runs them.
    void openFile();
    void openWith();
    void exploreFolder();
    void copyPath();
    void copyFileName();
    void copyNote();
    void copyText();
    void openLink();
    void toggleViewerSync();

    // The current file in the viewer, the focus handed back to the main window.
    void showInViewer();
    // Viewer sync off as this family keeps it: unchecked, image 20. The window stops the
    // watch and then calls this (see Hooks::stopViewerSync).
    void stopViewerSync();
    // A text on the clipboard (lines ending in CR LF).
    void copyToClipboard(const QString &text);
    // The views show a record (the window's composer connects it): viewer sync follows.
    void onCurrentRecordShown();

private:
    struct Current {
        bool exists = false; // a record is current
        QString dir;
        QString name;
        QString note;
    };
    Current current() const;
    QString currentFilePath(const Current &c) const;
    QString rootPath() const;
    bool gridHasFocus() const;
    bool viewerWanted(const Current &c) const;
    void bringWindowToFront();

    AppState &m_state;
    ViewsPort &m_views;
    StatusPanels &m_panels;
    CommandPort &m_commands;
    QString m_executablePath;
    Hooks m_hooks;
    QPointer<QTableView> m_grid;
    std::unique_ptr<ShellPort> m_shell;
    std::unique_ptr<ForegroundPort> m_foreground;
    int m_handOffLimit;
    bool m_viewerSync = false;
    bool m_handingOff = false;
};
