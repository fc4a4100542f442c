#pragma once

#include <functional>

namespace platform {

// Ending the program: every window goes at once, no unload handler runs afterwards and no
// further pass of the watch loop runs. The event loop is left with exit(0), not quit(),
// because quit() would first close every window and a close runs an unload.
void endProgram();

bool programHasEnded();

// Tests replace the final step (leaving the event loop) and reset the state between cases.
void setEndHandlerForTests(std::function<void()> handler);
void resetEndForTests();

} // namespace platform
