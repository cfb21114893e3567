// plant_probe [--restricted] name...
// Loads each DLL by bare name, the way a careless program would; with
// --restricted after the tool's own search restriction. Exit code: how many
// of the names loaded.
//
// Built a second time as plant_probe_early, with the tool's DllSearchFirst.cpp
// and HR_PROBE_IN_CONSTRUCTOR: there the loads happen in an ordinary static
// constructor, where the tool's application object and libssp's guard seeding
// run, so they show whether the restriction is in place that early.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/DllSearch.h"

namespace {

int LoadAll(int argc, wchar_t** argv, int first) {
    int loaded = 0;
    for (int i = first; i < argc; ++i) {
        if (LoadLibraryW(argv[i]) != nullptr) ++loaded;
    }
    return loaded;
}

#ifdef HR_PROBE_IN_CONSTRUCTOR
struct LoadInConstructor {
    int loaded = 0;
    LoadInConstructor() {
        int argc = 0;
        wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        if (argv != nullptr) loaded = LoadAll(argc, argv, 1);
    }
} g_early;
#endif

}  // namespace

int wmain(int argc, wchar_t** argv) {
#ifdef HR_PROBE_IN_CONSTRUCTOR
    (void)argc;
    (void)argv;
    return g_early.loaded;
#else
    int first = 1;
    if (argc > 1 && std::wcscmp(argv[1], L"--restricted") == 0) {
        RestrictDllSearchToSystem();
        first = 2;
    }
    return LoadAll(argc, argv, first);
#endif
}
