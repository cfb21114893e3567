// A real (idle) Windows service, so that tests and the demo have a
// HubrelayService that can be started, stopped and deleted like the vendor's.
//
// hubrelay-service.exe [--stop-after <ms>]: asked to stop, it stays in
// STOP_PENDING that long, or until a file "release-stop" appears beside it,
// as a service does that finishes its work first. Deleted meanwhile, it
// stays listed, marked for deletion, until it has stopped.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

SERVICE_STATUS_HANDLE g_handle = nullptr;
SERVICE_STATUS g_status = {};
HANDLE g_stopEvent = nullptr;
DWORD g_stopAfterMs = 0;
std::wstring g_releaseFile;

void Report(DWORD state) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        state == SERVICE_RUNNING ? (SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN) : 0;
    g_status.dwWin32ExitCode = NO_ERROR;
    SetServiceStatus(g_handle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(g_stopEvent);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    g_handle = RegisterServiceCtrlHandlerExW(L"HubrelayService", Handler, nullptr);
    if (!g_handle) return;
    g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_RUNNING);
    WaitForSingleObject(g_stopEvent, INFINITE);
    const ULONGLONG until = GetTickCount64() + g_stopAfterMs;
    while (GetTickCount64() < until && GetFileAttributesW(g_releaseFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ++g_status.dwCheckPoint;
        g_status.dwWaitHint = 2000;
        Report(SERVICE_STOP_PENDING);
        Sleep(100);
    }
    Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--stop-after") == 0) g_stopAfterMs = std::wcstoul(argv[i + 1], nullptr, 10);
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    g_releaseFile = self;
    g_releaseFile = g_releaseFile.substr(0, g_releaseFile.find_last_of(L'\\') + 1) + L"release-stop";
    wchar_t name[] = L"HubrelayService";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
