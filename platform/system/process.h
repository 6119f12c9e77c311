// Starting processes and ending them by name: the process snapshot and start services on Linux.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// Starts the executable at `path` with `path` as its only argument, this process's environment
// and current folder, and returns without waiting for it. The new process is not this process's
// child (it is started through a short-lived intermediate that is reaped at once), so it never
// becomes a zombie here and nothing in this process has to wait for it. Its signal mask and the
// dispositions of the usual job-control signals start at their defaults. Returns the new
// process's id, or -1 when it could not be started (file missing, not executable, ...).
pid_t StartProcess(const std::string& path);

// Finds the first running process (in ascending process-id order, which stands for the
// original's snapshot order) whose executable name equals `name` without regard to case, and
// asks it to end with SIGTERM. The executable name is the base name of /proc/PID/exe, or the
// kernel's short name (comm, at most 15 characters) where the executable link cannot be read.
// Never ends the calling process, zombies, or processes of another user.
// Returns false only when the process list (`procRoot`) cannot be read.
bool SweepProcessesByName(const std::string& name, const std::string& procRoot = "/proc");

// The executable base name of a process as the sweep sees it; empty when the process is gone.
std::string ProcessExecutableName(pid_t pid, const std::string& procRoot = "/proc");

}  // namespace platform
