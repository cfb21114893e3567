#pragma once
// The uninstall engine: removes HubrelayService on a worker thread and tells
// the receiving window the outcome (see engine/UninstallMessages.h).
#include "engine/CommandRunner.h"
#include "engine/UninstallCore.h"
#include "engine/UninstallMessages.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

class CServiceUninstaller {
public:
    // Each command of a run may take `commandDeadlineMs` (the tool keeps
    // RunCommand's own; tests shorten it).
    CServiceUninstaller() = default;
    explicit CServiceUninstaller(unsigned long commandDeadlineMs) : m_nCommandDeadlineMs(commandDeadlineMs) {}

    // Stores the window that receives the engine's messages. 0 (and nothing
    // changed) for a null handle, else 1.
    int SetNotifyWindow(HWND hWnd);

    // Starts the worker thread (never joined). 1 when it was created; 0, after
    // a log record, when not, and then no message will come. Also 0, without
    // a record, while an earlier worker is still alive: two runs at once
    // would have the second one report on what the first has removed.
    int StartUninstall();

    // Whether a worker started here has not yet got back from its last
    // message (the receiving window's outcome handler).
    bool IsRunning() const { return m_pWorkerAlive->load(); }

    // The worker's body: query, stop, delete, then WM_EXECUTE_DONE and
    // WM_UNINSTALL_RESULT sent synchronously. 1 for RESULT_REMOVED, else 0.
    int UninstallService();

    // The same steps on the calling thread, without messages, for a run
    // nobody watches: after a successful delete it waits up to
    // kQuietSettleMs for a service still stopping to go, so that the report
    // tells a removal done now from one the next restart completes. Each
    // line of the report also goes to `onStep` as its step ends.
    hrengine::UninstallReport UninstallNow(const hrengine::StepFn& onStep = hrengine::StepFn());

    // Whether the service is there, changing nothing: the same query, and
    // for a listed service whether it is only marked for deletion (deleted,
    // listed until the restart). Each line of evidence goes to `onStep`.
    enum class Presence { Absent, MarkedForDelete, Present, Unknown };
    Presence CheckNow(const hrengine::StepFn& onStep);

    // The last run's evidence, one line a step; set by the worker before its
    // messages, so the receiver of WM_UNINSTALL_RESULT reads it whole.
    const std::vector<std::wstring>& LastSteps() const { return m_lastSteps; }

    // 1 when the service query's text lists HubrelayService.
    int IsServiceListed(std::wstring text);

    // 1 when the tool supports this Windows version, else 0. May run a WMI
    // query through PowerShell (blocking) for versions it does not know.
    int IsSupportedSystem();

    HWND GetNotifyWindow() const { return m_hNotifyWnd; }

private:
    static DWORD WINAPI WorkerProc(LPVOID param);

    HWND m_hNotifyWnd = nullptr;
    unsigned long m_nCommandDeadlineMs = kCommandDeadlineMs;
    std::vector<std::wstring> m_lastSteps;
    // Shared with the worker, which lets go of it last, when the engine may
    // be gone already.
    std::shared_ptr<std::atomic<bool>> m_pWorkerAlive = std::make_shared<std::atomic<bool>>(false);
};

// How long a run nobody watches waits, after a successful delete, for a
// service that is still stopping to leave the list. "sc stop" only asks; a
// service normally ends its stop within a few seconds, and Windows itself
// gives services 5 s (20 s before Windows 10 1809) at shutdown. 15 s covers
// that with room, at one look a second, and keeps the quiet run bounded.
constexpr unsigned long kQuietSettleMs = 15000;

// How long a desktop run waits for another run of the tool on the machine
// (a deployment's quiet run) to end before it goes on regardless.
constexpr unsigned long kDesktopRunLockWaitMs = 10 * 60 * 1000;

// The major and minor version the system recorded in this process's
// environment block.
void ReadProcessOsVersion(unsigned long& major, unsigned long& minor);
