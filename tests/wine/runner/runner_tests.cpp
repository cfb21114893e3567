// The command runner against real processes, pipes and Wine's service manager.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "engine/CommandRunner.h"


#include <cstring>
#include <memory>
#include <vector>

namespace {

std::wstring Emit(const std::wstring& args) {
    return L"\"" + wtest::TestEnvBin() + L"\\emit.exe\" " + args;
}

std::wstring Collect(const std::wstring& command, int* result = nullptr) {
    std::wstring out;
    const int r = RunCommand(command, out);
    if (result) *result = r;
    return out;
}

TEST(RunCommandOutput, NothingPrintedLeavesOutputUnchanged) {
    std::wstring out = L"kept";
    EXPECT_EQ(1, RunCommand(Emit(L"long 0"), out));
    EXPECT_EQ(L"kept", out);
}

TEST(RunCommandOutput, NewTextIsAppendedToExistingText) {
    std::wstring out = L"kept|";
    EXPECT_EQ(1, RunCommand(Emit(L"gbk"), out));
    EXPECT_EQ(L"kept|指定的服务未安装。\r\n", out);
}

// cmd passes on the exit code of the program it ran, all 32 bits of it.
TEST(RunCommandOutput, FailingCommandCountsAsRunWithItsExitCodeAndErrorText) {
    for (const long long code : {3LL, 3010LL, 70000LL}) {
        std::wstring out;
        long long exitCode = -2;
        EXPECT_EQ(1, RunCommandWithin(Emit(L"exit " + std::to_wstring(code)), out, kCommandDeadlineMs, &exitCode));
        EXPECT_EQ(code, exitCode);
        EXPECT_EQ(L"failing on purpose\r\n", out);
    }
    std::wstring sc;
    long long exitCode = -2;
    EXPECT_EQ(1, RunCommandWithin(L"sc delete NoSuchServiceAtAll", sc, kCommandDeadlineMs, &exitCode));
    EXPECT_EQ(1060, exitCode);
    EXPECT_NE(std::wstring::npos, sc.find(L"[SC] OpenService 失败 1060:")) << sc;
    EXPECT_NE(std::wstring::npos, sc.find(L"指定的服务未安装。")) << sc;
}

TEST(RunCommandOutput, StandardErrorArrivesInPipeOrder) {
    EXPECT_EQ(L"out1\r\nerr1\r\nout2\r\nerr2\r\nout3\r\nerr3\r\n", Collect(Emit(L"interleave")));
}

TEST(RunCommandOutput, ZeroByteEndsTheChunksText) {
    EXPECT_EQ(L"before", Collect(Emit(L"nul")));
}

TEST(RunCommandOutput, LongOutputTakesSeveralReadsEachFollowedByThePause) {
    const int total = 10000;  // at least three reads of at most 4,095 bytes
    const ULONGLONG start = GetTickCount64();
    const std::wstring out = Collect(Emit(L"long 10000"));
    const ULONGLONG elapsed = GetTickCount64() - start;
    ASSERT_EQ(static_cast<size_t>(total), out.size());
    for (int i = 0; i < total; ++i) {
        ASSERT_EQ(static_cast<wchar_t>(L'a' + i % 26), out[static_cast<size_t>(i)]) << "at " << i;
    }
    const int minReads = (total + 4094) / 4095;
    EXPECT_GE(elapsed, static_cast<ULONGLONG>(minReads * 500));
}

TEST(RunCommandOutput, DoubleByteCharacterCutByTheReadSizeIsNotGarbled) {
    const std::wstring out = Collect(Emit(L"split"));
    ASSERT_EQ(4094u + 4u, out.size());
    EXPECT_EQ(std::wstring(4094, L'x'), out.substr(0, 4094));
    EXPECT_EQ(L"成功\r\n", out.substr(4094));
}

// The tool is elevated and usually started from a Downloads folder: programs
// planted beside it or in the caller's current directory must never run.
class PlantedPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        m_cwd = wtest::TempDir(L"hr-planted-cwd");
        m_marker1 = m_cwd + L"\\ran-from-module-dir";
        m_marker2 = m_cwd + L"\\ran-from-cwd";
        m_marker3 = m_cwd + L"\\ran-planted-cmd";
        DeleteFileW(m_marker1.c_str());
        DeleteFileW(m_marker2.c_str());
        DeleteFileW(m_marker3.c_str());
        Plant(wtest::ModuleDir() + L"\\sc.bat", m_marker1);
        Plant(m_cwd + L"\\sc.bat", m_marker2);
        Plant(wtest::ModuleDir() + L"\\powershell.bat", m_marker1);
        Plant(m_cwd + L"\\powershell.cmd", m_marker2);
        // A planted interpreter: any program called cmd.exe beside the tool.
        CopyFileW((wtest::TestEnvBin() + L"\\emit.exe").c_str(),
                  (wtest::ModuleDir() + L"\\cmd.exe").c_str(), FALSE);
        GetCurrentDirectoryW(MAX_PATH, m_oldCwd);
        SetCurrentDirectoryW(m_cwd.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryW(m_oldCwd);
        for (const auto& f : m_planted) DeleteFileW(f.c_str());
        DeleteFileW((wtest::ModuleDir() + L"\\cmd.exe").c_str());
    }
    void Plant(const std::wstring& path, const std::wstring& marker) {
        std::string body = "@echo planted\r\n@echo x > \"";
        for (wchar_t c : marker) body += static_cast<char>(c);
        body += "\"\r\n";
        ASSERT_TRUE(wtest::WriteAnsiFile(path, body));
        m_planted.push_back(path);
    }

