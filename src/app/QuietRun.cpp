#include "app/QuietRun.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/RunWatchdog.h"
#include "engine/CommandRunner.h"
#include "engine/RunLock.h"
#include "engine/ServiceUninstaller.h"
#include "integration/FeedbackDll.h"
#include "log/EventLog.h"
#include "log/LogSave.h"

namespace {

// The longest a quiet run may take, whatever hangs (a command, the
// companion library's start, which has no deadline of its own, a look after
// the delete). Group Policy stops waiting for startup scripts after 600 s
// by default (MaxGPOScriptWait), all of them together, and the run's answer
// would then be lost: 540 s leaves the engine a minute. A command that hangs
// ends by its own 90 s deadline well before. (Tests build the tool with a
// bound of a few seconds.)
#ifndef HR_QUIET_RUN_BOUND_MS
#define HR_QUIET_RUN_BOUND_MS 540000
#endif
constexpr DWORD kQuietRunBoundMs = HR_QUIET_RUN_BOUND_MS;

bool HasInteractiveDesktop() {
    // Services and the engines that run as SYSTEM live in session 0, whose
    // desktop nobody sees since Windows Vista, visible flag or not.
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return false;
    USEROBJECTFLAGS flags = {};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags), nullptr) &&
        (flags.dwFlags & WSF_VISIBLE) == 0) {
        return false;
    }
    return true;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// The standard output the tool was started with, when a caller redirected
// it (PowerShell, Ansible, "cmd > file"); nothing else. No console is ever
// attached or opened.
void WriteStandardOutput(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) return;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The /log file. An engine running as SYSTEM writes it wherever the
// command line says, in folders an ordinary user may have made first: it is
// opened one name at a time, never through a link, and is not a second name
// of another file.
class RunLogFile {
public:
    RunLogFile() { InitializeCriticalSection(&m_cs); }
    ~RunLogFile() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
        DeleteCriticalSection(&m_cs);
    }
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;
    // 0 when open, else the Win32 error.
    DWORD Open(const std::wstring& fullPath) {
        const quiet::WalkPath walk = quiet::SplitForWalk(fullPath);
        if (!walk.valid) return ERROR_BAD_PATHNAME;
        // The path in the run log is the path written: a 32-bit tool's
        // "System32" is not quietly SysWOW64.
        PVOID redirection = nullptr;
        const bool redirectionOff = IsWow64() && Wow64DisableWow64FsRedirection(&redirection);
        DWORD error = 0;
        m_h = hrlog::OpenFileWithoutLinks(walk.root, walk.folders, walk.file, &error);
        if (redirectionOff) Wow64RevertWow64FsRedirection(redirection);
        return m_h == INVALID_HANDLE_VALUE ? (error != 0 ? error : ERROR_ACCESS_DENIED) : 0;
    }
    void Write(const std::wstring& text) { WriteBytes(Utf8(text)); }
    // Each piece reaches the disk before the run goes on: a run ended from
    // outside (an engine's time limit, a restart) leaves all it had done.
    void WriteBytes(const std::string& bytes) {
        EnterCriticalSection(&m_cs);
        if (!m_bClosed) Put(bytes);
        LeaveCriticalSection(&m_cs);
    }
    // The watchdog's last lines: nothing the run writes comes after them. A
    // run stuck in the middle of a write is waited for only a moment.
    void WriteLast(const std::string& bytes) {
        bool entered = false;
        for (int i = 0; i < 100 && !(entered = TryEnterCriticalSection(&m_cs) != 0); ++i) Sleep(10);
        m_bClosed = true;
        Put(bytes);
        if (entered) LeaveCriticalSection(&m_cs);
    }

