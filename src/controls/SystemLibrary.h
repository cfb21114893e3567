#pragma once
#include <windows.h>

// Loads a DLL from the system folder only, never from the executable's own
// folder or the current directory, where a planted copy could sit beside the
// elevated tool. Uses the system-folder search flag where the loader knows
// it, else the DLL's full path in the system folder. nullptr on failure.
HMODULE LoadSystemLibrary(const wchar_t* dllName);
