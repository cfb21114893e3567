#include "engine/CommandRunner.h"

#include <windows.h>

#include <cstring>

#include "framework/StartupTrace.h"

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
IsWow64ProcessFn g_isWow64Process = nullptr;

const DWORD kReadBufferSize = 4096;
const DWORD kReadRequest = kReadBufferSize - 1;  // keeps a zero byte at the end
const DWORD kPauseAfterChunkMs = 500;
const size_t kCommandLineChars = 2048;

// Turns file-system redirection off for this thread while it lives, so that
// a 32-bit tool on 64-bit Windows starts the native 64-bit system programs.
class RedirectionOff {
public:
    RedirectionOff() {
        if (IsWow64()) {
            m_active = true;
            m_ok = Wow64DisableWow64FsRedirection(&m_oldValue) == TRUE;
        }
    }
    ~RedirectionOff() {
        if (m_active && m_ok) Wow64RevertWow64FsRedirection(m_oldValue);
    }
    bool ok() const { return !m_active || m_ok; }

private:
    bool m_active = false;
    bool m_ok = false;
    PVOID m_oldValue = nullptr;
};

class Handle {
public:
    Handle() = default;
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* out() { return &m_h; }
    HANDLE get() const { return m_h; }
    void reset() {
        if (m_h) CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    HANDLE m_h = nullptr;
};

// Number of leading bytes of `bytes` that form whole characters of the
// thread's ANSI code page: a lead byte of a double-byte character at the very
// end is left for the next chunk.
size_t WholeCharacters(const std::string& bytes) {
    CPINFO info;
    if (!GetCPInfo(CP_THREAD_ACP, &info) || info.MaxCharSize < 2) return bytes.size();
    auto isLead = [&info](unsigned char b) {
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
            if (b >= info.LeadByte[i] && b <= info.LeadByte[i + 1]) return true;
        return false;
    };
    size_t i = 0;
    while (i < bytes.size()) {
        if (isLead(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 >= bytes.size()) return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return bytes.size();
}

void AppendAnsi(const std::string& bytes, std::wstring& output) {
    if (bytes.empty()) return;
    const int len = static_cast<int>(bytes.size());
    const int wlen = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), len, nullptr, 0);
    if (wlen <= 0) return;
    std::wstring chunk(static_cast<size_t>(wlen), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), len, &chunk[0], wlen);
    output += chunk;
}

// The interpreter is started by its full path in the system folder, and the
// child's current directory is that folder too: a bare "cmd" would be looked
// up in the tool's own (often Downloads) folder first, and cmd itself looks in
// its current directory first for "sc" and "powershell". The tool is elevated,
// so either would run a planted program as administrator.
bool SystemFolder(std::wstring& folder) {
    wchar_t buf[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    folder.assign(buf, n);
    return true;
}

}  // namespace

int IsWow64() {
    if (!g_isWow64Process) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (!kernel) return 0;
        g_isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
        if (!g_isWow64Process) return 0;
    }
    BOOL wow = FALSE;
    return (g_isWow64Process(GetCurrentProcess(), &wow) && wow) ? 1 : 0;
}

int RunCommand(std::wstring command, std::wstring& output) {
    // The benchmark of a run tells the commands' own time from the tool's.
    struct TraceSpan {
        TraceSpan() { hr::trace::Mark("command begin"); }
        ~TraceSpan() { hr::trace::Mark("command end"); }
    } span;
    RedirectionOff redirection;
    if (!redirection.ok()) return 0;

    std::wstring systemFolder;
    if (!SystemFolder(systemFolder)) return 0;
    const std::wstring interpreter = systemFolder + L"\\cmd.exe";

    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &sa, 0)) return 0;
    // Only the write end belongs to the child.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si;
    std::memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.wShowWindow = SW_HIDE;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    const std::wstring line = L"cmd /C " + command;
    wchar_t commandLine[kCommandLineChars];
    if (line.size() >= kCommandLineChars) return 0;
    std::memcpy(commandLine, line.c_str(), (line.size() + 1) * sizeof(wchar_t));

    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof(pi));
    if (!CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                        systemFolder.c_str(), &si, &pi)) {
        return 0;
    }
    // Our copy of the write end must go, or the read end never reports the end.
    writeEnd.reset();

    // Each chunk is converted as it arrives; only a double-byte character cut
    // in two by the pipe is held back, so that it is not garbled.
    char buffer[kReadBufferSize];
    std::string pending;
    for (;;) {
        std::memset(buffer, 0, sizeof(buffer));
        DWORD got = 0;
        if (!ReadFile(readEnd.get(), buffer, kReadRequest, &got, nullptr)) break;
        pending.append(buffer, std::strlen(buffer));  // a zero byte ends the chunk's text
        const size_t whole = WholeCharacters(pending);
        AppendAnsi(pending.substr(0, whole), output);
        pending.erase(0, whole);
        Sleep(kPauseAfterChunkMs);
    }
    AppendAnsi(pending, output);
    readEnd.reset();

    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 1;
}
