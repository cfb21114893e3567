#pragma once
// Start-up trace, for measuring where the time to the first window goes
// (bench/startup.sh reads it). When the environment variable
// HR_STARTUP_TRACE is set (to anything), the marks go to a new file
// "startup-trace.txt" beside the executable, one line each:
// "<system time in 100 ns ticks since 1601> <what>". Unset, the variable is
// read once and every mark after that is one test of a flag.
//
// The tool runs elevated: the trace never goes where the environment says,
// and a file (or link) already standing under that name is never opened,
// so it cannot be used to append to some other file.
//
// Header-only, so that every layer can mark without linking another
// library. The user-interface thread marks during start-up (the first mark
// decides, before any other thread exists); during a run the worker marks
// its commands as well (bench/runcost.sh).
//
//   hr::trace::Mark("GDI+ started");
//   hr::trace::Mark("PNG decoded", 145);
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace hr {
namespace trace {

// Constant-initialised: no start-up code of its own.
struct State {
    bool checked;
    HANDLE file;  // nullptr while off
    void(WINAPI* now)(LPFILETIME);
};
inline State g_state = {false, nullptr, nullptr};

inline const wchar_t kFileName[] = L"startup-trace.txt";

inline HANDLE OpenTraceFile() {
    State& s = g_state;
    if (s.checked) return s.file;
    s.checked = true;
    wchar_t flag[4];
    if (::GetEnvironmentVariableW(L"HR_STARTUP_TRACE", flag, 4) == 0) return nullptr;
    wchar_t path[MAX_PATH + 32];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (slash == nullptr) return nullptr;
    std::memcpy(slash + 1, kFileName, sizeof kFileName);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // The precise clock came with Windows 8; Windows 7 ticks the plain one
    // every 15.6 ms.
    if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
        s.now = reinterpret_cast<void(WINAPI*)(LPFILETIME)>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")));
    }
    if (s.now == nullptr) s.now = ::GetSystemTimeAsFileTime;
    s.file = file;
    return file;
}

inline void MarkAt(const FILETIME& at, const char* what, int id = -1) {
    HANDLE file = OpenTraceFile();
    if (file == nullptr) return;
    const unsigned long long ticks = (static_cast<unsigned long long>(at.dwHighDateTime) << 32) | at.dwLowDateTime;
    char line[128];
    const int n = id >= 0 ? std::snprintf(line, sizeof line, "%llu %s %d\n", ticks, what, id)
                          : std::snprintf(line, sizeof line, "%llu %s\n", ticks, what);
    if (n <= 0 || n >= static_cast<int>(sizeof line)) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
}

inline void Mark(const char* what, int id = -1) {
    if (g_state.checked && g_state.file == nullptr) return;
    if (OpenTraceFile() == nullptr) return;
    FILETIME now;
    g_state.now(&now);
    MarkAt(now, what, id);
}

}  // namespace trace
}  // namespace hr
