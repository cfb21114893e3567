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

hrengine::UninstallReport CServiceUninstaller::UninstallNow() {
    hrengine::UninstallOptions options;
    options.settleMs = kQuietSettleMs;
    options.pause = [](unsigned long ms) { Sleep(ms); };
    return hrengine::RunUninstallSteps(RunnerWithin(m_nCommandDeadlineMs), &LogRecord, options);
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
        });
    return result == RESULT_REMOVED ? 1 : 0;
}

int CServiceUninstaller::IsServiceListed(std::wstring text) {
    return hrengine::IsServiceListedInText(text);
}
