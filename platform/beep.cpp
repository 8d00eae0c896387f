#include "beep.h"

namespace beep
{

namespace
{

    Sounder &installed()
    {
        static Sounder sounder;
        return sounder;
    }

} // namespace

void sound(int frequencyHz, int durationMs)
{
    if (const Sounder &s = installed())
        s(frequencyHz, durationMs);
}

Sounder install(Sounder sounder)
{
    Sounder previous = std::move(installed());
    installed() = std::move(sounder);
    return previous;
}

} // namespace beep
