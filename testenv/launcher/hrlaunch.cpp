// hrlaunch [--hidden-station] [--stdout <file>] [--timeout <seconds>] -- <command line>
// Starts the command line: the arguments after "--" joined by blanks, as
// they are (so one argument may carry a whole quoted command line: Wine's
// loader re-quotes what a Unix shell passes, and the raw line would keep that),
// waits for it and prints "exit=<code>", the full 32-bit exit code in
// decimal, or "exit=timeout" when it had to be ended after the timeout
// (default 300 s). Exit code 0 when the program ran to its end.
//
// --hidden-station  runs it on the desktop of a new window station, which
//                   is not visible, as a service or a SYSTEM task runs.
// --stdout <file>   its standard output is that file (created anew), as
//                   with "cmd > file"; without it the program has none.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Usage() {
    std::fwprintf(stderr, L"usage: hrlaunch [--hidden-station] [--stdout <file>] [--timeout <s>] -- <command line>\n");
    return 2;
}

// A new window station with one desktop; its "station\desktop" name.
std::wstring HiddenDesktop() {
    wchar_t name[64];
    std::swprintf(name, 64, L"hrlaunch%lu", GetCurrentProcessId());
    HWINSTA station = CreateWindowStationW(name, 0, WINSTA_ALL_ACCESS, nullptr);
    if (station == nullptr) return std::wstring();
    // A desktop is made on the window station of the process.
    HWINSTA own = GetProcessWindowStation();
    if (!SetProcessWindowStation(station)) return std::wstring();
    HDESK desk = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    if (desk == nullptr) return std::wstring();
    // Both stay open until this program ends, so that they outlive the start.
    return std::wstring(name) + L"\\Default";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool hidden = false;
    const wchar_t* outPath = nullptr;
    DWORD timeoutMs = 300000;
    int i = 1;
    for (; i < argc && std::wcscmp(argv[i], L"--") != 0; ++i) {
        if (std::wcscmp(argv[i], L"--hidden-station") == 0) {
            hidden = true;
        } else if (std::wcscmp(argv[i], L"--stdout") == 0 && i + 1 < argc) {
            outPath = argv[++i];
        } else if (std::wcscmp(argv[i], L"--timeout") == 0 && i + 1 < argc) {
            timeoutMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10)) * 1000;
        } else {
            return Usage();
        }
    }
    if (i + 1 >= argc) return Usage();
    std::wstring commandLine;
    for (int k = i + 1; k < argc; ++k) commandLine += (k > i + 1 ? L" " : L"") + std::wstring(argv[k]);

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring desktop;
    if (hidden) {
        desktop = HiddenDesktop();
        if (desktop.empty()) {
            std::fwprintf(stderr, L"hrlaunch: no hidden window station: error %lu\n", GetLastError());
            return 2;
        }
        si.lpDesktop = &desktop[0];
    }
    HANDLE out = nullptr;
    if (outPath != nullptr) {
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        out = CreateFileW(outPath, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) {
            std::fwprintf(stderr, L"hrlaunch: cannot create %ls\n", outPath);
            return 2;
        }
    }
    // Only the file is handed on: without --stdout the program has no
    // standard handles at all, as under a service.
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, out != nullptr, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"hrlaunch: cannot start: error %lu\n", GetLastError());
        return 2;
    }
    if (out != nullptr) CloseHandle(out);
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        std::printf("exit=timeout\n");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
    return 0;
}
