#include "log/LogSave.h"

#include "log/LogCore.h"

#include <sddl.h>
#include <shlobj.h>
#include <winternl.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace hrlog {

namespace {

// Records and the file name are code page 936 whatever the system's ANSI
// code page is, so that a zh-CN log reads the same on every machine.
const UINT kLogCodePage = 936;

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
    ~ScopedLock() { m_cs.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& m_cs;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE Get() const { return m_h; }
    // Hands the handle on; this one forgets it.
    HANDLE Release() {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }
    void Close() {
        if (Valid()) CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

bool IsReparsePoint(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A name relative to the log folder that cannot leave it.
bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// Opens the log folder itself, never a link in its place. The handle does
// not share deletion, so while it is held the folder can be neither renamed
// nor removed. It could still be made a junction itself, so its path is not
// used again: the files in it are opened through this handle.
HANDLE OpenLogFolder(const std::wstring& folder) {
    HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsReparsePoint(info.dwFileAttributes)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    // Some file systems (Wine's among them) open the target of a folder link
    // even when asked not to, but still mark the name as a reparse point.
    const DWORD byName = GetFileAttributesW(folder.c_str());
    if (byName == INVALID_FILE_ATTRIBUTES || IsReparsePoint(byName)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

const NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034L);

// The two native calls, from the ntdll every process has mapped; not
// imported, so the executable keeps to the system DLLs it may import.
struct NativeFileCalls {
    using CreateFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                      ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
    using SetInformationFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
    using ToWin32Fn = ULONG(NTAPI*)(NTSTATUS);
    CreateFn create = nullptr;
    SetInformationFn setInformation = nullptr;
    ToWin32Fn toWin32 = nullptr;

    NativeFileCalls() {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (ntdll == nullptr) return;
        create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")));
        setInformation =
            reinterpret_cast<SetInformationFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")));
        toWin32 = reinterpret_cast<ToWin32Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    }
};

const NativeFileCalls& Native() {
    static const NativeFileCalls calls;
    return calls;
}

// Opens `name` in the folder `folder` is a handle of, never a link by that
// name. The name is looked up in that very folder, not by its path: a folder
// turned into a junction after it was checked cannot send the elevated
// writer elsewhere. INVALID_HANDLE_VALUE on failure, with the status.
HANDLE OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, NTSTATUS* pStatus = nullptr,
                    PSECURITY_DESCRIPTOR sdIfMade = nullptr) {
    if (pStatus) *pStatus = STATUS_INVALID_PARAMETER;
    if (name.size() > 32000 || Native().create == nullptr) return INVALID_HANDLE_VALUE;
    UNICODE_STRING us;
    us.Buffer = const_cast<PWSTR>(name.c_str());
    us.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    us.MaximumLength = us.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &us, OBJ_CASE_INSENSITIVE, folder, sdIfMade);
    IO_STATUS_BLOCK io;
    std::memset(&io, 0, sizeof(io));
    HANDLE h = nullptr;
    const NTSTATUS status =
        Native().create(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                        disposition, options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    if (pStatus) *pStatus = status;
    return NT_SUCCESS(status) ? h : INVALID_HANDLE_VALUE;
}

// Opens (creating if absent, never truncating) the log file itself: not a
// link's target, not a file that also has another name elsewhere.
HANDLE OpenLogFile(HANDLE folder, const std::wstring& name) {
    HANDLE h = OpenInFolder(folder, name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            FILE_OPEN_IF, FILE_NON_DIRECTORY_FILE);
    if (h == INVALID_HANDLE_VALUE) return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        IsReparsePoint(info.dwFileAttributes) || info.nNumberOfLinks > 1) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

// Whether the backup's name in the folder may be replaced by the log file:
// absent, or a plain file. A folder or a link there stops only the rollover.
bool MayReplaceBackup(HANDLE folder, const std::wstring& name) {
    NTSTATUS status = 0;
    const ULONG anyShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = OpenInFolder(folder, name, FILE_READ_ATTRIBUTES, anyShare, FILE_OPEN, 0, &status);
    if (h == INVALID_HANDLE_VALUE) return status == kStatusObjectNameNotFound;
    BY_HANDLE_FILE_INFORMATION info;
    const bool plain = GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !IsReparsePoint(info.dwFileAttributes);
    CloseHandle(h);
    return plain;
}

// Renames the log file to its backup inside the folder, replacing an older
// backup; a failure is ignored, as a failed move is.
void MoveToBackup(HANDLE folder, const std::wstring& name, const std::wstring& backupName) {
    if (Native().setInformation == nullptr) return;
    HANDLE h = OpenInFolder(folder, name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                            FILE_NON_DIRECTORY_FILE);
    if (h == INVALID_HANDLE_VALUE) return;
    const ULONG nameBytes = static_cast<ULONG>(backupName.size() * sizeof(wchar_t));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = folder;
    rename->FileNameLength = nameBytes;
    std::memcpy(rename->FileName, backupName.data(), nameBytes);
    IO_STATUS_BLOCK io;
    std::memset(&io, 0, sizeof(io));
    Native().setInformation(h, &io, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
    CloseHandle(h);
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
        if (!WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

LogTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LogTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// What the name says when asked by its path: Wine opens the target of a link
// even when asked not to, but reports the name itself as a reparse point.
bool NameIsReparsePoint(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && IsReparsePoint(attributes);
}

constexpr DWORD kErrorReparsePointEncountered = 4395;  // ERROR_REPARSE_POINT_ENCOUNTERED

// The full path a handle's file really has ("" when the file system cannot
// say), without the "\\?\" form.
std::wstring FinalPath(HANDLE h) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\" + path.substr(7);
            if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
            return path;
        }
        buffer.resize(n + 1);
    }
    return std::wstring();
}

// Whether the file open in `file` is the entry `name` of the folder open in
// `folder`, and not what a link of that name points at. Wine, for one,
// shows a link to a file as the file itself in every attribute, but names
// the target as the handle's path. Only a path that differs counts: a file
// system that cannot say is left to the other checks.
bool IsNameItself(HANDLE folder, HANDLE file, const std::wstring& name) {
    std::wstring expected = FinalPath(folder);
    const std::wstring actual = FinalPath(file);
    if (expected.empty() || actual.empty()) return true;
    if (expected.back() != L'\\') expected += L'\\';
    expected += name;
    return CompareStringOrdinal(expected.c_str(), static_cast<int>(expected.size()), actual.c_str(),
                                static_cast<int>(actual.size()), TRUE) == CSTR_EQUAL;
}

DWORD Win32ErrorOf(NTSTATUS status) {
    return Native().toWin32 != nullptr ? static_cast<DWORD>(Native().toWin32(status)) : ERROR_ACCESS_DENIED;
}

std::wstring CommonAppDataBase() {
    wchar_t buf[1024] = {0};
    if (!SHGetSpecialFolderPathW(nullptr, buf, CSIDL_COMMON_APPDATA, FALSE)) return std::wstring();
    return std::wstring(buf) + L"\\";
}

void CreateLogFolder(const std::wstring& folder) {
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSddl, SDDL_REVISION_1, &sd,
                                                              nullptr)) {
        return;  // without the access list the folder is not created at all
    }
    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = sd;
    sa.bInheritHandle = FALSE;
    CreateDirectoryW(folder.c_str(), &sa);
    LocalFree(sd);
}

}  // namespace

HANDLE OpenFileWithoutLinks(const std::wstring& root, const std::vector<std::wstring>& folders,
                            const std::wstring& file, DWORD* error) {
    *error = 0;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kRunLogFolderSddl, SDDL_REVISION_1, &sd, nullptr)) {
        *error = GetLastError();
        return INVALID_HANDLE_VALUE;
    }
    struct FreeLater {
        PSECURITY_DESCRIPTOR sd;
        ~FreeLater() { LocalFree(sd); }
    } freeLater{sd};

    // Every folder on the way stays open, without sharing its deletion, until
    // the file is open: none can be renamed or removed and put back as a
    // link meanwhile.
    std::vector<HANDLE> held;
    struct CloseLater {
        std::vector<HANDLE>& handles;
        ~CloseLater() {
            for (HANDLE h : handles) CloseHandle(h);
        }
    } closeLater{held};
    const ACCESS_MASK folderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | FILE_ADD_FILE |
                                     FILE_ADD_SUBDIRECTORY;
    HANDLE folder = CreateFileW(root.c_str(), folderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return INVALID_HANDLE_VALUE;
    }
    held.push_back(folder);

    std::wstring path = root;
    auto refuse = [error](DWORD code) {
        *error = code;
        return INVALID_HANDLE_VALUE;
    };
    for (const std::wstring& name : folders) {
        path += name;
        if (NameIsReparsePoint(path)) return refuse(kErrorReparsePointEncountered);
        NTSTATUS status = 0;
        HANDLE next = OpenInFolder(folder, name, folderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF,
                                   FILE_DIRECTORY_FILE, &status, sd);
        if (next == INVALID_HANDLE_VALUE) return refuse(Win32ErrorOf(status));
        held.push_back(next);
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(next, &info)) return refuse(GetLastError());
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return refuse(ERROR_DIRECTORY);
        if (IsReparsePoint(info.dwFileAttributes) || NameIsReparsePoint(path))
            return refuse(kErrorReparsePointEncountered);
        folder = next;
        path += L"\\";
    }

    path += file;
    if (NameIsReparsePoint(path)) return refuse(kErrorReparsePointEncountered);
    // An earlier log is opened as it is (not created through a link that
    // points nowhere yet), a missing one made here and now: whatever takes
    // the name meanwhile is not written.
    NTSTATUS status = 0;
    HANDLE h = OpenInFolder(folder, file, GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                            FILE_NON_DIRECTORY_FILE, &status);
    if (h == INVALID_HANDLE_VALUE && status == kStatusObjectNameNotFound) {
        h = OpenInFolder(folder, file, GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_CREATE,
                         FILE_NON_DIRECTORY_FILE, &status);
    }
    if (h == INVALID_HANDLE_VALUE) return refuse(Win32ErrorOf(status));
    FileHandle opened(h);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return refuse(GetLastError());
    if (IsReparsePoint(info.dwFileAttributes) || NameIsReparsePoint(path) || !IsNameItself(folder, h, file))
        return refuse(kErrorReparsePointEncountered);
    // A second name would let whoever made it read, or have the tool
    // overwrite, a file elsewhere.
    if (info.nNumberOfLinks > 1) return refuse(ERROR_TOO_MANY_LINKS);
    // Emptied only now that it is known to be the file itself.
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return refuse(GetLastError());
    return opened.Release();
}

