#pragma once
// One run of the tool at a time on a machine: two runs at once (a desktop
// run and a deployment, or two deployments) would each report on what the
// other has stopped or removed.
//
// The lock is a mutex that spans sessions (a deployment runs as SYSTEM in
// session 0, a user in session 1). Creating a name in Global\ needs no
// privilege, so any program of an ordinary user could make the name first
// and, if a holder of the name counted as a run of the tool, keep the tool
// from ever running. So only a lock that only an administrator can have made
// counts:
// - where Windows has private namespaces, the mutex lives in one whose
//   boundary holds the Administrators group, out of reach of anyone else;
// - elsewhere it is Global\TessaroVerideHubrelayUninstallRun, created with
//   Administrators as its owner (which an ordinary user cannot set) and an
//   access list for SYSTEM and Administrators only. An object of that name
//   with another owner, of another type, or one an administrator may not
//   open was not made by the tool: it is no reason to refuse, and the run
//   goes on without the lock.
// A mutex whose holder ended without letting go counts as taken by the next
// run.
#include <windows.h>

#include <string>

extern const wchar_t kRunLockName[];  // "Global\\TessaroVerideHubrelayUninstallRun"

class CRunLock {
public:
    enum State {
        Taken,    // this run holds the lock
        Busy,     // another run of the tool holds it
        NotOurs,  // the name belongs to something the tool did not make
        Error,    // the lock could not be created or waited for (GetError() says why)
    };

    CRunLock() = default;
    ~CRunLock() { Release(); }
    CRunLock(const CRunLock&) = delete;
    CRunLock& operator=(const CRunLock&) = delete;

    // Takes the lock if it is free, without waiting (a quiet run).
    State TryTake() { return Take(0); }
    // Waits at most `waitMs` for a lock another run of the tool holds (a
    // desktop run). NotOurs and Error come back at once.
    State Take(DWORD waitMs);
    // Lets go of the lock; harmless when not held.
    void Release();

    bool IsHeld() const { return m_bHeld; }
    // The Win32 error of the last NotOurs or Error (0 for an object whose
    // owner is not Administrators).
    DWORD GetError() const { return m_dwError; }
    // Whether the lock lives in the private namespace.
    bool InPrivateNamespace() const { return m_hNamespace != nullptr; }
    // A run log's line for a lock the run goes on without.
    std::wstring Describe(State state) const;

private:
    HANDLE OpenPrivate();
    HANDLE OpenGlobal(State* state);

    HANDLE m_hMutex = nullptr;
    HANDLE m_hNamespace = nullptr;
    bool m_bHeld = false;
    DWORD m_dwError = 0;
};

// The tool log's record for a lock the run goes on without.
std::wstring RunLockLogRecord(const CRunLock& lock, CRunLock::State state);
