#pragma once

#include "store/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// The progress of one long command of the main window, as the core reports it: a
// window-modal dialog over the window with what the command does, how far it is ("1200 of
// 5000 folders") and a Cancel button. Esc, Cancel or closing the dialog ask the command to
// stop: step() returns false from then on, and the command stops at its next step.
//
// A command that ends within timing().showAfter shows nothing. Before the dialog is up,
// step() only reads the clock; once it is up, step() touches the dialog and lets events in
// at most every timing().lookEvery, so that the command loses no measurable time to it. Events
// reach the program only then, and the window-modal dialog keeps them from the main window
// and every window it owns: no other command can start while one runs. The hourglass
// stays. The dialog closes when this object goes.
class ProgressWindow : public Progress
{
public:
    // window: the main window (or a dialog over it); caption: what the command does;
    // unit: what it counts, in the plural ("folders").
    ProgressWindow(QWidget *window, QString caption, QString unit);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    bool step(qint64 done, qint64 total) override;
    // The next phase of the command counts something else (the pages after the records).
    void setUnit(const QString &unit);
    // Whether the user asked the command to stop.
    bool cancelled() const { return m_cancelled; }

    // How long a command runs before its dialog shows, and how often a shown dialog is
    // brought up to date and lets events in, in milliseconds. Tests set both to 0: the
    // dialog is up from the first step on, and every step lets events in.
    struct Timing {
        int showAfter = 500;
        int lookEvery = 100;
    };
    static void setTiming(const Timing &timing);
    static Timing timing();

private:
    void show();
    void update(qint64 done, qint64 total);

    QPointer<QWidget> m_window;
    QString m_caption;
    QString m_unit;
    QElapsedTimer m_clock;
    qint64 m_nextLook; // when step() next looks beyond the clock, in ms of m_clock
    QProgressDialog *m_dialog = nullptr;
    bool m_cancelled = false;
};
