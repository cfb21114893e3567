#pragma once
// A last bound on a run nobody watches. Each command the run starts has a
// deadline of its own, but the companion library's start has none, and an
// engine that waits for the tool (Intune up to an hour, a startup script
// holding the boot) must get an answer in time however the run went wrong.
#include <windows.h>

#include <functional>

class CRunWatchdog {
public:
    CRunWatchdog() = default;
    CRunWatchdog(const CRunWatchdog&) = delete;
    CRunWatchdog& operator=(const CRunWatchdog&) = delete;
    // Lets go without firing, unless it has fired already.
    ~CRunWatchdog();

    // Starts counting: `onExpire` runs on the watchdog's own thread when
    // `boundMs` pass before Claim(). False when no thread could be started.
    bool Arm(DWORD boundMs, std::function<void()> onExpire);

    // The end of the run, taken by whoever comes first: true for the run,
    // after which the watchdog never fires; false when it has fired
    // already (its `onExpire` ends the process).
    bool Claim();

private:
    static DWORD WINAPI ThreadProc(LPVOID param);

    HANDLE m_hThread = nullptr;
    HANDLE m_hWake = nullptr;
    DWORD m_dwBoundMs = 0;
    std::function<void()> m_onExpire;
    volatile LONG m_lClaimed = 0;
};