    std::wstring m_cwd, m_marker1, m_marker2, m_marker3;
    std::vector<std::wstring> m_planted;
    wchar_t m_oldCwd[MAX_PATH] = {};
};

TEST_F(PlantedPrograms, AreNotRunInsteadOfTheSystemOnes) {
    const std::wstring sc = Collect(L"sc delete NoSuchServiceAtAll");
    const std::wstring ps = Collect(L"powershell -command \"get-service -name NoSuchServiceAtAll | Format-List\"");
    EXPECT_NE(std::wstring::npos, sc.find(L"[SC] OpenService")) << sc;
    EXPECT_NE(std::wstring::npos, ps.find(L"NoServiceFoundForGivenName")) << ps;
    EXPECT_EQ(std::wstring::npos, sc.find(L"planted"));
    EXPECT_EQ(std::wstring::npos, ps.find(L"planted"));
    EXPECT_FALSE(wtest::FileExists(m_marker1));
    EXPECT_FALSE(wtest::FileExists(m_marker2));
}

// The test prefix is 64-bit: the i686 build runs in it as a WOW64 process.
const bool kWow64Build = sizeof(void*) == 4;

TEST(ProcessUtilities, IsWow64AnswersForTheBuild) {
    EXPECT_EQ(kWow64Build ? 1 : 0, IsWow64());
    EXPECT_EQ(kWow64Build ? 1 : 0, IsWow64());  // the cached lookup answers the same
}

// Which PowerShell this thread reaches by the system folder's path: the
// prefix holds a 64-bit stand-in in system32 and a 32-bit one in syswow64,
// so the image's machine type tells whether redirection is on.
WORD SystemPowerShellMachine() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring path = std::wstring(folder, n) + L"\\WindowsPowerShell\\v1.0\\powershell.exe";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    IMAGE_DOS_HEADER dos = {};
    DWORD got = 0;
    WORD machine = 0;
    if (ReadFile(h, &dos, sizeof(dos), &got, nullptr) && got == sizeof(dos) &&
        SetFilePointer(h, dos.e_lfanew + 4, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER)
        ReadFile(h, &machine, sizeof(machine), &got, nullptr);
    CloseHandle(h);
    return machine;
}

