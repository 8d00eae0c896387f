#include "bulkwalk.h"

#include "appstate.h"

#include <QCursor>
#include <QGuiApplication>

BulkWalk::BulkWalk(AppState &state)
    : m_state(state)
    , m_follow(state.followCurrentRecord)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_state.followCurrentRecord = false;
    if (CatalogTable *table = state.openTable())
        m_detached.emplace(*table);
}

BulkWalk::~BulkWalk()
{
    // The views attach (and repaint) before the flag lets them load the current record.
    m_detached.reset();
    m_state.followCurrentRecord = m_follow;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}
