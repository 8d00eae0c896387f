#pragma once

#include <functional>

// The tone the program sounds where a message would be too much: a search that finds
// nothing. The window system makes the sound (on Linux its bell, which has no pitch of
// its own), so the window layer installs the means at start-up; without one the call
// does nothing, and tests install their own to count the tones.
namespace beep
{

using Sounder = std::function<void(int frequencyHz, int durationMs)>;

// Sounds a tone of the given pitch and length.
void sound(int frequencyHz, int durationMs);

// Installs what sound() calls and returns the one it replaces.
Sounder install(Sounder sounder);

} // namespace beep
