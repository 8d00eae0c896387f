#pragma once

#include "store/catalogtable.h"

#include <optional>

struct AppState;

// The bracket of a command that walks many records: the hourglass shown, the views
// detached from the table (they show the end state once, when the outermost bracket ends),
// and followCurrentRecord cleared, so that moving through records neither loads info files
// nor drives the viewer. Everything is restored however the walk ends. Without an open
// table only the hourglass and the flag are handled.
class BulkWalk
{
public:
    explicit BulkWalk(AppState &state);
    ~BulkWalk();
    BulkWalk(const BulkWalk &) = delete;
    BulkWalk &operator=(const BulkWalk &) = delete;

private:
    AppState &m_state;
    bool m_follow;
    std::optional<DetachedViews> m_detached;
};