private:
    void Put(const std::string& bytes) {
        if (m_h == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(m_h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        FlushFileBuffers(m_h);
    }

    HANDLE m_h = INVALID_HANDLE_VALUE;
    CRITICAL_SECTION m_cs;
    volatile bool m_bClosed = false;
};

// The absolute path of a /log argument, resolved once against the current
// folder the engine gave, so that the run log can say where it is.
std::wstring FullPathOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
    return std::wstring();
}

// Whether the process runs as LocalSystem.
bool RunsAsLocalSystem() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    const bool system = GetTokenInformation(token, TokenUser, &buffer, sizeof(buffer), &size) &&
                        IsWellKnownSid(buffer.user.User.Sid, WinLocalSystemSid);
    CloseHandle(token);
    return system;
}

// A run's record as it happens: each step goes to the run log the moment
// it has ended, and is kept for the outcome's event.
class RunJournal {
public:
    RunJournal(RunLogFile& log, quiet::RunRecord& record) : m_log(log), m_record(record) {}
    void Begin() { m_log.Write(quiet::RunLogHeader(m_record)); }
    void Step(const std::wstring& line) {
        m_record.steps.push_back(line);
        m_log.Write(line + L"\r\n");
    }

private:
    RunLogFile& m_log;
    quiet::RunRecord& m_record;
};

// The Application event log's record of a run: a report, which never
// changes the outcome.
void ReportEvent(const quiet::RunRecord& record) {
    hrlog::ReportRunOutcome(quiet::CodeFor(record.outcome).word,
                            quiet::EventText(record, quiet::ResultLine(record.outcome)));
}

// Every record of the outcome: the run log's last line, the result line on
// a redirected standard output, and the event.
int Finish(RunLogFile& log, quiet::RunRecord& record) {
    log.Write(quiet::ResultLine(record.outcome) + L"\r\n");
    WriteStandardOutput(Utf8(quiet::ResultLine(record.outcome)) + "\r\n");
    ReportEvent(record);
    return static_cast<int>(quiet::CodeFor(record.outcome).code);
}

quiet::RunRecord RecordFor(const LaunchRequest& request) {
    quiet::RunRecord record;
    record.windowless = request.plan.windowless;
    record.noInteractiveDesktop = request.plan.noInteractiveDesktop;
    record.localSystem = request.plan.localSystem;
    record.logPath = request.logPath;
    record.commandLine = request.rawArguments;
    return record;
}

void RunRemoval(quiet::RunRecord& record, RunJournal& journal) {
    CServiceUninstaller uninstaller;
    CFeedbackDll library;
    FeedbackInfo info;
    fixpage::GateChecks checks;
    // No window receives a quiet run's outcome: the engine reports it to
    // the caller, so the receiver gate has nothing to refuse.
    checks.notifyWindow = [] { return 1; };
    checks.supportedSystem = [&uninstaller] { return uninstaller.IsSupportedSystem(); };
    checks.libraryLoad = [&library] { return library.Load(); };
    checks.libraryInit = [&library, &info] { return library.CallInitFreedbackDll(&info); };
    const fixpage::Gate failed = fixpage::FirstFailedGate(checks);
    if (failed == fixpage::kGateLibraryLoad && library.WasRefused()) {
        // Never loaded: its signature is not the tool's.
        WriteToolLog(fixpage::ReportFor(failed).logText);
        const std::wstring refused = L"TessaroFeedbackInformation.dll refused: " + library.TrustNote();
        WriteToolLog(refused);
        journal.Step(L"start-up: " + refused);
        record.outcome = quiet::Outcome::CompanionUntrusted;
    } else if (failed != fixpage::kGateCount) {
        WriteToolLog(fixpage::ReportFor(failed).logText);
        journal.Step(quiet::GateStep(failed));
        record.outcome = quiet::OutcomeForGate(failed);
    } else {
        if (!library.TrustNote().empty()) journal.Step(L"start-up: " + library.TrustNote());
        const hrengine::UninstallReport report =
            uninstaller.UninstallNow([&journal](const std::wstring& line) { journal.Step(line); });
        record.outcome = quiet::OutcomeFor(report.result, report.restartNeeded);
    }
    // The library's strings go back through its own managers first.
    info.Empty();
    library.Unload();
}

