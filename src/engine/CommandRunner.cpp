#include "engine/CommandRunner.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "engine/CommandEnvironment.h"
#include "framework/StartupTrace.h"

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE, PBOOL);
IsWow64ProcessFn g_isWow64Process = nullptr;

const DWORD kReadBufferSize = 4096;
const DWORD kReadRequest = kReadBufferSize - 1;  // keeps a zero byte at the end
const DWORD kPauseAfterChunkMs = 500;
const size_t kCommandLineChars = 2048;
// How often the runner looks at a pipe that has nothing to read yet.
const DWORD kPollMs = 20;
// How long the pipe is still read after the command's own process has
// ended: whatever it printed is in the pipe by then, and a program it left
// running (which inherited the write end) must not hold the reader until
// the deadline.
const DWORD kGraceAfterEndMs = 2000;

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

// Console programs writing to a pipe (sc, PowerShell, cmd) encode their text
// in the console's output code page, which for the hidden console the
// command gets is the system's OEM code page: the same as the ANSI one on a
// zh-CN system (936), not elsewhere (437 and 1252 on an English one). The
// verdicts rest on exit codes and ASCII error ids, which read the same in
// either; words matter only where they decode.

// Number of leading bytes of `bytes` that form whole characters of the
// OEM code page: a lead byte of a double-byte character at the very end is
// left for the next chunk.
size_t WholeCharacters(const std::string& bytes) {
    CPINFO info;
    if (!GetCPInfo(CP_OEMCP, &info) || info.MaxCharSize < 2) return bytes.size();
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

void AppendConsoleText(const std::string& bytes, std::wstring& output) {
    if (bytes.empty()) return;
    const int len = static_cast<int>(bytes.size());
    const int wlen = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), len, nullptr, 0);
    if (wlen <= 0) return;
    std::wstring chunk(static_cast<size_t>(wlen), L'\0');
    MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), len, &chunk[0], wlen);
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

// The system's own programs are named by their paths: cmd finds a bare
// "powershell" only through the PATH, which on some machines lacks its
// folder, and a bare "sc" in its current folder only while no
// NoDefaultCurrentDirectoryInExePath variable turns that search off.
std::wstring ResolveSystemProgram(const std::wstring& command, const std::wstring& systemFolder) {
    static const struct {
        const wchar_t* word;
        const wchar_t* path;
    } kPrograms[] = {
        {L"powershell ", L"\\WindowsPowerShell\\v1.0\\powershell.exe"},
        {L"sc ", L"\\sc.exe"},
    };
    for (const auto& p : kPrograms) {
        const size_t n = std::wcslen(p.word);
        if (command.compare(0, n, p.word) == 0)
            return L"\"" + systemFolder + p.path + L"\" " + command.substr(n);
    }
    return command;
}

