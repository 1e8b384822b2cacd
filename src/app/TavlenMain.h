#pragma once

namespace tavlen {

// The program: one Tavlen per user, the application and its scenes, every quit path through the delegate.
// Returns the process's exit status.
int runTavlen(int argc, char** argv);

} // namespace tavlen
