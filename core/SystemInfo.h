#pragma once
// Logs what machine the program runs on, for reading a user's log later.

namespace tarnwick {

// "Processor %s: %s\n" per processor, "Linux Version: %s\n", and
// "This is a 64-bit version of Linux.\n" on 64-bit builds.
void LogSystemDescription();

}  // namespace tarnwick
