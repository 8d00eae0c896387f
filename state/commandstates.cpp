#include "commandstates.h"

#include <iterator>

namespace
{

enum ModeMask : unsigned {
    Browse = 1,
    Record = 2,
    Text = 4,
    Always = Browse | Record | Text,
};

struct ModeRule {
    Command command;
    CommandPlace place;
    unsigned enabledIn;
    unsigned keyIn;
};

using C = Command;
using P = CommandPlace;

// clang-format off
const ModeRule rules[] = {
    // Abort and OK of the grid's menu belong to record edit mode; its Ctrl+C is the cell
    // editor's copy meanwhile.
    {C::DeleteOrAbort, P::GridMenu, Record, Always},
    {C::UpdateOrOk, P::GridMenu, Record, Always},
    {C::CopyPath, P::GridMenu, Browse | Text, Browse | Text},
    // Insert, Delete and Ctrl+R are typing keys while a view accepts input.
    {C::AddTag, P::MainMenu, Browse, Browse},
    {C::DeleteTag, P::MainMenu, Browse, Browse},
    {C::ReplaceTags, P::MainMenu, Browse, Browse},
    {C::Reorganize, P::MainMenu, Browse | Record, Always},
    {C::Settings, P::MainMenu, Browse | Record, Always},
    // The text pane's own commands.
    {C::SaveTextAs, P::MainMenu, Text, Always},
    {C::InsertFile, P::MainMenu, Text, Always},
    {C::DeleteAllText, P::MainMenu, Text, Always},
    {C::InsertDate, P::MainMenu, Text, Always},
    {C::SaveTextAs, P::TextMenu, Text, Always},
    {C::InsertFile, P::TextMenu, Text, Always},
    {C::DeleteAllText, P::TextMenu, Text, Always},
    {C::InsertDate, P::TextMenu, Text, Always},
    {C::DeleteOrAbort, P::TextMenu, Text, Always},
    {C::UpdateOrOk, P::TextMenu, Text, Always},
    // Ctrl+C copies the selected text while the pane is edited.
    {C::CopyText, P::TextMenu, Browse | Record, Browse | Record},
};
// clang-format on

unsigned maskOf(UiMode mode)
{
    switch (mode) {
    case UiMode::Browse:
        return Browse;
    case UiMode::RecordEdit:
        return Record;
    case UiMode::TextEdit:
        return Text;
    }
    return Browse;
}

} // namespace

std::vector<CommandState> commandStatesFor(UiMode mode)
{
    const unsigned m = maskOf(mode);
    std::vector<CommandState> states;
    states.reserve(std::size(rules));
    for (const ModeRule &r : rules)
        states.push_back({ r.command, r.place, (r.enabledIn & m) != 0, (r.keyIn & m) != 0 });
    return states;
}
