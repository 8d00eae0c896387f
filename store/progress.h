#pragma once

#include "dbstatus.h"

#include <QCoreApplication>
#include <QtGlobal>

// What a long walk over the catalogue or the disk tells whoever started it, and how it
// learns that it is to stop. The walk calls step() between its units of work (folders, or
// runs of records) and, when step() returns false, stops at the next point where the
// catalogue is whole and returns DbStatus::Cancelled (see cancelledStatus). The window
// shows a progress bar with a Cancel button; the tool and the tests pass none (null).
class Progress
{
public:
    virtual ~Progress() = default;
    // done of total units so far; total may grow while a walk is still finding its
    // folders, and is 0 while nothing is known. False once the user has asked the walk to
    // stop, and from then on. Called often: an implementation keeps it cheap.
    virtual bool step(qint64 done, qint64 total) = 0;
};

// A step of a walk that may have nobody to report to (null: it never stops).
inline bool proceed(Progress *progress, qint64 done, qint64 total)
{
    return !progress || progress->step(done, total);
}

// How many records a walk does between two steps: often enough for a prompt stop, seldom
// enough to cost nothing measurable.
constexpr int kRecordsPerStep = 4096;

// The outcome of a walk that stopped because it was asked to.
inline DbStatus cancelledStatus()
{
    return { DbStatus::Cancelled,
        QCoreApplication::translate("Progress", "The command was cancelled.") };
}
