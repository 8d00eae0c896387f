#pragma once

#include <QObject>

#include <functional>

// A request from outside to end the program: SIGTERM (the session ends, the system shuts
// down), SIGINT (Ctrl+C in the terminal that started it) or SIGHUP (that terminal closed).
// The program then ends the way closing its window does, so that the settings are saved.
namespace termination
{

// Calls handler from context's event loop when one of the signals arrives. A second
// signal has its usual effect, so a program that no longer reacts can still be stopped.
// Installs once; later calls replace the handler.
void onRequest(QObject *context, std::function<void()> handler);

} // namespace termination
