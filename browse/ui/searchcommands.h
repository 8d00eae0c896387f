#pragma once

#include "browse/recordsearch.h"
#include "store/dbstatus.h"
#include "views/ui/mainviews.h"

#include <QObject>
#include <QString>

#include <functional>

class BrowseViews;

// Search (F3 "&Next / down", F4 "&Prior / up"): the remembered search text, asked for once
// and used by every search until it is cleared, is looked for from next to the current
// record across the whole catalogue in the order in force; the folder of the match is
// selected in the tree and the match becomes the current record. A text ending in "\"
// finds folders by name, one character finds tags. A search that finds nothing beeps and
// leaves the current record where it was.
//
// The record search does not walk the views through the catalogue: the first match in the
// order in force is found by one scan of the table that leaves the views alone, the long
// texts are read without the text pane, and the views are detached only while the match
// is made current; the text pane shows the final record's text once.
class SearchCommands : public QObject
{
    Q_OBJECT
public:
    // finishEditing ends an edit mode before a search takes the user elsewhere; false (a
    // text that could not be saved) stops the search.
    SearchCommands(AppState &state, BrowseViews &views, StatusPanels &panels, CommandPort &commands,
        std::function<bool()> finishEditing);

    void searchDown();
    void searchUp();
    void search(bool down);

    // Empty while no search is active.
    const QString &searchText() const { return m_searchText; }

private:
    DbStatus searchFor(bool down);
    DbStatus folderSearch(bool down);
    DbStatus recordSearch(bool down, search::Kind kind);
    DbStatus showMatch(const SearchHit &hit);
    QString nodeText(int index) const;

    AppState &m_state;
    BrowseViews &m_views;
    StatusPanels &m_panels;
    CommandPort &m_commands;
    std::function<bool()> m_finishEditing;
    QString m_searchText;
};