// The machine's own variables, as Windows builds them for a process of no
// user; the tool's own block (which is the user's) only where that cannot be
// had, and then filtered just the same.
std::vector<std::wstring> MachineEnvironment() {
    std::vector<std::wstring> entries;
    auto take = [&entries](const wchar_t* block) {
        for (const wchar_t* p = block; *p; p += std::wcslen(p) + 1) entries.emplace_back(p);
    };
    using CreateFn = BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL);
    using DestroyFn = BOOL(WINAPI*)(LPVOID);
    std::wstring userenvPath;
    HMODULE userenv = nullptr;
    if (SystemFolder(userenvPath)) {
        userenvPath += L"\\userenv.dll";
        userenv = LoadLibraryExW(userenvPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (userenv != nullptr) {
        auto create = reinterpret_cast<CreateFn>(
            reinterpret_cast<void*>(GetProcAddress(userenv, "CreateEnvironmentBlock")));
        auto destroy = reinterpret_cast<DestroyFn>(
            reinterpret_cast<void*>(GetProcAddress(userenv, "DestroyEnvironmentBlock")));
        LPVOID block = nullptr;
        if (create && destroy && create(&block, nullptr, FALSE) && block != nullptr) {
            take(static_cast<const wchar_t*>(block));
            destroy(block);
            return entries;  // userenv stays loaded: the call is made once
        }
    }
    if (wchar_t* env = GetEnvironmentStringsW()) {
        take(env);
        FreeEnvironmentStringsW(env);
    }
    return entries;
}

std::wstring CommandEnvironment() {
    std::wstring block;
    for (const std::wstring& entry : SystemCommandEnvironment()) {
        block += entry;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

FILETIME CreationTime(HANDLE process) {
    FILETIME created = {}, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    return created;
}

// Ends `root` and everything it started, for a child that is not in the
// runner's job (Windows 7 cannot put a process that is already in a job into
// another). Parents go first, so that none starts another meanwhile; a child
// is a process whose parent id is in the tree and that was created after
// that parent (ids are reused). The handles stay open to the end, which
// keeps the ids of ended parents from being reused meanwhile.
void EndProcessTree(DWORD rootId, HANDLE root) {
    struct Member {
        DWORD id;
        FILETIME created;
    };
    TerminateProcess(root, 1);
    std::vector<Member> tree = {{rootId, CreationTime(root)}};
    std::vector<HANDLE> ended;
    for (bool grew = true; grew;) {
        grew = false;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) break;
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            bool known = false;
            const Member* parent = nullptr;
            for (const Member& m : tree) {
                if (m.id == entry.th32ProcessID) known = true;
                if (m.id == entry.th32ParentProcessID) parent = &m;
            }
            if (known || !parent) continue;
            HANDLE h = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
            if (!h) continue;
            const FILETIME created = CreationTime(h);
            if (CompareFileTime(&created, &parent->created) < 0) {
                CloseHandle(h);
                continue;
            }
            TerminateProcess(h, 1);
            tree.push_back(Member{entry.th32ProcessID, created});
            ended.push_back(h);
            grew = true;
        }
        CloseHandle(snapshot);
    }
    for (HANDLE h : ended) {
        WaitForSingleObject(h, 1000);
        CloseHandle(h);
    }
}

// A job that ends every process in it when its last handle is closed.
HANDLE CreateKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    std::memset(&limits, 0, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

}  // namespace

std::vector<std::wstring> SystemCommandEnvironment() {
    // The machine's variables do not change while the tool runs: made once,
    // not once a command (a desktop session may run many).
    static const std::vector<std::wstring> entries = [] {
        hrengine::SystemFolders folders;
        wchar_t buf[MAX_PATH];
        const UINT n = GetSystemWindowsDirectoryW(buf, MAX_PATH);
        if (!SystemFolder(folders.system)) folders.system = L"C:\\Windows\\System32";
        folders.windows =
            (n > 0 && n < MAX_PATH) ? std::wstring(buf, n) : folders.system.substr(0, folders.system.rfind(L'\\'));
        return hrengine::CommandEnvironmentEntries(MachineEnvironment(), folders);
    }();
    return entries;
}

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
    return RunCommandWithin(std::move(command), output, kCommandDeadlineMs);
}

