#pragma once

#include "appstate.h"
#include "commandtable.h"

#include <vector>

// Where a command's item stands: the main menu (with its toolbar buttons) or one of the
// pop-up menus.
enum class CommandPlace { MainMenu, TreeMenu, GridMenu, TextMenu };

// What the UI mode in force makes of one item: whether it can be chosen, and whether its
// key is registered (keys that the cell editors and the text pane need for themselves are
// taken away while those accept input).
struct CommandState {
    Command command;
    CommandPlace place;
    bool enabled;
    bool keyActive;
};

// The items whose state depends on the UI mode, as that mode wants them. Items not listed
// keep whatever their own command family set.
std::vector<CommandState> commandStatesFor(UiMode mode);