// What a run says, with no log to say it in, of a /log it cannot have.
std::wstring LogRefusal(const LaunchRequest& request, DWORD error) {
    return L"log: cannot write " + request.commandLine.logPath + L" safely, error " + std::to_wstring(error);
}

std::wstring JoinArguments(int argc, wchar_t** argv) {
    std::wstring joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) joined += L' ';
        const std::wstring arg = argv[i];
        joined += arg.find(L' ') != std::wstring::npos || arg.empty() ? L"\"" + arg + L"\"" : arg;
    }
    return joined;
}

}  // namespace

LaunchRequest ReadLaunchRequest() {
    LaunchRequest request;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    if (argv != nullptr) {
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        request.rawArguments = JoinArguments(argc, argv);
        LocalFree(argv);
    }
    request.commandLine = quiet::ParseCommandLine(args);
    if (request.commandLine.hasLog) request.logPath = FullPathOf(request.commandLine.logPath);
    request.plan = quiet::PlanFor(request.commandLine, HasInteractiveDesktop(), RunsAsLocalSystem());
    return request;
}

namespace {

// The watchdog's last act: what it needs is made before the run starts, as
// the thread it cuts short may hold any lock by then, the heap's among them.
// The event goes out on a thread of its own and is waited for at most a
// moment: a stuck run may hold a lock the event log's call needs too.
struct Expiry {
    std::string logLines;
    std::string resultLine;
    UINT code = 0;
    std::wstring eventWord;
    std::wstring eventText;

    static DWORD WINAPI ReportThread(LPVOID param) {
        const Expiry* self = static_cast<const Expiry*>(param);
        hrlog::ReportRunOutcome(self->eventWord, self->eventText);
        return 0;
    }
    void Fire(RunLogFile& log) const {
        log.WriteLast(logLines);
        WriteStandardOutput(resultLine);
        if (HANDLE t = CreateThread(nullptr, 0, &Expiry::ReportThread, const_cast<Expiry*>(this), 0, nullptr)) {
            WaitForSingleObject(t, 3000);
            CloseHandle(t);
        }
        // Not ExitProcess: the stuck thread may hold the loader lock, which
        // the libraries' detach would wait for. The command under way ends
        // with its job, the run lock is left abandoned, which the next run
        // takes as free.
        TerminateProcess(GetCurrentProcess(), code);
    }
};

// /check: is the service there? Nothing is stopped, deleted, locked,
// loaded or shown; the answer is one line and the exit code.
int RunCheck(const LaunchRequest& request) {
    quiet::RunRecord record = RecordFor(request);
    record.check = true;
    RunLogFile log;
    auto answer = [&](quiet::CheckOutcome outcome) {
        const std::wstring line = quiet::CheckLine(outcome);
        log.Write(line + L"\r\n");
        WriteStandardOutput(Utf8(line) + "\r\n");
        hrlog::ReportRunOutcome(L"check", quiet::EventText(record, line));
        return static_cast<int>(quiet::CheckCodeFor(outcome).code);
    };
    if (request.commandLine.hasLog) {
        const DWORD error = request.logPath.empty() ? ERROR_BAD_PATHNAME : log.Open(request.logPath);
        if (error != 0) {
            WriteStandardOutput(Utf8(LogRefusal(request, error)) + "\r\n");
            return answer(quiet::CheckOutcome::Unknown);
        }
    }
    RunJournal journal(log, record);
    journal.Begin();
    CServiceUninstaller uninstaller;
    switch (uninstaller.CheckNow([&journal](const std::wstring& line) { journal.Step(line); })) {
    case CServiceUninstaller::Presence::Absent: return answer(quiet::CheckOutcome::Absent);
    case CServiceUninstaller::Presence::MarkedForDelete: return answer(quiet::CheckOutcome::RemovedAfterRestart);
    case CServiceUninstaller::Presence::Present: return answer(quiet::CheckOutcome::Present);
    case CServiceUninstaller::Presence::Unknown:
    default: return answer(quiet::CheckOutcome::Unknown);
    }
}

}  // namespace

