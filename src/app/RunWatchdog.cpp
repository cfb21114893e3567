#include "app/RunWatchdog.h"

#include <utility>

CRunWatchdog::~CRunWatchdog() {
    if (m_hThread == nullptr) return;
    Claim();
    SetEvent(m_hWake);
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    CloseHandle(m_hWake);
}

bool CRunWatchdog::Arm(DWORD boundMs, std::function<void()> onExpire) {
    if (m_hThread != nullptr) return false;
    m_dwBoundMs = boundMs;
    m_onExpire = std::move(onExpire);
    m_hWake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_hWake == nullptr) return false;
    m_hThread = CreateThread(nullptr, 0, &CRunWatchdog::ThreadProc, this, 0, nullptr);
    if (m_hThread == nullptr) {
        CloseHandle(m_hWake);
        m_hWake = nullptr;
        return false;
    }
    return true;
}

bool CRunWatchdog::Claim() { return InterlockedExchange(&m_lClaimed, 1) == 0; }

DWORD WINAPI CRunWatchdog::ThreadProc(LPVOID param) {
    auto* self = static_cast<CRunWatchdog*>(param);
    if (WaitForSingleObject(self->m_hWake, self->m_dwBoundMs) == WAIT_TIMEOUT && self->Claim()) {
        self->m_onExpire();
    }
    return 0;
}
