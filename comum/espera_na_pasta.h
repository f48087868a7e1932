// Waiting for files to come or go in a folder without looking at a clock:
// the system tells of each change to the folder's names (inotify on Linux,
// a change notification on Windows), and the condition is asked again.
// What a test and the simulated printer hold a command with, across
// processes.
#pragma once

#include <filesystem>
#include <functional>

namespace comum {

// Returns once `pronto` holds, asking it at first and after each file of
// `pasta` is made, removed or renamed, however long that takes; whether it
// holds. When the folder cannot be watched it is asked once, at once. The
// folder stays while it is waited on.
bool EsperaNaPasta(const std::filesystem::path& pasta, const std::function<bool()>& pronto);

}  // namespace comum
