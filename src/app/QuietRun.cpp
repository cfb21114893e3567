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

// The /log file, opened before anything runs so that a path that cannot be
// written is refused before anything has changed.
class RunLogFile {
public:
    ~RunLogFile() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    // 0 when open, else the Win32 error.
    DWORD Open(const std::wstring& path) {
        for (const std::wstring& folder : quiet::FoldersFor(path)) CreateDirectoryW(folder.c_str(), nullptr);
        m_h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
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
    record.commandLine = request.rawArguments;
    return record;
}

void RunRemoval(quiet::RunRecord& record) {
    // Taken before anything is checked or run: a run that finds another
    // under way ends at once with nothing done. Held until the outcome is
    // written.
    CRunLock lock;
    const CRunLock::State state = lock.TryTake();
    if (state != CRunLock::Taken) {
        record.steps.push_back(state == CRunLock::Busy
                                   ? L"lock: another run of the tool holds it"
                                   : L"lock: cannot be opened, error " + std::to_wstring(lock.GetError()));
        record.outcome = quiet::Outcome::Busy;
        return;
    }

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
    if (failed != fixpage::kGateCount) {
        WriteToolLog(fixpage::ReportFor(failed).logText);
        record.steps.push_back(quiet::GateStep(failed));
        record.outcome = quiet::OutcomeForGate(failed);
    } else {
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
    request.plan = quiet::PlanFor(request.commandLine, HasInteractiveDesktop());
    return request;
}

int RunWithoutWindows(const LaunchRequest& request) {
    if (request.plan.action == quiet::Action::Usage) {
        WriteStandardOutput(quiet::kUsageText);
        return 0;
    }
    quiet::RunRecord record = RecordFor(request);
    RunLogFile log;
    if (request.commandLine.hasLog) {
        const DWORD error = log.Open(request.commandLine.logPath);
        if (error != 0) {
            record.steps.push_back(L"log: cannot write " + request.commandLine.logPath + L", error " +
                                   std::to_wstring(error));
            record.outcome = quiet::Outcome::BadCommandLine;
            return Finish(log, record);
        }
    }
    if (request.plan.action == quiet::Action::BadCommandLine) {
        record.steps.push_back(L"command line: refused " + request.commandLine.offending);
        record.outcome = quiet::Outcome::BadCommandLine;
    } else {
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
