#include "tform1.h"

#include "app/settingslook.h"
#include "tsplitter.h"

#include <QTableView>

// The settings hold numbers; the controls hold the live layout. These translate in both
// directions so that loading and saving never reach into the widgets themselves.

void TForm1::applyWindowBounds()
{
    const LayoutSettings &l = m_state.settings.layout;
    move(l.left, l.top);
    resize(l.width, l.height);
    if (l.windowState == 0)
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    else if (l.windowState == 1)
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void TForm1::applyProgramColumnWidths()
{
    const auto &w = m_state.settings.GridColumnWidths;
    for (int c : { 0, 2, 3, 4 })
        DBGrid1->setColumnWidth(c, w[size_t(c)]);
    applyNoteWidth();
}

void TForm1::applyArchiveLayout()
{
    const Settings &s = m_state.settings;
    setGridHeight(fitGridHeight(s.layout.gridHeight, Panel1->height()));
    setTreeWidth(s.layout.treeWidth);
    DBGrid1->setColumnWidth(0, s.GridColumnWidths[0]);
    setToolbarColor(toQColor(s.ToolbarColor, palette()));
    m_state.ViewFont = toQFont(s.ViewFont);
    setToolbarsShown(s.layout.showTopToolbar, s.layout.showBottomToolbar);
    applyNoteWidth();
}

void TForm1::storeWindowLayout()
{
    Settings &s = m_state.settings;
    LayoutSettings &l = s.layout;
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    l.windowState = normal ? 0 : 1;
    if (normal) {
        l.left = x();
        l.top = y();
        l.width = width();
        l.height = height();
    }
    l.gridHeight = gridHeight();
    l.treeWidth = treeWidth();
    l.showTopToolbar = topToolbarShown();
    l.showBottomToolbar = bottomToolbarShown();
    for (int c : { 0, 2, 3, 4 })
        s.GridColumnWidths[size_t(c)] = DBGrid1->columnWidth(c);
    // A stored system colour stays one while the toolbar still shows it.
    if (toQColor(s.ToolbarColor, palette()) != toolbarColor())
        s.ToolbarColor = fromQColor(toolbarColor());
}
