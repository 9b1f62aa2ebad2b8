// Removal of temporary files when the process is ended by a signal: files in
// flight are remembered in a fixed table that an async-signal-safe handler
// for SIGINT, SIGTERM and SIGHUP unlinks before the signal takes its course.
#pragma once

#include <string>

namespace vortan::temp_cleanup {

// Installs the handler once per process; later calls do nothing. Only
// signals left at their default action are taken over: an ignored signal
// stays ignored, and a program's own handler stays in charge.
void InstallSignalCleanup();

// Remembers path (made absolute against the current folder) for removal on
// a signal. Returns the slot to pass to Forget, or -1 when the table is full
// or the path too long (the file is then simply not cleaned up).
int Track(const std::string& path);

// Stops remembering the path of slot (no effect for -1).
void Forget(int slot);

}  // namespace vortan::temp_cleanup
