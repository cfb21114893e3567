#include <windows.h>

#include "app/App.h"
#include "framework/StartupTrace.h"

CRemedoTessaroModernHubrelayServiceUninstalledApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, PWSTR lpCmdLine, int nCmdShow) {
    FILETIME created, exited, kernel, user;
    if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        hr::trace::MarkAt(created, "process created");
    }
    hr::trace::Mark("wWinMain");
    // The DLL search is already restricted (DllSearchFirst.cpp).
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
