#include "engine/ServiceUninstaller.h"

#include "engine/CommandRunner.h"
#include "engine/UninstallCore.h"
#include "log/LogSave.h"

int CServiceUninstaller::SetNotifyWindow(HWND hWnd) {
    if (!hWnd) return 0;
    m_hNotifyWnd = hWnd;
    return 1;
}

DWORD WINAPI CServiceUninstaller::WorkerProc(LPVOID param) {
    auto* self = static_cast<CServiceUninstaller*>(param);
    self->UninstallService();
    // The last touch of the engine: the page that owns it goes only through
    // a close, which waits until the run is over.
    self->m_bWorkerAlive.store(false);
    return 1;
}

int CServiceUninstaller::StartUninstall() {
    if (m_bWorkerAlive.exchange(true)) return 0;
    HANDLE thread = CreateThread(nullptr, 0, &CServiceUninstaller::WorkerProc, this, 0, nullptr);
    if (!thread) {
        m_bWorkerAlive.store(false);
        WriteToolLog(hrengine::kLogThreadFailed);
        return 0;
    }
    CloseHandle(thread);
    return 1;
}

int CServiceUninstaller::UninstallService() {
    const HWND target = m_hNotifyWnd;
    const UninstallResult result = hrengine::RunUninstall(
        &RunCommand, [](const std::wstring& text) { WriteToolLog(text); },
        [target](unsigned int message, std::uintptr_t wParam) {
            SendMessageW(target, message, static_cast<WPARAM>(wParam), 0);
        });
    return result == RESULT_REMOVED ? 1 : 0;
}

int CServiceUninstaller::IsServiceListed(std::wstring text) {
    return hrengine::IsServiceListedInText(text);
}
