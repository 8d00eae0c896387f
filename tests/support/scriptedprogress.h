#pragma once

#include "store/progress.h"

#include <utility>
#include <vector>

// A progress as a test scripts it: every step is kept, and from the first step whose done
// reaches stopFrom on (never when stopFrom is negative) the walk is asked to stop, as a
// user pressing Cancel at that point would.
class ScriptedProgress : public Progress
{
public:
    explicit ScriptedProgress(qint64 stopFrom = -1)
        : m_stopFrom(stopFrom)
    {
    }

    bool step(qint64 done, qint64 total) override
    {
        steps.emplace_back(done, total);
        m_stopped = m_stopped || (m_stopFrom >= 0 && done >= m_stopFrom);
        return !m_stopped;
    }

    bool stopped() const { return m_stopped; }
    // True when done never went back and never passed total.
    bool orderly() const
    {
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i].first > steps[i].second || (i > 0 && steps[i].first < steps[i - 1].first))
                return false;
        return true;
    }

    std::vector<std::pair<qint64, qint64>> steps; // done, total
private:
    qint64 m_stopFrom;
    bool m_stopped = false;
};