// Replaces one of this program's imports for the lifetime of the object, so
// that a system call the runner makes can be made to fail.
class ImportPatch {
public:
    ImportPatch(const char* name, void* replacement) {
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
             d->Name && !m_slot; ++d) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
                base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                    m_slot = &slots->u1.Function;
                    break;
                }
            }
        }
        if (m_slot) {
            m_old = *m_slot;
            Write(reinterpret_cast<decltype(m_old)>(replacement));
        }
    }
    ~ImportPatch() {
        if (m_slot) Write(m_old);
    }
    bool ok() const { return m_slot != nullptr; }

private:
    void Write(decltype(IMAGE_THUNK_DATA::u1.Function) value) {
        DWORD old = 0;
        VirtualProtect(m_slot, sizeof(*m_slot), PAGE_READWRITE, &old);
        *m_slot = value;
        VirtualProtect(m_slot, sizeof(*m_slot), old, &old);
    }
    decltype(IMAGE_THUNK_DATA::u1.Function)* m_slot = nullptr;
    decltype(IMAGE_THUNK_DATA::u1.Function) m_old = 0;
};

BOOL WINAPI FailingCreatePipe(PHANDLE, PHANDLE, LPSECURITY_ATTRIBUTES, DWORD) {
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return FALSE;
}
BOOL WINAPI FailingCreateProcessW(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                  DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

class Wow64Redirection : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kWow64Build) GTEST_SKIP() << "only a 32-bit process has redirection";
        ASSERT_EQ(IMAGE_FILE_MACHINE_I386, SystemPowerShellMachine()) << "syswow64 needs the 32-bit stand-in";
    }
};

TEST_F(Wow64Redirection, CommandsReachTheNativeSystemPrograms) {
    const std::wstring out = Collect(L"powershell -command \"[Environment]::Is64BitProcess\"");
    EXPECT_EQ(L"True\r\n", out);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, SystemPowerShellMachine()) << "redirection left off";
}

// Every return of the runner leaves the calling thread's setting as it was,
// whether the caller had redirection on or had switched it off itself.
TEST_F(Wow64Redirection, ThreadSettingIsKeptOnEveryReturn) {
    struct Case {
        const char* what;
        const char* failingImport;
        void* replacement;
        std::wstring command;
        int result;
    };
    const Case cases[] = {
        {"a command that runs", nullptr, nullptr, Emit(L"gbk"), 1},
        {"no pipe", "CreatePipe", reinterpret_cast<void*>(&FailingCreatePipe), Emit(L"gbk"), 0},
        {"no process", "CreateProcessW", reinterpret_cast<void*>(&FailingCreateProcessW), Emit(L"gbk"), 0},
        {"a refused command line", nullptr, nullptr, std::wstring(3000, L'x'), 0},
    };
    for (const Case& c : cases) {
        for (const bool callerSwitchedOff : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (callerSwitchedOff ? ", caller had it off" : ""));
            PVOID callerOld = nullptr;
            if (callerSwitchedOff) {
                ASSERT_TRUE(Wow64DisableWow64FsRedirection(&callerOld));
            }
            const WORD before = SystemPowerShellMachine();
            int result = -1;
            {
                std::unique_ptr<ImportPatch> patch;
                if (c.failingImport) {
                    patch.reset(new ImportPatch(c.failingImport, c.replacement));
                    ASSERT_TRUE(patch->ok()) << c.failingImport << " is not imported";
                }
                Collect(c.command, &result);
            }
            const WORD after = SystemPowerShellMachine();
            if (callerSwitchedOff) Wow64RevertWow64FsRedirection(callerOld);
            EXPECT_EQ(c.result, result);
            EXPECT_EQ(callerSwitchedOff ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386, before);
            EXPECT_EQ(before, after);
        }
    }
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, SystemPowerShellMachine());
}

BOOL WINAPI FailingAssignProcessToJobObject(HANDLE, HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);  // Windows 7, for a process already in a job
    return FALSE;
}