std::string ToLogText(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int wlen = static_cast<int>(text.size());
    const int len = WideCharToMultiByte(kLogCodePage, 0, text.data(), wlen, nullptr, 0, nullptr, nullptr);
    if (len <= 0) return std::string();
    std::string out(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(kLogCodePage, 0, text.data(), wlen, &out[0], len, nullptr, nullptr);
    return out;
}

std::wstring FromLogText(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int len = static_cast<int>(text.size());
    const int wlen = MultiByteToWideChar(kLogCodePage, 0, text.data(), len, nullptr, 0);
    if (wlen <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(wlen), L'\0');
    MultiByteToWideChar(kLogCodePage, 0, text.data(), len, &out[0], wlen);
    return out;
}

}  // namespace hrlog

CLogSaveCloseFile::CLogSaveCloseFile(std::wstring logPath) : CLogBase(std::move(logPath)) {}

CLogSaveCloseFile::~CLogSaveCloseFile() = default;

void CLogSaveCloseFile::WriteText(std::string text, std::string fileName) {
    PacketFromText(std::move(text), std::move(fileName));
}

void CLogSaveCloseFile::WriteHex(const unsigned char* bytes, std::int32_t count, std::string fileName) {
    PacketFromHex(bytes, count, std::move(fileName));
}

