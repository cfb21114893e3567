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
#include "log/LogSave.h"

namespace {

// The longest a quiet run may take. Each command ends by its deadline: the
// system check's, the query, the stop, the delete, a confirming query and
// one look at the state that hangs (the looks that answer take moments),
// and the wait for a stop in progress comes on top. The companion
// library's start has no deadline: two minutes for it, one for the rest.
constexpr DWORD kQuietRunBoundMs = 6 * kCommandDeadlineMs + kQuietSettleMs + 3 * 60 * 1000;

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
    ~RunLogFile() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
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
    void WriteBytes(const std::string& bytes) {
        if (m_h == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(m_h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
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

// Both records of the outcome: the run log, and the result line on a
// redirected standard output.
int Finish(RunLogFile& log, quiet::RunRecord& record) {
    log.Write(quiet::RunLogText(record));
    WriteStandardOutput(Utf8(quiet::ResultLine(record.outcome)) + "\r\n");
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

void RunRemoval(quiet::RunRecord& record) {
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
        record.steps.push_back(L"start-up: " + refused);
        record.outcome = quiet::Outcome::CompanionUntrusted;
    } else if (failed != fixpage::kGateCount) {
        WriteToolLog(fixpage::ReportFor(failed).logText);
        record.steps.push_back(quiet::GateStep(failed));
        record.outcome = quiet::OutcomeForGate(failed);
    } else {
        if (!library.TrustNote().empty()) record.steps.push_back(L"start-up: " + library.TrustNote());
        const hrengine::UninstallReport report = uninstaller.UninstallNow();
        record.steps.insert(record.steps.end(), report.steps.begin(), report.steps.end());
        record.outcome = quiet::OutcomeFor(report.result, report.restartNeeded);
    }
    // The library's strings go back through its own managers first.
    info.Empty();
    library.Unload();
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

int RunWithoutWindows(const LaunchRequest& request) {
    if (request.plan.action == quiet::Action::Usage) {
        WriteStandardOutput(quiet::kUsageText);
        return 0;
    }
    quiet::RunRecord record = RecordFor(request);
    RunLogFile log;
    if (request.plan.action == quiet::Action::BadCommandLine) {
        // The command line is the first thing wrong; a log that cannot be
        // had changes nothing of that.
        if (request.commandLine.hasLog && !request.logPath.empty()) log.Open(request.logPath);
        record.steps.push_back(L"command line: refused " + request.commandLine.offending);
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
        record.outcome = quiet::Outcome::Busy;
        WriteStandardOutput(Utf8(quiet::ResultLine(record.outcome)) + "\r\n");
        return static_cast<int>(quiet::CodeFor(record.outcome).code);
    }
    if (request.commandLine.hasLog) {
        const DWORD error = request.logPath.empty() ? ERROR_BAD_PATHNAME : log.Open(request.logPath);
        if (error != 0) {
            record.outcome = quiet::Outcome::LogFailed;
            WriteStandardOutput(Utf8(L"log: cannot write " + request.commandLine.logPath + L" safely, error " +
                                     std::to_wstring(error)) +
                                "\r\n" + Utf8(quiet::ResultLine(record.outcome)) + "\r\n");
            return static_cast<int>(quiet::CodeFor(record.outcome).code);
        }
    }
    if (lockState != CRunLock::Taken) {
        // Something that is not a run of the tool holds the name: no reason
        // to refuse the removal, but worth saying.
        record.steps.push_back(lock.Describe(lockState));
        WriteToolLog(RunLockLogRecord(lock, lockState));
    }
    {
        // Made before the run starts: the thread the watchdog cuts short may
        // hold any lock by then, the heap's among them.
        quiet::RunRecord expired = RecordFor(request);
        expired.steps.push_back(L"watchdog: the run did not end within " + std::to_wstring(kQuietRunBoundMs / 1000) +
                                L" s, its command was ended");
        expired.outcome = quiet::Outcome::Failed;
        const std::string expiredLog = Utf8(quiet::RunLogText(expired));
        const std::string expiredResult = Utf8(quiet::ResultLine(expired.outcome)) + "\r\n";
        const UINT expiredCode = static_cast<UINT>(quiet::CodeFor(expired.outcome).code);
        CRunWatchdog watchdog;
        watchdog.Arm(kQuietRunBoundMs, [&] {
            log.WriteBytes(expiredLog);
            WriteStandardOutput(expiredResult);
            // Not ExitProcess: the stuck thread may hold the loader lock,
            // which the libraries' detach would wait for. The command under
            // way ends with its job, the run lock is left abandoned, which
            // the next run takes as free.
            TerminateProcess(GetCurrentProcess(), expiredCode);
        });
        RunRemoval(record);
        if (!watchdog.Claim()) Sleep(INFINITE);  // the watchdog is ending the process
    }
    return Finish(log, record);
}
