#include <windows.h>

#include "app/App.h"
#include "app/DllSearch.h"
#include "framework/StartupTrace.h"

CRemedoTessaroModernHubrelayServiceUninstalledApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, PWSTR lpCmdLine, int nCmdShow) {
    FILETIME created, exited, kernel, user;
    if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        hr::trace::MarkAt(created, "process created");
    }
    hr::trace::Mark("wWinMain");
    // Before anything else can load a DLL.
    RestrictDllSearchToSystem();
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
