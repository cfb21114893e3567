// The log writer against real files: the common application-data folder of
// the test prefix, temporary folders, sharing, threads, links and the folder's
// access list.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "log/LogCore.h"
#include "log/LogSave.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <regex>
#include <thread>
#include <vector>

namespace {

const std::string kLogName = hrlog::ToLogText(hrlog::kToolLogFileName);
// "执行查询服务失败" and the file name's Chinese part in code page 936,
// spelled out so that the test does not share the writer's encoder.
const std::string kQueryFailedGbk = "\xd6\xb4\xd0\xd0\xb2\xe9\xd1\xaf\xb7\xfe\xce\xf1\xca\xa7\xb0\xdc";
const std::string kFileNameGbk = "Tessaro Veride Hubrelay \xb7\xfe\xce\xf1\xd0\xb6\xd4\xd8\xb9\xa4\xbe\xdf.txt";
const size_t kPrefixLength = 30;  // "[YYYY-MM-DD hh:mm:ss mmmms]   "

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string("<missing>");
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

void DeleteTree(const std::wstring& dir) {
    const DWORD attrs = GetFileAttributesW(dir.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileW(dir.c_str())) RemoveDirectoryW(dir.c_str());
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") DeleteTree(dir + L"\\" + name);
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(dir.c_str());
}

std::vector<std::wstring> ListFolder(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    return names;
}

std::string NowStamp() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    char buf[32];
    snprintf(buf, sizeof(buf), "%04d-%02d-%02d %02d:%02d:%02d %03d", st.wYear, st.wMonth, st.wDay,
             st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return buf;
}

// Checks one record's layout and returns its text.
::testing::AssertionResult IsRecord(const std::string& line, std::string* text = nullptr) {
    static const std::regex prefix(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    if (line.size() < kPrefixLength + 2 || !std::regex_match(line.substr(0, kPrefixLength), prefix) ||
        line.compare(line.size() - 2, 2, "\r\n") != 0) {
        return ::testing::AssertionFailure() << "not a record: [" << line << "]";
    }
    if (text) *text = line.substr(kPrefixLength, line.size() - kPrefixLength - 2);
    return ::testing::AssertionSuccess();
}

std::vector<std::string> SplitRecords(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        end = end == std::string::npos ? bytes.size() : end + 2;
        lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return lines;
}

// A fresh folder that plays the common application-data folder.
class LogFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring name = L"hr-log-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount64());
        m_base = wtest::TempDir(name.c_str());
        ASSERT_TRUE(wtest::FileExists(m_base));
        m_folder = m_base + L"\\ToolLog";
        m_logPath = m_folder + L"\\" + hrlog::kToolLogFileName;
        m_backupPath = m_logPath + L"bak";
    }
    void TearDown() override { DeleteTree(m_base); }

    std::wstring Base() const { return m_base + L"\\"; }
    void WriteConfig(const std::string& ini) {
        CreateDirectoryW(m_folder.c_str(), nullptr);
        ASSERT_TRUE(wtest::WriteAnsiFile(m_folder + L"\\logCfg.ini", ini));
    }

    std::wstring m_base, m_folder, m_logPath, m_backupPath;
};

bool IsWine() {
    return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name") != nullptr;
}

std::string UnixName(const std::wstring& path) {
    typedef char*(CDECL * UnixNameFn)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Starts a host program (Wine runs host executables given by path) and waits
// until `done` holds: Wine does not report a host program's end through its
// process handle.
template <typename Done>
bool RunHostProgram(const std::string& utf8CommandLine, Done done) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8CommandLine.c_str(), -1, nullptr, 0);
    std::wstring cmd(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8CommandLine.c_str(), -1, &cmd[0], n);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return false;
}

// Creates a symbolic link at `link` pointing to `target` in the host's file
// system, which is how a link appears under Wine (its Win32 calls make none).
// Wine reports a link to a folder as a reparse point; a link to a file looks
// like the file itself there.
bool PlantUnixSymlink(const std::wstring& target, const std::wstring& link) {
    const std::string t = UnixName(target), l = UnixName(link);
    if (t.empty() || l.empty()) return false;
    return RunHostProgram("Z:\\bin\\ln -s \"" + t + "\" \"" + l + "\"",
                          [&] { return wtest::FileExists(link); });
}

// Removes such a link itself (never what it points to).
bool RemoveUnixSymlink(const std::wstring& link) {
    const std::string l = UnixName(link);
    if (l.empty()) return false;
    return RunHostProgram("Z:\\bin\\rm -f \"" + l + "\"", [&] { return !wtest::FileExists(link); });
}

}  // namespace

