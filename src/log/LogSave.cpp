#include "log/LogSave.h"

#include "log/LogCore.h"

#include <sddl.h>
#include <shlobj.h>

#include <new>
#include <utility>

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

// Opens the log folder itself, never a link in its place. The handle reads
// the directory and does not share deletion, so while it is held the folder
// can be neither renamed nor replaced by a link: the paths below it keep
// meaning this folder.
HANDLE OpenLogFolder(const std::wstring& folder) {
    HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
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

// Opens (creating if absent, never truncating) the log file itself: not a
// link's target, not a file that also has another name elsewhere.
HANDLE OpenLogFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        IsReparsePoint(info.dwFileAttributes) || info.nNumberOfLinks > 1) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
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

    const std::wstring path = m_strLogPath + name;
    const std::wstring backup = BackupPathOf(path);
    const DWORD backupAttributes = GetFileAttributesW(backup.c_str());
    if (backupAttributes != INVALID_FILE_ATTRIBUTES &&
        (IsReparsePoint(backupAttributes) || (backupAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        return;
    }

    FileHandle file(OpenLogFile(path));
    if (!file.Valid()) return;

    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return;
    if (!WriteAll(file.Get(), FormatLogRecord(LocalNow(), packet.GetContent()))) return;

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return;
    file.Close();
    if (ShouldRollOver(static_cast<std::uint64_t>(size.QuadPart))) {
        MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
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
