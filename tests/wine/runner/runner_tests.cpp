// The command runner against real processes, pipes and Wine's service manager.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "engine/CommandRunner.h"

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

TEST(RunCommandOutput, FailingCommandStillCountsAsRunAndItsErrorIsCollected) {
    int r = 0;
    const std::wstring out = Collect(Emit(L"exit 3"), &r);
    EXPECT_EQ(1, r);
    EXPECT_EQ(L"failing on purpose\r\n", out);

    const std::wstring sc = Collect(L"sc delete NoSuchServiceAtAll", &r);
    EXPECT_EQ(1, r);
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

TEST(ProcessUtilities, SixtyFourBitProcessIsNotWow64) {
    EXPECT_EQ(0, IsWow64());
    EXPECT_EQ(0, IsWow64());  // the cached lookup answers the same
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

    const std::wstring query = L"powershell -command \"get-service -name HubrelayService | Format-List\"";
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
    SetEnvironmentVariableW(L"STANDIN_OS_CAPTION", L"Microsoft Windows 11 家庭中文版");
    const std::wstring out = Collect(L"powershell -command \"Get-WmiObject -Class Win32_OSRecoveryConfiguration\"");
    SetEnvironmentVariableW(L"STANDIN_OS_CAPTION", nullptr);
    EXPECT_NE(std::wstring::npos,
              out.find(L"Name                       : Microsoft Windows 11 家庭中文版|C:\\Windows|\\Device\\Harddisk0\\Partition2\r\n"))
        << out;
}

}  // namespace