// The process-wide logger lives in the prefix's common application-data
// folder. It is created once per process, so this is the only test that
// touches it; an existing "ToolLog" is put aside and restored.
TEST(ProcessLogger, FirstRecordCreatesFolderAndFileWithExactBytes) {
    wchar_t appData[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, FALSE));
    const std::wstring folder = std::wstring(appData) + L"\\ToolLog";
    const std::wstring saved = folder + L".saved-by-log-tests";
    const bool hadFolder = wtest::FileExists(folder);
    if (hadFolder) {
        ASSERT_TRUE(MoveFileW(folder.c_str(), saved.c_str()));
    }

    const std::string before = NowStamp();
    WriteToolLog(L"执行查询服务失败");
    const std::string after = NowStamp();

    EXPECT_EQ(folder + L"\\", GetLogSave().GetLogPath());
    EXPECT_FALSE(GetLogSave().IsPrintOn());  // no logCfg.ini: switch off, forced record written
    const std::vector<std::wstring> names = ListFolder(folder);
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(L"Tessaro Veride Hubrelay 服务卸载工具.txt", names[0]);
    EXPECT_EQ(kFileNameGbk, kLogName);

    const std::string bytes = ReadFileBytes(folder + L"\\" + names[0]);
    ASSERT_EQ(kPrefixLength + kQueryFailedGbk.size() + 2, bytes.size()) << bytes;
    std::string text;
    EXPECT_TRUE(IsRecord(bytes, &text));
    EXPECT_EQ(kQueryFailedGbk, text);
    const std::string stamp = bytes.substr(1, 19) + " " + bytes.substr(21, 3);
    EXPECT_LE(before, stamp);
    EXPECT_GE(after, stamp);

    // The next record is appended, with exactly one CR LF between the two.
    GetLogSave().WriteLog("second", kLogName, true);
    const std::vector<std::string> records = SplitRecords(ReadFileBytes(folder + L"\\" + names[0]));
    ASSERT_EQ(2u, records.size());
    EXPECT_TRUE(IsRecord(records[1], &text));
    EXPECT_EQ("second", text);

    DeleteTree(folder);
    if (hadFolder) {
        EXPECT_TRUE(MoveFileW(saved.c_str(), folder.c_str()));
    }
}

TEST_F(LogFolderTest, CreatedFolderLetsOnlyAdministratorsAndSystemWrite) {
    CLogSave log(Base());
    ASSERT_TRUE(wtest::FileExists(m_folder));

    // The access list the folder is created with, read back ACE by ACE.
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(hrlog::kLogFolderSddl, SDDL_REVISION_1,
                                                                     &sd, nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inherits from the folder above";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    std::map<std::wstring, DWORD> masks;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags);
        LPWSTR sid = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidW(&ace->SidStart, &sid));
        masks[sid] = ace->Mask;
        LocalFree(sid);
    }
    LocalFree(sd);
    const std::map<std::wstring, DWORD> expected = {
        {L"S-1-5-18", FILE_ALL_ACCESS},                             // SYSTEM
        {L"S-1-5-32-544", FILE_ALL_ACCESS},                         // Administrators
        {L"S-1-5-32-545", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}  // Users
    };
    EXPECT_EQ(expected, masks);

    // What the file system reports for the created folder: nobody else may
    // write (Wine keeps only part of an access list, so this is a lower bound).
    PACL actual = nullptr;
    PSECURITY_DESCRIPTOR actualSd = nullptr;
    PSID owner = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              GetNamedSecurityInfoW(m_folder.c_str(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, &owner,
                                    nullptr, &actual, nullptr, &actualSd));
    ASSERT_NE(nullptr, actual);
    const DWORD writeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                              FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                              GENERIC_ALL;
    for (DWORD i = 0; i < actual->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(actual, i, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !(ace->Mask & writeRights)) continue;
        PSID sid = &ace->SidStart;
        LPWSTR text = nullptr;
        ConvertSidToStringSidW(sid, &text);
        const std::wstring s = text ? text : L"?";
        LocalFree(text);
        EXPECT_TRUE(s == L"S-1-5-18" || s == L"S-1-5-32-544" || (owner && EqualSid(sid, owner)))
            << "write granted to " << std::string(s.begin(), s.end());
    }
    LocalFree(actualSd);
}

TEST_F(LogFolderTest, NonForcedRecordWithSwitchOffTouchesNothing) {
    CLogSave log(Base());
    EXPECT_FALSE(log.IsPrintOn());
    log.WriteLog("quiet", kLogName, false);
    EXPECT_FALSE(wtest::FileExists(m_logPath));
    log.WriteLog("forced", kLogName, true);
    EXPECT_TRUE(wtest::FileExists(m_logPath));
}

