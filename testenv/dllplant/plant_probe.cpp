// plant_probe [--restricted] name...
// Loads each DLL by bare name, the way a careless program would; with
// --restricted after the tool's own search restriction. Exit code: how many
// of the names loaded.
#include <windows.h>

#include <cwchar>

#include "app/DllSearch.h"

int wmain(int argc, wchar_t** argv) {
    int first = 1;
    if (argc > 1 && std::wcscmp(argv[1], L"--restricted") == 0) {
        RestrictDllSearchToSystem();
        first = 2;
    }
    int loaded = 0;
    for (int i = first; i < argc; ++i) {
        if (LoadLibraryW(argv[i]) != nullptr) ++loaded;
    }
    return loaded;
}