void CLogSaveCloseFile::WritePacket(const CPacketLog& packet) {
    using namespace hrlog;
    ScopedLock guard(m_lock);

    const std::wstring name = FromLogText(packet.GetFileName().c_str());
    if (!IsPlainFileName(name) || m_strLogPath.empty()) return;

    std::wstring folder = m_strLogPath;
    if (folder.back() == L'\\') folder.pop_back();
    FileHandle folderHandle(OpenLogFolder(folder));
    if (!folderHandle.Valid()) return;

    FileHandle file(OpenLogFile(folderHandle.Get(), name));
    if (!file.Valid()) return;

    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return;
    if (!WriteAll(file.Get(), FormatLogRecord(LocalNow(), packet.GetContent()))) return;

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return;
    file.Close();
    if (ShouldRollOver(static_cast<std::uint64_t>(size.QuadPart))) {
        const std::wstring backupName = BackupPathOf(name);
        if (MayReplaceBackup(folderHandle.Get(), backupName)) MoveToBackup(folderHandle.Get(), name, backupName);
    }
}

CLogSave::CLogSave() { Init(hrlog::CommonAppDataBase()); }

CLogSave::CLogSave(const std::wstring& baseFolder) { Init(baseFolder); }

CLogSave::~CLogSave() { delete m_pLog; }

void CLogSave::Init(const std::wstring& baseFolder) {
    using namespace hrlog;
    m_strLogPath = baseFolder + kLogFolderName;
    CreateLogFolder(m_strLogPath);
    m_strLogPath += L"\\";

    wchar_t value[100] = {0};
    const std::wstring config = m_strLogPath + kConfigFileName;
    GetPrivateProfileStringW(kConfigSection, kConfigPrintKey, kConfigPrintDefault, value, 100,
                             config.c_str());
    m_bPrint = ParsePrintSwitch(value);

    m_pLog = new (std::nothrow) CLogSaveCloseFile(m_strLogPath);
}

void CLogSave::WriteLog(std::string text, std::string fileName, bool force) {
    if (!m_pLog || !hrlog::ShouldWriteRecord(force, m_bPrint)) return;
    m_pLog->WriteText(std::move(text), std::move(fileName));
}

CLogSave& GetLogSave() {
    // Never destroyed: the uninstall worker may still be writing a record
    // while the process runs its exit-time destructors.
    static CLogSave* const logger = new CLogSave();
    return *logger;
}

void WriteToolLog(const std::wstring& text) {
    GetLogSave().WriteLog(hrlog::ToLogText(text), hrlog::ToLogText(hrlog::kToolLogFileName), true);
}
