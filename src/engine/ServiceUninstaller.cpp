#include "engine/ServiceUninstaller.h"

#include "engine/CommandRunner.h"
#include "engine/RunLock.h"
#include "engine/UninstallCore.h"
#include "log/LogSave.h"

#include <new>
#include <utility>

int CServiceUninstaller::SetNotifyWindow(HWND hWnd) {
    if (!hWnd) return 0;
    m_hNotifyWnd = hWnd;
    return 1;
}

namespace {

struct WorkerStart {
    CServiceUninstaller* engine;
    std::shared_ptr<std::atomic<bool>> alive;
};

}  // namespace

DWORD WINAPI CServiceUninstaller::WorkerProc(LPVOID param) {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(param));
    start->engine->UninstallService();
    // The engine may be gone by now: its page closes as soon as the outcome
    // handler has returned, which is what let this thread go on.
    start->alive->store(false);
    return 1;
}

int CServiceUninstaller::StartUninstall() {
    if (m_pWorkerAlive->exchange(true)) return 0;
    auto* start = new (std::nothrow) WorkerStart{this, m_pWorkerAlive};
    HANDLE thread =
        start != nullptr ? CreateThread(nullptr, 0, &CServiceUninstaller::WorkerProc, start, 0, nullptr) : nullptr;
    if (!thread) {
        delete start;
        m_pWorkerAlive->store(false);
        WriteToolLog(hrengine::kLogThreadFailed);
        return 0;
    }
    CloseHandle(thread);
    return 1;
}

namespace {

hrengine::CommandRunnerFn RunnerWithin(unsigned long deadlineMs) {
    return [deadlineMs](std::wstring command, std::wstring& output, long long& exitCode) {
        return RunCommandWithin(std::move(command), output, deadlineMs, &exitCode);
    };
}

void LogRecord(const std::wstring& text) { WriteToolLog(text); }

}  // namespace

hrengine::UninstallReport CServiceUninstaller::UninstallNow(const hrengine::StepFn& onStep) {
    hrengine::UninstallOptions options;
    options.settleMs = kQuietSettleMs;
    options.pause = [](unsigned long ms) { Sleep(ms); };
    options.now = [] { return static_cast<unsigned long long>(GetTickCount64()); };
    options.onStep = onStep;
    return hrengine::RunUninstallSteps(RunnerWithin(m_nCommandDeadlineMs), &LogRecord, options);
}

CServiceUninstaller::Presence CServiceUninstaller::CheckNow(const hrengine::StepFn& onStep) {
    std::wstring text;
    long long exitCode = hrengine::kNoExitCode;
    if (!RunnerWithin(m_nCommandDeadlineMs)(hrengine::kQueryCommand, text, exitCode)) {
        onStep(L"query: powershell did not run to its end");
        return Presence::Unknown;
    }
    const std::wstring ran = L"query: powershell " + (exitCode == hrengine::kNoExitCode
                                                           ? std::wstring(L"exit unknown")
                                                           : L"exit " + std::to_wstring(exitCode));
    switch (hrengine::ReadServiceQuery(text)) {
    case hrengine::QueryVerdict::Absent: onStep(ran + L", not listed"); return Presence::Absent;
    case hrengine::QueryVerdict::Unknown: onStep(ran + L", no answer about the service"); return Presence::Unknown;
    case hrengine::QueryVerdict::Listed: onStep(ran + L", listed"); break;
    }
    // A deleted service that is still stopping, or held open, stays listed
    // until the restart. The service manager says so when asked to change a
    // configuration in which every value is "no change": that call changes
    // nothing, and is refused with ERROR_SERVICE_MARKED_FOR_DELETE for a
    // service marked for deletion.
    DWORD error = 0;
    if (SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)) {
        if (SC_HANDLE service = OpenServiceW(manager, hrengine::kServiceName, SERVICE_CHANGE_CONFIG)) {
            if (!ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
                error = GetLastError();
            CloseServiceHandle(service);
        } else {
            error = GetLastError();
        }
        CloseServiceHandle(manager);
    } else {
        error = GetLastError();
    }
    onStep(L"marked for deletion: service manager answers " + std::to_wstring(error));
    switch (error) {
    case 0: return Presence::Present;
    case ERROR_SERVICE_MARKED_FOR_DELETE: return Presence::MarkedForDelete;
    case ERROR_SERVICE_DOES_NOT_EXIST: return Presence::Absent;  // went since the query
    default: return Presence::Present;  // listed: the removal still has something to do
    }
}

int CServiceUninstaller::UninstallService() {
    // One run per machine: a run a deployment engine started meanwhile is
    // waited for, under the progress prompt, until the outcome has been
    // shown. A mutex belongs to the thread that took it, so this thread
    // takes it and lets it go. Past the wait the run goes on as it always
    // has: a quiet run ends well within it. A name the tool did not make
    // is not waited for at all.
    CRunLock lock;
    const CRunLock::State state = lock.Take(kDesktopRunLockWaitMs);
    if (state == CRunLock::NotOurs || state == CRunLock::Error) WriteToolLog(RunLockLogRecord(lock, state));
    const HWND target = m_hNotifyWnd;
    const UninstallResult result = hrengine::RunUninstall(
        RunnerWithin(m_nCommandDeadlineMs), &LogRecord,
        [target](unsigned int message, std::uintptr_t wParam) {
            SendMessageW(target, message, static_cast<WPARAM>(wParam), 0);
        },
        &m_lastSteps);
    return result == RESULT_REMOVED ? 1 : 0;
}

int CServiceUninstaller::IsServiceListed(std::wstring text) {
    return hrengine::IsServiceListedInText(text);
}
