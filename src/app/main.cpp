#include <windows.h>

#include "app/DllSearch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything else can load a DLL.
    RestrictDllSearchToSystem();
    return 0;
}
