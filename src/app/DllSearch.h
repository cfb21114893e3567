#pragma once
// The elevated tool loads no DLL from its own folder except the companion
// library it binds on purpose: a file planted beside the executable (in
// Downloads, say) would otherwise run with administrator rights. Other system
// DLLs are loaded by name from the system folder only (LoadSystemLibrary of
// the controls).

// Makes the system folder the only default place DLLs are loaded from. The
// tool calls it before any static constructor (DllSearchFirst.cpp). Uses
// SetDefaultDllDirectories where kernel32 has it; elsewhere at least the
// current folder is taken out of the search.
void RestrictDllSearchToSystem();