TEST_F(LogFolderTest, PrintSwitchIsReadFromTheSettingsFile) {
    struct Case {
        const char* ini;
        bool on;
    } cases[] = {
        {"[Log]\r\nprint= 1 \r\n", true},
        {"[Log]\r\nprint=1abc\r\n", true},
        {"[Log]\r\nprint=0\r\n", false},
        {"[Log]\r\nprint=\r\n", false},
        {"[Log]\r\nother=1\r\n", false},
        {"[Other]\r\nprint=1\r\n", false},
    };
    for (const Case& c : cases) {
        WriteConfig(c.ini);
        CLogSave log(Base());
        EXPECT_EQ(c.on, log.IsPrintOn()) << c.ini;
        DeleteFileW(m_logPath.c_str());
        log.WriteLog("maybe", kLogName, false);
        EXPECT_EQ(c.on, wtest::FileExists(m_logPath)) << c.ini;
    }
}

TEST_F(LogFolderTest, RolloverKeepsTheCrossingRecordInTheBackup) {
    CLogSave log(Base());
    // One record of text "abc" is 35 bytes. This fill ends exactly at the
    // limit after the first record, which therefore does not roll over.
    const size_t record = kPrefixLength + 3 + 2;
    const std::string fill(6020000 - record, 'x');
    ASSERT_TRUE(wtest::WriteAnsiFile(m_logPath, fill));
    ASSERT_TRUE(wtest::WriteAnsiFile(m_backupPath, "older backup\r\n"));

    log.WriteLog("abc", kLogName, true);
    EXPECT_EQ(6020000u, ReadFileBytes(m_logPath).size());
    EXPECT_EQ("older backup\r\n", ReadFileBytes(m_backupPath));

    log.WriteLog("crossing", kLogName, true);
    EXPECT_FALSE(wtest::FileExists(m_logPath));
    const std::string backup = ReadFileBytes(m_backupPath);
    ASSERT_EQ(6020000u + kPrefixLength + 8 + 2, backup.size());
    EXPECT_EQ(fill, backup.substr(0, fill.size()));
    std::string text;
    EXPECT_TRUE(IsRecord(backup.substr(6020000), &text));
    EXPECT_EQ("crossing", text);

    log.WriteLog("fresh", kLogName, true);
    const std::string fresh = ReadFileBytes(m_logPath);
    EXPECT_TRUE(IsRecord(fresh, &text));
    EXPECT_EQ("fresh", text);
    EXPECT_EQ(backup, ReadFileBytes(m_backupPath));
}

