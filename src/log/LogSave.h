#pragma once
// The tool's log writer: one process-wide logger that appends timestamped
// records to files in "ToolLog" below the common application-data folder.
//
// Records and file names are narrow code page 936 text. From wide text, the
// one obvious way is WriteToolLog(L"..."), which encodes the text explicitly
// and forces the record into the tool's log file; ToLogText() does only the
// encoding.
#include "log/LogBase.h"
#include "log/LogCore.h"

#include <windows.h>

#include <string>
#include <vector>

namespace hrlog {

// The access list "ToolLog" is created with. The folder is made by an
// elevated process below a folder where ordinary users may create things:
// only Administrators and SYSTEM may write in it, users may read. Protected,
// so nothing is inherited from above.
constexpr wchar_t kLogFolderSddl[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The access list of a folder a run log's path lacks: SYSTEM and
// Administrators only, nothing inherited from above.
constexpr wchar_t kRunLogFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// Opens `file` for writing, emptied, below `root` (a drive's or share's
// root) through `folders`, one name at a time, each name looked up in the
// folder opened before it: no folder or file that is a link or a junction,
// no file that has a second name elsewhere (a hard link). Folders that are
// missing are made with kRunLogFolderSddl. The file shares reading only.
// Returns the handle, or INVALID_HANDLE_VALUE with the Win32 error in
// `*error`.
HANDLE OpenFileWithoutLinks(const std::wstring& root, const std::vector<std::wstring>& folders,
                            const std::wstring& file, DWORD* error);

// Wide text to the code page 936 bytes records and file names are kept in,
// and back. Independent of the process's locale and ANSI code page.
std::string ToLogText(const std::wstring& text);
std::wstring FromLogText(const std::string& text);

// Serialises one logger's file access.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CriticalSection() { DeleteCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Lock() { EnterCriticalSection(&m_cs); }
    void Unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

}  // namespace hrlog

// Opens, appends and closes the file for every record, under one lock, and
// moves a file that has grown too large to its backup.
class CLogSaveCloseFile : public CLogBase {
public:
    explicit CLogSaveCloseFile(std::wstring logPath);
    ~CLogSaveCloseFile() override;

    void WritePacket(const CPacketLog& packet) override;
    void WriteHex(const unsigned char* bytes, std::int32_t count, std::string fileName) override;
    void WriteText(std::string text, std::string fileName) override;

private:
    hrlog::CriticalSection m_lock;
};

class CLogSave {
public:
    // The logger of the common application-data folder.
    CLogSave();
    // A logger whose "ToolLog" folder lies in `baseFolder` (ending in a
    // backslash, or empty for the current directory).
    explicit CLogSave(const std::wstring& baseFolder);
    ~CLogSave();
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;

    // Writes `text` as one record of `fileName` when `force` is set or the
    // "print" switch is on. Failures are silent.
    void WriteLog(std::string text, std::string fileName, bool force);

    bool IsPrintOn() const { return m_bPrint; }
    const std::wstring& GetLogPath() const { return m_strLogPath; }

private:
    void Init(const std::wstring& baseFolder);

    bool m_bPrint = false;
    std::wstring m_strLogPath;
    CLogBase* m_pLog = nullptr;
};

// The process-wide logger, created on first use.
CLogSave& GetLogSave();

// Forces `text` into the tool's log file through GetLogSave().
void WriteToolLog(const std::wstring& text);