// The runner as it runs where a child cannot be put in its job, when asked.
std::unique_ptr<ImportPatch> RefuseJobsIf(bool refused) {
    if (!refused) return nullptr;
    return std::unique_ptr<ImportPatch>(
        new ImportPatch("AssignProcessToJobObject", reinterpret_cast<void*>(&FailingAssignProcessToJobObject)));
}

// A command that never ends is ended, with everything it started, at the
// deadline, also where the child cannot be put in the runner's job.
TEST(RunCommandDeadline, EndsTheWholeTreeAndCountsAsNotRun) {
    for (const bool jobRefused : {false, true}) {
        SCOPED_TRACE(jobRefused ? "job assignment refused" : "in the job");
        const std::unique_ptr<ImportPatch> patch = RefuseJobsIf(jobRefused);
        ASSERT_TRUE(!jobRefused || patch->ok());
        wtest::SetStandin(L"STANDIN_FAULT", L"powershell:hang");
        std::wstring out = L"kept";
        const ULONGLONG start = GetTickCount64();
        const int r = RunCommandWithin(L"powershell -NoProfile -command \"get-service -name X\"", out, 2000);
        const ULONGLONG elapsed = GetTickCount64() - start;
        wtest::SetStandin(L"STANDIN_FAULT", nullptr);
        EXPECT_EQ(0, r);
        EXPECT_EQ(L"kept", out);
        EXPECT_GE(elapsed, 2000u);
        EXPECT_LT(elapsed, 9000u);
        EXPECT_EQ(0, wtest::Processes(L"powershell.exe")) << "cmd's child outlived the deadline";
    }
    // The shipped deadline: PowerShell's cold start on a slow machine fits,
    // a hung command ends within two minutes.
    EXPECT_GE(kCommandDeadlineMs, 60000u);
    EXPECT_LE(kCommandDeadlineMs, 120000u);
}

// A command that ended but left a program holding the pipe (a service it
// started, a helper it spawned) is complete: its text and exit code count,
// within seconds rather than at the deadline, and the program is ended.
TEST(RunCommandEnd, AProgramLeftHoldingThePipeDoesNotHoldTheReader) {
    for (const bool jobRefused : {false, true}) {
        SCOPED_TRACE(jobRefused ? "job assignment refused" : "in the job");
        const std::unique_ptr<ImportPatch> patch = RefuseJobsIf(jobRefused);
        ASSERT_TRUE(!jobRefused || patch->ok());
        std::wstring out;
        long long exitCode = -2;
        const ULONGLONG start = GetTickCount64();
        const int r = RunCommandWithin(Emit(L"spawn"), out, 30000, &exitCode);
        const ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(1, r);
        EXPECT_EQ(L"spawned\r\n", out);
        EXPECT_EQ(7, exitCode);
        EXPECT_LT(elapsed, 10000u);
        Sleep(500);
        // Without the job, a program whose parent has ended cannot be told
        // from any other: only the job ends it.
        if (!jobRefused) {
            EXPECT_EQ(0, wtest::Processes(L"emit.exe")) << "the program left behind outlived the command";
        }
        wtest::Processes(L"emit.exe", true);  // else a failed case's leftover holds this test's output
    }
}

typedef BOOL(WINAPI* CreateProcessWFn)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                       LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
std::wstring g_startedLine;
BOOL WINAPI RecordingCreateProcessW(LPCWSTR app, LPWSTR line, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                    BOOL inherit, DWORD flags, LPVOID env, LPCWSTR dir, LPSTARTUPINFOW si,
                                    LPPROCESS_INFORMATION pi) {
    g_startedLine = line;
    auto real = reinterpret_cast<CreateProcessWFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateProcessW")));
    return real(app, line, pa, ta, inherit, flags, env, dir, si, pi);
}

