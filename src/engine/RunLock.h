#pragma once
// One run of the tool at a time on a machine: two runs at once (a desktop
// run and a deployment, or two deployments) would each report on what the
// other has stopped or removed.
//
// The lock is a named mutex in the Global\ namespace, so that it spans
// sessions (a deployment runs as SYSTEM in session 0, a user in session 1).
// Its access list lets only Administrators and SYSTEM open it: nobody else
// can take it and keep the tool from ever running. A mutex whose holder
// ended without letting go counts as taken by the next run.
#include <windows.h>

extern const wchar_t kRunLockName[];  // "Global\\TessaroVerideHubrelayUninstallRun"

class CRunLock {
public:
    enum State {
        Taken,  // this run holds the lock
        Busy,   // another run holds it
        Error,  // the mutex could not be created or opened (GetError() says why)
    };

    CRunLock() = default;
    ~CRunLock() { Release(); }
    CRunLock(const CRunLock&) = delete;
    CRunLock& operator=(const CRunLock&) = delete;

    // Takes the lock if it is free, without waiting (a quiet run).
    State TryTake() { return Take(0); }
    // Waits at most `waitMs` for the lock (a desktop run).
    State Take(DWORD waitMs);
    // Lets go of the lock; harmless when not held.
    void Release();

    bool IsHeld() const { return m_bHeld; }
    // The Win32 error of the last Error.
    DWORD GetError() const { return m_dwError; }

private:
    HANDLE m_hMutex = nullptr;
    bool m_bHeld = false;
    DWORD m_dwError = 0;
};