int RunWithoutWindows(const LaunchRequest& request) {
    if (request.plan.action == quiet::Action::Usage) {
        WriteStandardOutput(quiet::kUsageText);
        return 0;
    }
    if (request.plan.action == quiet::Action::Check) return RunCheck(request);
    quiet::RunRecord record = RecordFor(request);
    RunLogFile log;
    RunJournal journal(log, record);
    if (request.plan.action == quiet::Action::BadCommandLine) {
        // The command line is the first thing wrong; a log that cannot be
        // had changes nothing of that.
        if (request.commandLine.hasLog && !request.logPath.empty() && log.Open(request.logPath) == 0) journal.Begin();
        journal.Step(L"command line: refused " + request.commandLine.offending);
        record.outcome = quiet::Outcome::BadCommandLine;
        return Finish(log, record);
    }
    // Taken before anything is checked, opened or run: a run that finds
    // another under way ends at once with nothing done, and leaves the other's
    // run log alone (two engines may give the same file). Held until the
    // outcome is written.
    CRunLock lock;
    const CRunLock::State lockState = lock.TryTake();
    if (lockState == CRunLock::Busy) {
        record.steps.push_back(lock.Describe(lockState));
        record.outcome = quiet::Outcome::Busy;
        WriteStandardOutput(Utf8(quiet::ResultLine(record.outcome)) + "\r\n");
        ReportEvent(record);
        return static_cast<int>(quiet::CodeFor(record.outcome).code);
    }
    if (request.commandLine.hasLog) {
        const DWORD error = request.logPath.empty() ? ERROR_BAD_PATHNAME : log.Open(request.logPath);
        if (error != 0) {
            record.steps.push_back(LogRefusal(request, error));
            record.outcome = quiet::Outcome::LogFailed;
            WriteStandardOutput(Utf8(record.steps.back()) + "\r\n" + Utf8(quiet::ResultLine(record.outcome)) +
                                "\r\n");
            ReportEvent(record);
            return static_cast<int>(quiet::CodeFor(record.outcome).code);
        }
    }
    journal.Begin();
    if (lockState != CRunLock::Taken) {
        // Something that is not a run of the tool holds the name: no reason
        // to refuse the removal, but worth saying.
        journal.Step(lock.Describe(lockState));
        WriteToolLog(RunLockLogRecord(lock, lockState));
    }
    {
        Expiry expiry;
        const std::wstring line = L"watchdog: the run did not end within " + std::to_wstring(kQuietRunBoundMs / 1000) +
                                  L" s, its command was ended";
        quiet::RunRecord expired = record;
        expired.steps.push_back(line);
        expired.outcome = quiet::Outcome::Failed;
        expiry.logLines = Utf8(line + L"\r\n" + quiet::ResultLine(expired.outcome) + L"\r\n");
        expiry.resultLine = Utf8(quiet::ResultLine(expired.outcome)) + "\r\n";
        expiry.code = static_cast<UINT>(quiet::CodeFor(expired.outcome).code);
        expiry.eventWord = quiet::CodeFor(expired.outcome).word;
        // Without the steps still to come: what the run log holds says more.
        expiry.eventText = quiet::EventText(expired, quiet::ResultLine(expired.outcome));
        CRunWatchdog watchdog;
        watchdog.Arm(kQuietRunBoundMs, [&expiry, &log] { expiry.Fire(log); });
        RunRemoval(record, journal);
        if (!watchdog.Claim()) Sleep(INFINITE);  // the watchdog is ending the process
    }
    return Finish(log, record);
}
