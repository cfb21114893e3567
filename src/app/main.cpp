#include <windows.h>

#include "app/App.h"
#include "app/DllSearch.h"

CRemedoTessaroModernHubrelayServiceUninstalledApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, PWSTR lpCmdLine, int nCmdShow) {
    // Before anything else can load a DLL.
    RestrictDllSearchToSystem();
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
