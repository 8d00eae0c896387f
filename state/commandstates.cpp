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
    {C::miDelClick, P::GridMenu, Record, Always},
    {C::miOkClick, P::GridMenu, Record, Always},
    {C::popCopyPathClick, P::GridMenu, Browse | Text, Browse | Text},
    // Insert, Delete and Ctrl+R are typing keys while a view accepts input.
    {C::miKataddClick, P::MainMenu, Browse, Browse},
    {C::mikatdelClick, P::MainMenu, Browse, Browse},
    {C::miKatReplaceClick, P::MainMenu, Browse, Browse},
    {C::ReorganisationClick, P::MainMenu, Browse | Record, Always},
    {C::Einstellungen1Click, P::MainMenu, Browse | Record, Always},
    // The text pane's own commands.
    {C::miTextSichClick, P::MainMenu, Text, Always},
    {C::miInsFileClick, P::MainMenu, Text, Always},
    {C::miDelAllClick, P::MainMenu, Text, Always},
    {C::miheuteClick, P::MainMenu, Text, Always},
    {C::miTextSichClick, P::TextMenu, Text, Always},
    {C::miInsFileClick, P::TextMenu, Text, Always},
    {C::miDelAllClick, P::TextMenu, Text, Always},
    {C::miheuteClick, P::TextMenu, Text, Always},
    {C::miDelClick, P::TextMenu, Text, Always},
    {C::miOkClick, P::TextMenu, Text, Always},
    // Ctrl+C copies the selected text while the pane is edited.
    {C::popGanzeTextClick, P::TextMenu, Browse | Record, Browse | Record},
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
