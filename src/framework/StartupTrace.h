#pragma once
// Start-up trace, for measuring where the time to the first window goes
// (bench/startup.sh reads it). When the environment variable
// HR_STARTUP_TRACE names a file, each mark appends one line to it:
// "<system time in 100 ns ticks since 1601> <what>". Unset, the variable is
// read once and every mark after that is one test of a flag.
//
// Header-only, so that every layer can mark without linking another
// library; only the user-interface thread marks, during start-up.
//
//   hr::trace::Mark("GDI+ started");
//   hr::trace::Mark("PNG decoded", 145);
#include <windows.h>

#include <cstdio>

namespace hr {
namespace trace {

struct State {
    bool checked = false;
    HANDLE file = INVALID_HANDLE_VALUE;
    void(WINAPI* now)(LPFILETIME) = nullptr;
};
inline State g_state;

inline HANDLE OpenTraceFile() {
    State& s = g_state;
    if (s.checked) return s.file;
    s.checked = true;
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"HR_STARTUP_TRACE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return s.file;
    s.file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // The precise clock came with Windows 8; Windows 7 ticks the plain one
    // every 15.6 ms.
    if (HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
        s.now = reinterpret_cast<void(WINAPI*)(LPFILETIME)>(
            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")));
    }
    if (s.now == nullptr) s.now = ::GetSystemTimeAsFileTime;
    return s.file;
}

inline void MarkAt(const FILETIME& at, const char* what, int id = -1) {
    HANDLE file = OpenTraceFile();
    if (file == INVALID_HANDLE_VALUE) return;
    const unsigned long long ticks = (static_cast<unsigned long long>(at.dwHighDateTime) << 32) | at.dwLowDateTime;
    char line[160];
    const int n = id >= 0 ? std::snprintf(line, sizeof line, "%llu %s %d\n", ticks, what, id)
                          : std::snprintf(line, sizeof line, "%llu %s\n", ticks, what);
    if (n <= 0) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(n < static_cast<int>(sizeof line) ? n : sizeof line - 1), &written,
                nullptr);
}

inline void Mark(const char* what, int id = -1) {
    if (g_state.checked && g_state.file == INVALID_HANDLE_VALUE) return;
    if (OpenTraceFile() == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    g_state.now(&now);
    MarkAt(now, what, id);
}

}  // namespace trace
}  // namespace hr