// Wine's cmd ignores the AutoRun values, so what they would do cannot be
// shown here; what can be is that cmd is told to skip them, and that
// PowerShell, found without the PATH, is told to skip the profile scripts
// (the stand-in prints STANDIN_PROFILE as a profile would).
TEST(RunCommandLine, NoAutoRunNoProfileAndPowerShellByItsPath) {
    wtest::SetStandin(L"STANDIN_PROFILE", L"profile ran");
    std::wstring out;
    {
        ImportPatch patch("CreateProcessW", reinterpret_cast<void*>(&RecordingCreateProcessW));
        ASSERT_TRUE(patch.ok());
        EXPECT_EQ(1, RunCommand(L"powershell -NoProfile -NonInteractive -command \"[Environment]::Is64BitProcess\"", out));
    }
    const std::wstring withProfile = Collect(L"powershell -command \"[Environment]::Is64BitProcess\"");
    wtest::SetStandin(L"STANDIN_PROFILE", nullptr);
    wchar_t folder[MAX_PATH];
    const std::wstring system(folder, GetSystemDirectoryW(folder, MAX_PATH));
    EXPECT_EQ(L"cmd /D /S /C \"\"" + system + L"\\WindowsPowerShell\\v1.0\\powershell.exe\" -NoProfile -NonInteractive "
              L"-command \"[Environment]::Is64BitProcess\"\"",
              g_startedLine);
    EXPECT_EQ(L"True\r\n", out);
    EXPECT_EQ(L"profile ran\r\nTrue\r\n", withProfile) << "the stand-in's profile must show without -NoProfile";
    {
        ImportPatch patch("CreateProcessW", reinterpret_cast<void*>(&RecordingCreateProcessW));
        ASSERT_TRUE(patch.ok());
        Collect(L"sc query NoSuchServiceAtAll");
    }
    EXPECT_EQ(L"cmd /D /S /C \"\"" + system + L"\\sc.exe\" query NoSuchServiceAtAll\"", g_startedLine);
}

// The commands run elevated: whatever the user's environment adds to PATH or
// PSModulePath (folders the user can write to) must not reach them, nor a
// switch that stops cmd from finding the system's sc in its own folder.
TEST(RunCommandLine, CommandsSeeOnlyTheSystemsFolders) {
    wchar_t buf[8192];
    const DWORD n = GetEnvironmentVariableW(L"PATH", buf, 8192);
    const std::wstring oldPath(buf, n < 8192 ? n : 0);
    const std::wstring user = L"C:\\users\\Public\\AppData\\Local\\Microsoft\\WindowsApps";
    SetEnvironmentVariableW(L"PATH", (user + L";" + oldPath).c_str());
    SetEnvironmentVariableW(L"PSModulePath", L"C:\\users\\Public\\Documents\\WindowsPowerShell\\Modules");
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
    const std::wstring path = Collect(L"powershell -NoProfile -command \"$env:PATH\"");
    const std::wstring modules = Collect(L"powershell -NoProfile -command \"$env:PSModulePath\"");
    const std::wstring noCwd = Collect(L"powershell -NoProfile -command \"$env:NoDefaultCurrentDirectoryInExePath\"");
    long long scExit = -2;
    std::wstring sc;
    RunCommandWithin(L"sc query NoSuchServiceAtAll", sc, kCommandDeadlineMs, &scExit);
    SetEnvironmentVariableW(L"PATH", oldPath.c_str());
    SetEnvironmentVariableW(L"PSModulePath", nullptr);
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", nullptr);

    wchar_t folder[MAX_PATH];
    const std::wstring system(folder, GetSystemDirectoryW(folder, MAX_PATH));
    wchar_t windowsBuf[MAX_PATH];
    const std::wstring windows(windowsBuf, GetSystemWindowsDirectoryW(windowsBuf, MAX_PATH));
    EXPECT_EQ(system + L";" + windows + L";" + system + L"\\Wbem;" + system + L"\\WindowsPowerShell\\v1.0\\\r\n", path);
    EXPECT_EQ(system + L"\\WindowsPowerShell\\v1.0\\Modules\r\n", modules);
    EXPECT_EQ(L"\r\n", noCwd);
    EXPECT_EQ(1060, scExit) << sc;
}

