#pragma once

class TForm1;

// Creates the window's BrowseViews (the grid's model among them) and plugs in the
// handlers of browsing: ShowArchive, Expand all, Collaps all, Reorganization, Switch
// index and Clear search. Runs before TForm1::FormCreate().
void installBrowsing(TForm1 &form);