TEST_F(LogFolderTest, FileHeldWithoutWriteSharingLosesOnlyThatRecord) {
    CLogSave log(Base());
    log.WriteLog("one", kLogName, true);
    HANDLE reader = CreateFileW(m_logPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    log.WriteLog("two", kLogName, true);
    CloseHandle(reader);
    log.WriteLog("three", kLogName, true);

    const std::vector<std::string> records = SplitRecords(ReadFileBytes(m_logPath));
    ASSERT_EQ(2u, records.size());
    std::string a, b;
    EXPECT_TRUE(IsRecord(records[0], &a));
    EXPECT_TRUE(IsRecord(records[1], &b));
    EXPECT_EQ("one", a);
    EXPECT_EQ("three", b);
}

TEST_F(LogFolderTest, ReadersSharingTheFileDoNotStopTheWriter) {
    CLogSave log(Base());
    log.WriteLog("one", kLogName, true);
    HANDLE reader = CreateFileW(m_logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    log.WriteLog("two", kLogName, true);
    CloseHandle(reader);
    EXPECT_EQ(2u, SplitRecords(ReadFileBytes(m_logPath)).size());
}

TEST_F(LogFolderTest, ConcurrentWritersProduceWholeRecords) {
    // Texts of different lengths, some with GBK characters; the second set
    // is large enough that two writers cross the size limit several times,
    // so that records land in the log, in its backup, or are dropped with the
    // backup they were in, but are never cut.
    const std::vector<std::string> small = {"a", kQueryFailedGbk, std::string(300, 'q'),
                                            "\xcf\xb5\xcd\xb3 thread three"};
    const std::vector<std::string> large = {std::string(90000, 'L'), "\xcf\xb5" + std::string(70001, 'm')};
    struct Case {
        const std::vector<std::string>* texts;
        int records;
        bool rollsOver;
    };
    for (const Case& c : {Case{&small, 150, false}, Case{&large, 120, true}}) {
        SCOPED_TRACE(c.rollsOver ? "across rollovers" : "within one file");
        DeleteFileW(m_logPath.c_str());
        DeleteFileW(m_backupPath.c_str());
        CLogSave log(Base());
        std::vector<std::thread> threads;
        for (const std::string& text : *c.texts) {
            threads.emplace_back([&log, &text, &c] {
                for (int i = 0; i < c.records; ++i) log.WriteLog(text, kLogName, true);
            });
        }
        for (std::thread& th : threads) th.join();

        std::map<std::string, int> counts;
        size_t total = 0;
        for (const std::wstring& path : {m_backupPath, m_logPath}) {
            if (!wtest::FileExists(path)) continue;
            const std::string bytes = ReadFileBytes(path);
            total += bytes.size();
            for (const std::string& line : SplitRecords(bytes)) {
                std::string text;
                ASSERT_TRUE(IsRecord(line, &text)) << "a cut record of " << line.size() << " bytes";
                ASSERT_TRUE(std::find(c.texts->begin(), c.texts->end(), text) != c.texts->end());
                ++counts[text];
            }
        }
        if (!c.rollsOver) {
            for (const std::string& text : *c.texts) EXPECT_EQ(c.records, counts[text]);
            EXPECT_FALSE(wtest::FileExists(m_backupPath));
        } else {
            // 19 MB written, two files of at most a little over 6 MB kept.
            EXPECT_TRUE(wtest::FileExists(m_backupPath));
            EXPECT_LT(total, 2u * 6020000u + 2u * 90100u);
            EXPECT_GT(total, 6020000u);
        }
    }
}

TEST_F(LogFolderTest, HardLinkedLogFileIsNotWritten) {
    CLogSave log(Base());
    const std::wstring victim = m_base + L"\\victim.txt";
    ASSERT_TRUE(wtest::WriteAnsiFile(victim, "precious"));
    ASSERT_TRUE(CreateHardLinkW(m_logPath.c_str(), victim.c_str(), nullptr));
    log.WriteLog("into the link", kLogName, true);
    EXPECT_EQ("precious", ReadFileBytes(victim));

    // Large enough to roll over: the link must not be moved either.
    ASSERT_TRUE(wtest::WriteAnsiFile(victim, std::string(6020001, 'v')));
    log.WriteLog("again", kLogName, true);
    EXPECT_TRUE(wtest::FileExists(m_logPath));
    EXPECT_FALSE(wtest::FileExists(m_backupPath));

    ASSERT_TRUE(DeleteFileW(m_logPath.c_str()));
    log.WriteLog("plain file", kLogName, true);
    std::string text;
    EXPECT_TRUE(IsRecord(ReadFileBytes(m_logPath), &text));
    EXPECT_EQ("plain file", text);
}

TEST_F(LogFolderTest, LinkedLogFolderIsNotFollowed) {
    const std::wstring elsewhere = m_base + L"\\elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    if (!IsWine()) GTEST_SKIP() << "plants links the way Wine shows them";
    ASSERT_TRUE(PlantUnixSymlink(elsewhere, m_folder));
    ASSERT_TRUE(GetFileAttributesW(m_folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    CLogSave log(Base());
    log.WriteLog("through the folder link", kLogName, true);
    EXPECT_TRUE(ListFolder(elsewhere).empty());
    EXPECT_TRUE(RemoveUnixSymlink(m_folder));
}

// A backup name taken by a folder, or by a link to one (planted the way Wine
// shows links), stops only the rollover: the record is still written, and
// nothing reaches the folder behind the name.
TEST_F(LogFolderTest, BackupNameThatIsNoFileStopsOnlyTheRollover) {
    const std::wstring elsewhere = m_base + L"\\elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    const std::string full(6020001, 'f');
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "link" : "folder");
        if (link && !IsWine()) continue;
        CLogSave log(Base());
        const std::wstring behind = link ? elsewhere : m_backupPath;
        ASSERT_TRUE(link ? PlantUnixSymlink(elsewhere, m_backupPath)
                         : CreateDirectoryW(m_backupPath.c_str(), nullptr) != FALSE);
        ASSERT_TRUE(wtest::WriteAnsiFile(m_logPath, full));

        log.WriteLog("kept", kLogName, true);
        const std::string bytes = ReadFileBytes(m_logPath);
        ASSERT_EQ(full.size() + kPrefixLength + 4 + 2, bytes.size());
        std::string text;
        EXPECT_TRUE(IsRecord(bytes.substr(full.size()), &text));
        EXPECT_EQ("kept", text);
        EXPECT_TRUE(GetFileAttributesW(m_backupPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_TRUE(ListFolder(behind).empty());
        EXPECT_TRUE(link ? RemoveUnixSymlink(m_backupPath) : RemoveDirectoryW(m_backupPath.c_str()) != FALSE);
    }
}

TEST_F(LogFolderTest, FileNamesCannotLeaveTheLogFolder) {
    CLogSave log(Base());
    log.WriteLog("escape", "..\\escaped.txt", true);
    log.WriteLog("escape", "sub/escaped.txt", true);
    log.WriteLog("escape", "C:escaped.txt", true);
    log.WriteLog("escape", "", true);
    EXPECT_FALSE(wtest::FileExists(m_base + L"\\escaped.txt"));
    EXPECT_TRUE(ListFolder(m_folder).empty());
}