TEST(ProcessUtilities, FixedDrivesAreNotUsb) {
    std::vector<std::wstring> drives = {L"keep"};
    EXPECT_EQ(1, GetUsbDrives(drives));  // the list was not empty to begin with
    EXPECT_EQ(1u, drives.size());
    std::vector<std::wstring> none;
    EXPECT_EQ(0, GetUsbDrives(none));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(0, IsUsbDrive(L"C:\\"));
}

// The stand-ins against Wine's real service control manager.
TEST(StandIns, ServiceLifecycleAsTheToolSeesIt) {
    const std::wstring service = wtest::TestEnvBin() + L"\\hubrelay-service.exe";
    Collect(L"sc delete HubrelayService");
    const std::wstring created =
        Collect(L"sc create HubrelayService binPath= \"" + service + L"\" DisplayName= \"Tessaro Veride Hubrelay\"");
    ASSERT_NE(std::wstring::npos, created.find(L"[SC] CreateService 成功")) << created;

    const std::wstring query = L"powershell -command \"Microsoft.PowerShell.Management\\Get-Service -Name "
                               L"HubrelayService | Microsoft.PowerShell.Utility\\Format-List\"";
    const std::wstring listed = Collect(query);
    EXPECT_EQ(0u, listed.find(L"\r\nName                : HubrelayService\r\n")) << listed;
    EXPECT_NE(std::wstring::npos, listed.find(L"DisplayName         : Tessaro Veride Hubrelay\r\n"));
    EXPECT_NE(std::wstring::npos, listed.find(L"Status              : Stopped\r\n"));

    const std::wstring started = Collect(L"sc start HubrelayService");
    EXPECT_NE(std::wstring::npos, started.find(L"SERVICE_NAME: HubrelayService")) << started;
    const std::wstring stopped = Collect(L"sc stop HubrelayService");
    EXPECT_NE(std::wstring::npos, stopped.find(L"STOP")) << stopped;

    const std::wstring deleted = Collect(L"sc delete HubrelayService");
    EXPECT_NE(std::wstring::npos, deleted.find(L"[SC] DeleteService 成功")) << deleted;

    const std::wstring absent = Collect(query);
    EXPECT_EQ(std::wstring::npos, absent.find(L"Name                :"));
    EXPECT_NE(std::wstring::npos,
              absent.find(L"FullyQualifiedErrorId : NoServiceFoundForGivenName,Microsoft.PowerShell.Commands.GetServiceCommand"))
        << absent;
}

TEST(StandIns, StopOfAServiceThatIsNotRunningReportsTheZhCnError) {
    const std::wstring service = wtest::TestEnvBin() + L"\\hubrelay-service.exe";
    Collect(L"sc create HubrelayStopTest binPath= \"" + service + L"\"");
    const std::wstring out = Collect(L"sc stop HubrelayStopTest");
    Collect(L"sc delete HubrelayStopTest");
    EXPECT_NE(std::wstring::npos, out.find(L"[SC] ControlService 失败 1062:\r\n\r\n服务尚未启动。")) << out;
}

TEST(StandIns, WmiCaptionComesFromTheTest) {
    wtest::SetStandin(L"STANDIN_OS_CAPTION", L"Microsoft Windows 11 家庭中文版");
    const std::wstring out = Collect(L"powershell -command \"Get-WmiObject -Class Win32_OSRecoveryConfiguration\"");
    wtest::SetStandin(L"STANDIN_OS_CAPTION", nullptr);
    EXPECT_NE(std::wstring::npos,
              out.find(L"Name                       : Microsoft Windows 11 家庭中文版|C:\\Windows|\\Device\\Harddisk0\\Partition2\r\n"))
        << out;
}

}  // namespace
