#include "engine/RunLock.h"

#include <sddl.h>

const wchar_t kRunLockName[] = L"Global\\TessaroVerideHubrelayUninstallRun";

namespace {

// Full access for SYSTEM and Administrators, nothing for anyone else;
// protected, so nothing is inherited.
constexpr wchar_t kRunLockSddl[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

HANDLE OpenOrCreate(DWORD* error) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kRunLockSddl, SDDL_REVISION_1, &sd, nullptr)) {
        *error = GetLastError();
        return nullptr;
    }
    SECURITY_ATTRIBUTES sa = {sizeof(sa), sd, FALSE};
    // Not owned at creation: ownership comes only from the wait, which is
    // also what reports a mutex left abandoned.
    HANDLE h = CreateMutexW(&sa, FALSE, kRunLockName);
    if (h == nullptr) *error = GetLastError();
    LocalFree(sd);
    return h;
}

}  // namespace

CRunLock::State CRunLock::Take(DWORD waitMs) {
    if (m_bHeld) return Taken;
    if (m_hMutex == nullptr) {
        m_hMutex = OpenOrCreate(&m_dwError);
        if (m_hMutex == nullptr) return Error;
    }
    switch (WaitForSingleObject(m_hMutex, waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended without letting go: the run is over
        m_bHeld = true;
        return Taken;
    case WAIT_TIMEOUT:
        return Busy;
    default:
        m_dwError = GetLastError();
        return Error;
    }
}

void CRunLock::Release() {
    if (m_bHeld) {
        ReleaseMutex(m_hMutex);
        m_bHeld = false;
    }
    if (m_hMutex != nullptr) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}
