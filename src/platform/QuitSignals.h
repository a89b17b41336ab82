#pragma once

#include <functional>

namespace velmora {

// Runs `quit` on the user-interface thread when the process is asked to end
// (SIGTERM at log-out, SIGINT, SIGHUP), so that the program ends the way
// "終了する" ends it: data saved, the calendar left on the desktop. Call it
// once the application exists.
void onQuitSignals(std::function<void()> quit);

} // namespace velmora
