#pragma once
// Counts of what the process holds, taken from inside it on request, so that
// a soak test can see whether repeated runs of the tool leak. Wine answers
// neither GetGuiResources nor GetProcessHandleCount, so the counts are made
// by hand where the system will not give them.
#include <string>

// Starts a thread that waits for the event "Local\HrStandinSample.<pid>";
// each time it is set, the counts are written to `countsPath` (one "name
// value" line each: gdi, user, handles, private) and
// "Local\HrStandinSampled.<pid>" is set.
void StartResourceSampler(const std::wstring& countsPath);
