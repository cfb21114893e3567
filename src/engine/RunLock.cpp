#include "engine/RunLock.h"

#include <aclapi.h>
#include <sddl.h>

const wchar_t kRunLockName[] = L"Global\\TessaroVerideHubrelayUninstallRun";

namespace {

const wchar_t kNamespaceAlias[] = L"TessaroVerideHubrelay";
const wchar_t kPrivateLockName[] = L"TessaroVerideHubrelay\\UninstallRun";

// Full access for SYSTEM and Administrators, nothing for anyone else;
// protected, so nothing is inherited.
constexpr wchar_t kNamespaceSddl[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";
// The same, owned by Administrators: the mark of a lock the tool made.
constexpr wchar_t kRunLockSddl[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";

class SecurityDescriptor {
public:
    explicit SecurityDescriptor(const wchar_t* sddl) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &m_sd, nullptr)) {
            m_error = GetLastError();
            m_sd = nullptr;
        }
    }
    ~SecurityDescriptor() {
        if (m_sd) LocalFree(m_sd);
    }
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;
    PSECURITY_DESCRIPTOR get() const { return m_sd; }
    DWORD error() const { return m_error; }

private:
    PSECURITY_DESCRIPTOR m_sd = nullptr;
    DWORD m_error = 0;
};

// Whether the object's owner is the Administrators group.
bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &sd) != ERROR_SUCCESS) {
        return false;
    }
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(admins);
    const bool owned = owner != nullptr && CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) &&
                       EqualSid(owner, admins);
    LocalFree(sd);
    return owned;
}

// Private namespaces came with Vista; resolved at run time, so that a
// system without them (or a Windows implementation that lacks them) takes
// the owner check instead.
struct NamespaceCalls {
    using CreateBoundaryFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
    using AddSidFn = BOOL(WINAPI*)(HANDLE*, PSID);
    using DeleteBoundaryFn = VOID(WINAPI*)(HANDLE);
    using CreateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
    using OpenNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
    using CloseNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);
    CreateBoundaryFn createBoundary = nullptr;
    AddSidFn addSid = nullptr;
    DeleteBoundaryFn deleteBoundary = nullptr;
    CreateNamespaceFn createNamespace = nullptr;
    OpenNamespaceFn openNamespace = nullptr;
    CloseNamespaceFn closeNamespace = nullptr;

    NamespaceCalls() {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (kernel == nullptr) return;
        auto get = [kernel](const char* name) { return reinterpret_cast<void*>(GetProcAddress(kernel, name)); };
        createBoundary = reinterpret_cast<CreateBoundaryFn>(get("CreateBoundaryDescriptorW"));
        addSid = reinterpret_cast<AddSidFn>(get("AddSIDToBoundaryDescriptor"));
        deleteBoundary = reinterpret_cast<DeleteBoundaryFn>(get("DeleteBoundaryDescriptor"));
        createNamespace = reinterpret_cast<CreateNamespaceFn>(get("CreatePrivateNamespaceW"));
        openNamespace = reinterpret_cast<OpenNamespaceFn>(get("OpenPrivateNamespaceW"));
        closeNamespace = reinterpret_cast<CloseNamespaceFn>(get("ClosePrivateNamespace"));
    }
    bool Complete() const {
        return createBoundary && addSid && deleteBoundary && createNamespace && openNamespace && closeNamespace;
    }
};

const NamespaceCalls& Namespace() {
    static const NamespaceCalls calls;
    return calls;
}

}  // namespace

HANDLE CRunLock::OpenPrivate() {
    const NamespaceCalls& calls = Namespace();
    if (!calls.Complete()) return nullptr;
    HANDLE boundary = calls.createBoundary(kNamespaceAlias, 0);
    if (boundary == nullptr) return nullptr;
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(admins);
    HANDLE ns = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) && calls.addSid(&boundary, admins)) {
        SecurityDescriptor sd(kNamespaceSddl);
        SECURITY_ATTRIBUTES sa = {sizeof(sa), sd.get(), FALSE};
        ns = sd.get() ? calls.createNamespace(&sa, boundary, kNamespaceAlias) : nullptr;
        // Another run made it first; only a token holding the boundary's
        // group can open it.
        if (ns == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) ns = calls.openNamespace(boundary, kNamespaceAlias);
    }
    calls.deleteBoundary(boundary);
    if (ns == nullptr) return nullptr;
    SecurityDescriptor sd(kNamespaceSddl);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), sd.get(), FALSE};
    HANDLE mutex = sd.get() ? CreateMutexW(&sa, FALSE, kPrivateLockName) : nullptr;
    if (mutex == nullptr) {
        calls.closeNamespace(ns, 0);
        return nullptr;
    }
    m_hNamespace = ns;
    return mutex;
}

HANDLE CRunLock::OpenGlobal(State* state) {
    SecurityDescriptor sd(kRunLockSddl);
    if (sd.get() == nullptr) {
        m_dwError = sd.error();
        *state = Error;
        return nullptr;
    }
    SECURITY_ATTRIBUTES sa = {sizeof(sa), sd.get(), FALSE};
    // Not owned at creation: ownership comes only from the wait, which is
    // also what reports a mutex left abandoned.
    HANDLE h = CreateMutexW(&sa, FALSE, kRunLockName);
    const DWORD error = GetLastError();
    if (h == nullptr) {
        m_dwError = error;
        // The tool's own lock lets every administrator in, and a mutex is
        // what it makes: refused access or another type of object means
        // someone else made the name.
        *state = (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE) ? NotOurs : Error;
        return nullptr;
    }
    if (error == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(h)) {
        CloseHandle(h);
        m_dwError = 0;
        *state = NotOurs;
        return nullptr;
    }
    *state = Taken;
    return h;
}

CRunLock::State CRunLock::Take(DWORD waitMs) {
    if (m_bHeld) return Taken;
    if (m_hMutex == nullptr) {
        m_hMutex = OpenPrivate();
        if (m_hMutex == nullptr) {
            State state = Error;
            m_hMutex = OpenGlobal(&state);
            if (m_hMutex == nullptr) return state;
        }
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
    if (m_hNamespace != nullptr) {
        const NamespaceCalls& calls = Namespace();
        if (calls.closeNamespace) calls.closeNamespace(m_hNamespace, 0);
        m_hNamespace = nullptr;
    }
}

std::wstring CRunLock::Describe(State state) const {
    switch (state) {
    case Busy: return L"lock: another run of the tool holds it";
    case NotOurs:
        return m_dwError == 0
                   ? L"lock: its name is held by an object the tool did not make (owner not Administrators); "
                     L"going on without it"
                   : L"lock: its name is held by an object the tool did not make (error " +
                         std::to_wstring(m_dwError) + L"); going on without it";
    case Error: return L"lock: cannot be had, error " + std::to_wstring(m_dwError) + L"; going on without it";
    case Taken:
    default: return InPrivateNamespace() ? L"lock: taken (private namespace)" : L"lock: taken";
    }
}

std::wstring RunLockLogRecord(const CRunLock& lock, CRunLock::State state) {
    return L"运行锁不可用，继续卸载（" + lock.Describe(state) + L"）";
}
