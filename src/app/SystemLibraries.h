#pragma once
// The elevated tool loads no DLL from its own folder except the companion
// library it binds on purpose: a file planted beside the executable (in
// Downloads, say) would otherwise run with administrator rights.
#include <windows.h>

// Makes the system folder the only default place DLLs are loaded from. Call
// first thing in the entry point, before anything can load a DLL. Uses
// SetDefaultDllDirectories where kernel32 has it; elsewhere at least the
// current folder is taken out of the search.
void RestrictDllSearchToSystem();

// Loads a system DLL by name from the system folder only. Side-by-side
// redirection (common controls 6 from the manifest) still applies. Null when
// it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);
