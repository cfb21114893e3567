#include "ScriptedRunner.h"
#include "engine/UninstallCore.h"

#include <gtest/gtest.h>

#include <utility>

using namespace hrengine;

namespace {

// PowerShell's list layout of a present service.
const std::wstring kPresentListing =
    L"\r\n\r\nName                : HubrelayService\r\nDisplayName         : Tessaro Veride Hubrelay\r\n"
    L"Status              : Running\r\nDependentServices   : {}\r\nServicesDependedOn  : {}\r\n"
    L"CanPauseAndContinue : False\r\nCanShutdown         : False\r\nCanStop             : True\r\n"
    L"ServiceType         : Win32OwnProcess\r\n\r\n\r\n\r\n";

// PowerShell's zh-CN error record for a service that does not exist.
const std::wstring kAbsentErrorRecord =
    L"get-service : 找不到任何服务名称为“HubrelayService”的服务。\r\n"
    L"所在位置 行:1 字符: 1\r\n"
    L"+ get-service -name HubrelayService | Format-List\r\n"
    L"+ ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\r\n"
    L"    + CategoryInfo          : ObjectNotFound: (HubrelayService:String) [Get-Service], "
    L"ServiceCommandException\r\n"
    L"    + FullyQualifiedErrorId : NoServiceFoundForGivenName,Microsoft.PowerShell.Commands."
    L"GetServiceCommand\r\n\r\n";

const std::wstring kDeleteOk = L"[SC] DeleteService 成功\r\n";
const std::wstring kDeleteOkEnglish = L"[SC] DeleteService SUCCESS\r\n";

}  // namespace

TEST(ServiceListing, NameLineWithTheServiceIsListed) {
    EXPECT_EQ(1, IsServiceListedInText(kPresentListing));
    EXPECT_EQ(1, IsServiceListedInText(L"Name : HubrelayService"));  // last line, no line break
    EXPECT_EQ(1, IsServiceListedInText(L"Name:HubrelayService\r\n"));
    // The value only has to contain the name.
    EXPECT_EQ(1, IsServiceListedInText(L"Name                : HubrelayServiceHelper\r\n"));
    EXPECT_EQ(1, IsServiceListedInText(L"Name                : OldHubrelayService\r\n"));
}

TEST(ServiceListing, TextsWithoutAListedServiceAreRefused) {
    EXPECT_EQ(0, IsServiceListedInText(L""));
    EXPECT_EQ(0, IsServiceListedInText(L"HubrelayService\r\n"));           // no "Name"
    EXPECT_EQ(0, IsServiceListedInText(L"Name HubrelayService\r\n"));      // no colon
    EXPECT_EQ(0, IsServiceListedInText(L"Name                : Spooler\r\nDisplayName : HubrelayService\r\n"));
    EXPECT_EQ(0, IsServiceListedInText(L"name                : HubrelayService\r\n"));  // case
    EXPECT_EQ(0, IsServiceListedInText(L"Name                : hubrelayservice\r\n"));
    EXPECT_EQ(0, IsServiceListedInText(L"NAME                : HubrelayService\r\n"));
    EXPECT_EQ(0, IsServiceListedInText(kAbsentErrorRecord));
}

TEST(ServiceListing, OnlyTheFirstNameLineCounts) {
    // "DisplayName" contains "Name", and it comes first here.
    EXPECT_EQ(0, IsServiceListedInText(L"DisplayName : Other\r\nName : HubrelayService\r\n"));
    // A bare line feed does not end the value.
    EXPECT_EQ(1, IsServiceListedInText(L"Name : x\nStatus : HubrelayService\r\n"));
}

namespace {

struct UninstallRun {
    ScriptedRunner runner;
    std::vector<std::wstring> records;
    std::vector<std::pair<unsigned int, std::uintptr_t>> messages;

    UninstallResult Go() {
        return RunUninstall(runner.Fn(), [this](const std::wstring& t) { records.push_back(t); },
                            [this](unsigned int m, std::uintptr_t w) { messages.emplace_back(m, w); });
    }
    void ExpectMessages(UninstallResult result) const {
        ASSERT_EQ(2u, messages.size());
        EXPECT_EQ(1525u, messages[0].first);
        EXPECT_EQ(0u, messages[0].second);
        EXPECT_EQ(1527u, messages[1].first);
        EXPECT_EQ(static_cast<std::uintptr_t>(result), messages[1].second);
    }
};

}  // namespace

TEST(UninstallSequence, AbsentServiceIsNeitherStoppedNorDeleted) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kAbsentErrorRecord);
    EXPECT_EQ(RESULT_NOT_PRESENT, run.Go());
    EXPECT_EQ(std::vector<std::wstring>({kQueryCommand}), run.runner.calls);
    EXPECT_EQ(std::vector<std::wstring>({L"系统中未找到指定的服务"}), run.records);
    run.ExpectMessages(RESULT_NOT_PRESENT);
}

TEST(UninstallSequence, PresentServiceIsQueriedStoppedAndDeletedInOrder) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing);
    run.runner.Answer(kStopCommand, 1, L"[SC] ControlService 失败 1062:\r\n\r\n服务尚未启动。\r\n");
    run.runner.Answer(kDeleteCommand, 1, kDeleteOk);
    EXPECT_EQ(RESULT_REMOVED, run.Go());
    EXPECT_EQ(std::vector<std::wstring>({
                  L"powershell -command \"get-service -name HubrelayService | Format-List\"",
                  L"sc stop HubrelayService", L"sc delete HubrelayService"}),
              run.runner.calls);
    EXPECT_TRUE(run.records.empty());
    run.ExpectMessages(RESULT_REMOVED);
}

TEST(UninstallSequence, DeleteWithoutTheSuccessWordFails) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing);
    run.runner.Answer(kDeleteCommand, 1, kDeleteOkEnglish);
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(3u, run.runner.calls.size());
    EXPECT_EQ(std::vector<std::wstring>({L"卸载服务失败"}), run.records);
    run.ExpectMessages(RESULT_FAILED);
}

TEST(UninstallSequence, QueryThatCannotRunIsAFailureNotAbsence) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 0, L"");
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(1u, run.runner.calls.size());
    EXPECT_EQ(std::vector<std::wstring>({L"执行查询服务失败"}), run.records);
    run.ExpectMessages(RESULT_FAILED);
}

TEST(UninstallSequence, StopThatCannotRunStopsTheRun) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing);
    run.runner.Answer(kStopCommand, 0, L"");
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(2u, run.runner.calls.size());
    EXPECT_EQ(std::vector<std::wstring>({L"执行停止服务失败"}), run.records);
    run.ExpectMessages(RESULT_FAILED);
}

TEST(UninstallSequence, DeleteThatCannotRunFails) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing);
    run.runner.Answer(kDeleteCommand, 0, L"");
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(3u, run.runner.calls.size());
    EXPECT_EQ(std::vector<std::wstring>({L"执行卸载服务失败"}), run.records);
    run.ExpectMessages(RESULT_FAILED);
}

TEST(UninstallSequence, EachCommandIsJudgedByItsOwnText) {
    // The query's listing must not make the delete look successful, nor the
    // stop's "成功" stand in for the delete's.
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing + L"成功");
    run.runner.Answer(kStopCommand, 1, L"[SC] ControlService 成功\r\n");
    run.runner.Answer(kDeleteCommand, 1, L"[SC] OpenService 失败 1060:\r\n");
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(std::vector<std::wstring>({L"卸载服务失败"}), run.records);
}
