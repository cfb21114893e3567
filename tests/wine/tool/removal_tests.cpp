// The tool's self-removal on a real command interpreter: only the tool's own
// files go, the folder only when nothing else is left, and no folder name can
// turn into a command. Each case copies a probe that runs RemoveToolFolder
// into a prepared folder; all cases run at the same time.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "WineTestUtil.h"

namespace {

const wchar_t kToolName[] = L"RemedoTessaroModernHubrelayServiceUninstalled.exe";
const wchar_t kLibraryName[] = L"TessaroFeedbackInformation.dll";
const wchar_t kVictimName[] = L"hr-removal-victim.txt";

struct Case {
    std::wstring name;          // folder name below the test root
    bool library = true;        // a companion library file beside the tool
    bool userFile = false;      // a file of the user's in the same folder
    bool userFolder = false;    // a folder of the user's in the same folder
    bool libraryIsFolder = false;  // the library name taken by a user's folder
    std::wstring dir;
    HANDLE process = nullptr;
};

bool Exists(const std::wstring& path) { return wtest::FileExists(path); }

using wtest::RemoveTree;

HANDLE Start(const std::wstring& exe, const std::wstring& dir) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// Polls until `done` holds or the time is up.
template <typename Pred>
bool WaitFor(Pred done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Sleep(100);
    }
    return true;
}

std::wstring SystemFolder() {
    wchar_t dir[MAX_PATH];
    GetSystemDirectoryW(dir, MAX_PATH);
    return dir;
}

}  // namespace

TEST(ToolRemoval, DeletesOnlyTheToolsFilesWhateverTheFolderIsCalled) {
    const std::wstring probe = wtest::TestEnvBin() + L"\\removal_probe.exe";
    ASSERT_TRUE(Exists(probe));
    const std::wstring root = wtest::TempDir(L"hr-removal");
    // A file the folder names below would delete if cmd read them as commands.
    const std::wstring victim = SystemFolder() + L"\\" + kVictimName;
    ASSERT_TRUE(wtest::WriteAnsiFile(victim, "keep"));
    const std::wstring outsider = root + L"\\outsider.txt";
    ASSERT_TRUE(wtest::WriteAnsiFile(outsider, "keep"));

    std::vector<Case> cases(8);
    cases[0].name = L"plain";
    cases[1].name = L"with spaces and (parentheses)";
    cases[2].name = L"100% sure ^ caret & ampersand ! bang";
    cases[2].userFile = true;
    cases[3].name = L"a & del hr-removal-victim.txt & b";
    cases[4].name = L"x) & (del hr-removal-victim.txt";
    cases[4].userFile = true;
    cases[5].name = L"中文 文件夹 %HR_NOT_A_VARIABLE% !x!";
    cases[6].name = L"user folder inside";
    cases[6].userFolder = true;
    cases[7].name = L"library name taken by a folder";
    cases[7].libraryIsFolder = true;
    cases[7].library = false;

    for (Case& c : cases) {
        c.dir = root + L"\\" + c.name;
        RemoveTree(c.dir);
        ASSERT_TRUE(CreateDirectoryW(c.dir.c_str(), nullptr)) << "cannot prepare a case folder";
        ASSERT_TRUE(CopyFileW(probe.c_str(), (c.dir + L"\\" + kToolName).c_str(), FALSE));
        if (c.library) {
            ASSERT_TRUE(wtest::WriteAnsiFile(c.dir + L"\\" + kLibraryName, "MZ"));
        }
        if (c.userFile) {
            ASSERT_TRUE(wtest::WriteAnsiFile(c.dir + L"\\我的照片.txt", "mine"));
        }
        if (c.userFolder) {
            ASSERT_TRUE(CreateDirectoryW((c.dir + L"\\docs").c_str(), nullptr));
            ASSERT_TRUE(wtest::WriteAnsiFile(c.dir + L"\\docs\\a.txt", "mine"));
        }
        if (c.libraryIsFolder) {
            ASSERT_TRUE(CreateDirectoryW((c.dir + L"\\" + kLibraryName).c_str(), nullptr));
            ASSERT_TRUE(wtest::WriteAnsiFile(c.dir + L"\\" + kLibraryName + L"\\a.txt", "mine"));
        }
    }
    for (Case& c : cases) {
        c.process = Start(c.dir + L"\\" + kToolName, c.dir);
        ASSERT_NE(c.process, nullptr);
    }
    // The interpreter waits three seconds before it deletes anything. Its
    // child "timeout" is whichever one the tool's own bitness reaches (for the
    // 32-bit tool on 64-bit Windows, SysWOW64's): without it the wait would
    // silently become none.
    std::vector<HANDLE> running;
    std::vector<ULONGLONG> ended(cases.size(), 0), gone(cases.size(), 0);
    for (Case& c : cases) running.push_back(c.process);
    while (!running.empty()) {
        const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), FALSE, 15000);
        ASSERT_LT(r, WAIT_OBJECT_0 + running.size()) << "a probe did not end";
        const HANDLE process = running[r - WAIT_OBJECT_0];
        for (size_t i = 0; i < cases.size(); ++i)
            if (cases[i].process == process) ended[i] = GetTickCount64();
        running.erase(running.begin() + (r - WAIT_OBJECT_0));
        CloseHandle(process);
    }
    const ULONGLONG deadline = GetTickCount64() + 15000;
    for (size_t left = cases.size(); left > 0 && GetTickCount64() < deadline; Sleep(50)) {
        for (size_t i = 0; i < cases.size(); ++i) {
            if (gone[i] == 0 && !Exists(cases[i].dir + L"\\" + kToolName)) {
                gone[i] = GetTickCount64();
                --left;
            }
        }
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_NE(gone[i], 0u) << "case " << i << ": the tool was not deleted";
        EXPECT_GE(gone[i] - ended[i], 2000u) << "case " << i << ": deleted without the wait";
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - &cases[0]));
        const bool keepsFolder = c.userFile || c.userFolder || c.libraryIsFolder;
        if (keepsFolder) {
            // Give the interpreter time for its last step before looking.
            Sleep(500);
            EXPECT_TRUE(Exists(c.dir)) << "a folder with the user's files was removed";
        } else {
            EXPECT_TRUE(WaitFor([&] { return !Exists(c.dir); }, 5000)) << "the emptied folder stayed";
        }
        EXPECT_FALSE(Exists(c.dir + L"\\" + kLibraryName) && !c.libraryIsFolder);
        if (c.userFile) {
            EXPECT_TRUE(Exists(c.dir + L"\\我的照片.txt"));
        }
        if (c.userFolder) {
            EXPECT_TRUE(Exists(c.dir + L"\\docs\\a.txt"));
        }
        if (c.libraryIsFolder) {
            EXPECT_TRUE(Exists(c.dir + L"\\" + kLibraryName + L"\\a.txt"));
        }
    }
    EXPECT_TRUE(Exists(victim)) << "a folder name ran as a command";
    EXPECT_TRUE(Exists(outsider));
    EXPECT_TRUE(Exists(root));

    DeleteFileW(victim.c_str());
    for (const Case& c : cases) RemoveTree(c.dir);
}
