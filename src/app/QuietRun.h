#pragma once
// Runs started by a deployment engine, or where nobody can click: the
// command line, the desktop check and the run without any window.
#include "app/QuietCore.h"

#include <string>

struct LaunchRequest {
    quiet::CommandLine commandLine;
    quiet::Plan plan;
    std::wstring rawArguments;  // as given, for the run log
    std::wstring logPath;       // the /log file's full path; empty when none or unresolvable
};

// Reads the process's command line and whether anybody can see its windows:
// not in session 0, on a window station that is visible, and not as
// LocalSystem.
LaunchRequest ReadLaunchRequest();

// Everything a run without windows does (the removal, the usage, a refused
// command line), ending with its exit code. Also what follows a refused
// command line's prompt on the desktop: the run log and the result line, 87.
int RunWithoutWindows(const LaunchRequest& request);