int RunCommandWithin(std::wstring command, std::wstring& output, unsigned long deadlineMs, long long* exitCode) {
    if (exitCode) *exitCode = -1;  // until the command has ended
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

    // Standard input reads nothing: a command that waits for input ends.
    SECURITY_ATTRIBUTES inheritable = sa;
    Handle nul;
    *nul.out() = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr);
    if (nul.get() == INVALID_HANDLE_VALUE) *nul.out() = nullptr;

    STARTUPINFOEXW six;
    std::memset(&six, 0, sizeof(six));
    STARTUPINFOW& si = six.StartupInfo;
    si.cb = sizeof(si);
    si.hStdInput = nul.get();
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.wShowWindow = SW_HIDE;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    // The command inherits its own pipe and nothing else of the tool's: an
    // engine's output pipe or a file the tool has open stay the tool's.
    HANDLE inherited[2] = {writeEnd.get(), nul.get()};
    const DWORD inheritedCount = nul.get() ? 2 : 1;
    std::vector<unsigned char> attributeBuffer;
    SIZE_T attributeSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    attributeBuffer.resize(attributeSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    if (attributeSize == 0 || !InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize)) return 0;
    struct DeleteLater {
        LPPROC_THREAD_ATTRIBUTE_LIST list;
        ~DeleteLater() { DeleteProcThreadAttributeList(list); }
    } deleteLater{attributes};
    if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                   inheritedCount * sizeof(HANDLE), nullptr, nullptr))
        return 0;
    six.lpAttributeList = attributes;
    si.cb = sizeof(six);

    // /D: the AutoRun commands of the user's and the machine's registry would
    // run elevated in the command's tree, and their output (or a "chcp" that
    // changes how sc prints) would land in the text the verdicts are read
    // from. /S with the outer quotes: cmd removes exactly those, so quotes
    // inside the command stay as they are.
    const std::wstring line = L"cmd /D /S /C \"" + ResolveSystemProgram(command, systemFolder) + L"\"";
    wchar_t commandLine[kCommandLineChars];
    if (line.size() >= kCommandLineChars) return 0;
    std::memcpy(commandLine, line.c_str(), (line.size() + 1) * sizeof(wchar_t));

    // The command's whole tree runs in a job, so that a command past its
    // deadline, and anything it left behind, can be ended with it. The child
    // starts suspended until it is in the job. A tool started inside a job
    // (Windows 7's compatibility assistant puts many there) lets the child
    // break away where that job allows it; elsewhere the child stays in it,
    // the assignment fails on Windows 7, and its tree is ended one by one.
    Handle job;
    *job.out() = CreateKillOnCloseJob();
    std::wstring environment = CommandEnvironment();
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof(pi));
    DWORD flags = CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB | CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT;
    BOOL started = CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE, flags, &environment[0],
                                  systemFolder.c_str(), &si, &pi);
    if (!started && GetLastError() == ERROR_ACCESS_DENIED) {
        std::memcpy(commandLine, line.c_str(), (line.size() + 1) * sizeof(wchar_t));
        flags &= ~static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB);
        started = CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE, flags, &environment[0],
                                 systemFolder.c_str(), &si, &pi);
    }
    if (!started) return 0;
    Handle process, thread;
    *process.out() = pi.hProcess;
    *thread.out() = pi.hThread;
    const bool inJob = job.get() && AssignProcessToJobObject(job.get(), pi.hProcess);
    ResumeThread(pi.hThread);
    // Our copy of the write end must go, or the read end never reports the end.
    writeEnd.reset();

    // The pipe is only read when it holds something, so that a command that
    // prints nothing and never ends cannot hold the reader past the deadline.
    // Each chunk is converted as it arrives; only a double-byte character cut
    // in two by the pipe is held back, so that it is not garbled.
    const size_t kept = output.size();
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    bool late = false;
    ULONGLONG graceEnd = 0;  // set once the command's own process has ended
    bool leftBehind = false;  // something the command started still holds the pipe
    char buffer[kReadBufferSize];
    std::string pending;
    for (;;) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &waiting, nullptr)) break;  // writers gone
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            late = true;
            break;
        }
        if (graceEnd == 0 && WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) graceEnd = now + kGraceAfterEndMs;
        if (graceEnd != 0 && now >= graceEnd) {
            leftBehind = true;
            break;
        }
        if (waiting == 0) {
            Sleep(kPollMs);
            continue;
        }
        std::memset(buffer, 0, sizeof(buffer));
        DWORD got = 0;
        if (!ReadFile(readEnd.get(), buffer, kReadRequest, &got, nullptr)) break;
        pending.append(buffer, std::strlen(buffer));  // a zero byte ends the chunk's text
        const size_t whole = WholeCharacters(pending);
        AppendConsoleText(pending.substr(0, whole), output);
        pending.erase(0, whole);
        Sleep(kPauseAfterChunkMs);
    }
    if (!late) {
        AppendConsoleText(pending, output);
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        late = WaitForSingleObject(process.get(), left) == WAIT_TIMEOUT;
    }
    readEnd.reset();
    if (late || leftBehind) {
        if (inJob) TerminateJobObject(job.get(), 1);
        else EndProcessTree(pi.dwProcessId, process.get());
    }
    if (late) {
        WaitForSingleObject(process.get(), 5000);
        output.resize(kept);
        return 0;
    }
    // cmd ends with the exit code of the program it ran: for sc the Win32
    // error, whatever the language of its text.
    DWORD code = 0;
    if (exitCode && GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) *exitCode = code;
    return 1;
}
