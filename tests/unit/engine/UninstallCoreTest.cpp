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

}  // namespace

TEST(ServiceListing, NameLineWithTheServiceIsListed) {
    EXPECT_EQ(1, IsServiceListedInText(kPresentListing));
    EXPECT_EQ(1, IsServiceListedInText(L"Name : HubrelayService"));  // last line, no line break
    EXPECT_EQ(1, IsServiceListedInText(L"Name:HubrelayService\r\n"));
    // The value only has to contain the name, in any letter case (service
    // names are not case-sensitive).
    EXPECT_EQ(1, IsServiceListedInText(L"Name                : HubrelayServiceHelper\r\n"));
    EXPECT_EQ(1, IsServiceListedInText(L"Name                : hubrelayservice\r\n"));
    EXPECT_EQ(1, IsServiceListedInText(L"Name                : HUBRELAYSERVICE\n"));
    // Every listing line counts, not only the first "Name" in the text.
    EXPECT_EQ(1, IsServiceListedInText(L"DisplayName : Other\r\nName : HubrelayService\r\n"));
}

TEST(ServiceListing, TextsWithoutAListedServiceAreRefused) {
    EXPECT_EQ(0, IsServiceListedInText(L""));
    EXPECT_EQ(0, IsServiceListedInText(L"HubrelayService\r\n"));           // no "Name"
    EXPECT_EQ(0, IsServiceListedInText(L"Name HubrelayService\r\n"));      // no colon
    EXPECT_EQ(0, IsServiceListedInText(L"Name                : Spooler\r\nDisplayName : HubrelayService\r\n"));
    EXPECT_EQ(0, IsServiceListedInText(L"NAME                : HubrelayService\r\n"));  // not the property
    EXPECT_EQ(0, IsServiceListedInText(L"    Name : HubrelayService\r\n"));  // not at the line's start
    EXPECT_EQ(0, IsServiceListedInText(L"Name : x\nStatus : HubrelayService\r\n"));
    EXPECT_EQ(0, IsServiceListedInText(kAbsentErrorRecord));
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

// Absence needs the query's word for it; a text that says neither is a query
// that did not run (no PowerShell, blocked, crashed), and nothing is touched.
TEST(UninstallSequence, OnlyAQueryThatSaysSoMakesTheServiceAbsent) {
    struct Case {
        const wchar_t* text;
        UninstallResult outcome;
        const wchar_t* record;
    };
    const Case cases[] = {
        {kAbsentErrorRecord.c_str(), RESULT_NOT_PRESENT, L"系统中未找到指定的服务"},
        // The error id is what counts, in whatever language the message is.
        {L"Get-Service : Cannot find any service with service name 'HubrelayService'.\r\n"
         L"    + FullyQualifiedErrorId : NoServiceFoundForGivenName,Microsoft.PowerShell.Commands.GetServiceCommand\r\n",
         RESULT_NOT_PRESENT, L"系统中未找到指定的服务"},
        {L"Name                : Spooler\r\n", RESULT_NOT_PRESENT, L"系统中未找到指定的服务"},
        {L"", RESULT_FAILED, L"执行查询服务失败"},
        {L"'powershell' 不是内部或外部命令，也不是可运行的程序\r\n或批处理文件。\r\n", RESULT_FAILED, L"执行查询服务失败"},
        {L"此程序被组策略阻止。有关详细信息，请与系统管理员联系。\r\n", RESULT_FAILED, L"执行查询服务失败"},
        // "Name" inside a message and "Name : value" in an error record are
        // no listing of another service.
        {L"Die Benennung \"get-service\" wurde nicht als Name eines Cmdlet erkannt.\r\n"
         L"    + CategoryInfo          : ObjectNotFound: (get-service:String) [], CommandNotFoundException\r\n",
         RESULT_FAILED, L"执行查询服务失败"},
        {L"Name : \r\n", RESULT_FAILED, L"执行查询服务失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.outcome) << " " << c.text);
        UninstallRun run;
        run.runner.Answer(kQueryCommand, 1, c.text);
        EXPECT_EQ(c.outcome, run.Go());
        EXPECT_EQ(std::vector<std::wstring>({kQueryCommand}), run.runner.calls);
        EXPECT_EQ(std::vector<std::wstring>({c.record}), run.records);
        run.ExpectMessages(c.outcome);
    }
}

TEST(UninstallSequence, PresentServiceIsQueriedStoppedAndDeletedInOrder) {
    UninstallRun run;
    run.runner.Answer(kQueryCommand, 1, kPresentListing);
    run.runner.Answer(kStopCommand, 1, L"[SC] ControlService 失败 1062:\r\n\r\n服务尚未启动。\r\n");
    run.runner.Answer(kDeleteCommand, 1, kDeleteOk, 0);
    EXPECT_EQ(RESULT_REMOVED, run.Go());
    EXPECT_EQ(std::vector<std::wstring>({
                  L"powershell -NoProfile -NonInteractive -command \"Microsoft.PowerShell.Management\\Get-Service "
                  L"-Name HubrelayService | Microsoft.PowerShell.Utility\\Format-List\"",
                  L"sc stop HubrelayService", L"sc delete HubrelayService"}),
              run.runner.calls);
    EXPECT_TRUE(run.records.empty());
    run.ExpectMessages(RESULT_REMOVED);
}

// sc's exit code is its verdict in every language and wins over its words;
// only without one do the words, then a second query, decide.
TEST(UninstallSequence, DeleteIsJudgedBySCsExitCode) {
    const long long kNone = kNoExitCode;
    struct Case {
        long long exitCode;
        const wchar_t* deleteText;
        int requeryStarted;
        std::wstring requeryText;
        UninstallResult outcome;
        size_t calls;
    };
    const Case cases[] = {
        // A delete that marks a service still stopping: it stays listed.
        {0, L"[SC] DeleteService SUCCESS\r\n", 1, kPresentListing, RESULT_REMOVED, 3},
        {0, L"[SC] DeleteService FAILED 5:\r\n\r\nAccess is denied.\r\n", 1, kPresentListing, RESULT_REMOVED, 3},
        {1072, L"[SC] DeleteService FAILED 5:\r\n", 1, kPresentListing, RESULT_REMOVED, 3},
        {1060, L"[SC] OpenService 失败 5:\r\n", 1, kPresentListing, RESULT_REMOVED, 3},
        {5, kDeleteOk.c_str(), 1, kAbsentErrorRecord, RESULT_FAILED, 3},
        {9009, kDeleteOk.c_str(), 1, kAbsentErrorRecord, RESULT_FAILED, 3},
        // No exit code: the words, then the service manager.
        {kNone, kDeleteOk.c_str(), 1, kPresentListing, RESULT_REMOVED, 3},
        {kNone, L"[SC] DeleteService FAILED 1072:\r\n\r\nThe specified service has been marked for deletion.\r\n", 1,
         kPresentListing, RESULT_REMOVED, 3},
        {kNone, L"[SC] OpenService FAILED 1060:\r\n", 1, kPresentListing, RESULT_REMOVED, 3},
        {kNone, L"[SC] DeleteService ERFOLG\r\n", 1, kAbsentErrorRecord, RESULT_REMOVED, 4},
        {kNone, L"[SC] DeleteService SUCCESS\r\n", 1, kPresentListing, RESULT_FAILED, 4},
        {kNone, L"[SC] DeleteService SUCCESS\r\n", 1, L"", RESULT_FAILED, 4},
        {kNone, L"[SC] DeleteService SUCCESS\r\n", 0, L"", RESULT_FAILED, 4},
        {kNone, L"[SC] DeleteService FAILED 10720:\r\n", 1, kPresentListing, RESULT_FAILED, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.exitCode << " " << c.deleteText << " / " << c.requeryText);
        UninstallRun run;
        run.runner.Answer(kQueryCommand, 1, kPresentListing, 0);
        run.runner.Answer(kQueryCommand, c.requeryStarted, c.requeryText, 1);
        run.runner.Answer(kDeleteCommand, 1, c.deleteText, c.exitCode);
        EXPECT_EQ(c.outcome, run.Go());
        ASSERT_EQ(c.calls, run.runner.calls.size());
        if (c.calls == 4) {
            EXPECT_EQ(kQueryCommand, run.runner.calls[3]);
        }
        EXPECT_EQ(c.outcome == RESULT_REMOVED ? std::vector<std::wstring>()
                                              : std::vector<std::wstring>({L"卸载服务失败"}),
                  run.records);
        run.ExpectMessages(c.outcome);
    }
}

// A run nobody watches tells a removal done now from one the next restart
// completes, by sc's exit code for the state after the delete, waiting a
// bounded time for a stop in progress.
TEST(UninstallSequence, AfterTheDeleteTheStateDecidesWhetherARestartCompletesIt) {
    constexpr long long kDidNotRun = -2;
    struct Case {
        long long deleteExit;
        std::vector<long long> states;  // sc query's exit codes, in turn; kDidNotRun: past its deadline
        bool restartNeeded;
        size_t stateLooks;
        const wchar_t* lastStep;
    };
    const Case cases[] = {
        {0, {1060}, false, 1, L"after delete: sc query exit 1060, gone"},
        {0, {0, 0, 1060}, false, 3, L"after delete: sc query exit 1060, gone"},
        {1072, {0}, true, 4, L"after delete: sc query exit 0, still listed after 3 s"},
        {0, {kNoExitCode}, true, 4, L"after delete: sc query exit unknown, not seen gone after 3 s"},
        {1060, {0}, false, 0, L"delete: sc exit 1060"},
        // a hung look ends the wait instead of being tried again and again
        {0, {0, kDidNotRun}, true, 2, L"after delete: sc query did not run, not seen gone after 1 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.deleteExit << " " << c.lastStep);
        ScriptedRunner runner;
        runner.Answer(kQueryCommand, 1, kPresentListing, 0);
        runner.Answer(kDeleteCommand, 1, L"", c.deleteExit);
        for (long long state : c.states) runner.Answer(kStateCommand, state == kDidNotRun ? 0 : 1, L"", state);
        std::vector<unsigned long> pauses;
        UninstallOptions options;
        options.settleMs = 3000;
        options.pause = [&pauses](unsigned long ms) { pauses.push_back(ms); };
        std::vector<std::wstring> records;
        const UninstallReport report =
            RunUninstallSteps(runner.Fn(), [&records](const std::wstring& t) { records.push_back(t); }, options);
        EXPECT_EQ(RESULT_REMOVED, report.result);
        EXPECT_EQ(c.restartNeeded, report.restartNeeded);
        EXPECT_TRUE(records.empty());
        EXPECT_EQ(3u + c.stateLooks, runner.calls.size());
        EXPECT_EQ(c.stateLooks ? c.stateLooks - 1 : 0u, pauses.size());
        ASSERT_FALSE(report.steps.empty());
        EXPECT_EQ(c.lastStep, report.steps.back());
        EXPECT_EQ(L"delete: sc exit " + std::to_wstring(c.deleteExit), report.steps[2]);
    }
}

// The wait after the delete is counted by the clock: looks that each take
// two seconds end a 15 s wait after about five of them, not fifteen.
TEST(UninstallSequence, TheWaitAfterTheDeleteIsMeasuredByTheClock) {
    unsigned long long clock = 0;
    ScriptedRunner runner;
    runner.Answer(kQueryCommand, 1, kPresentListing, 0);
    runner.Answer(kDeleteCommand, 1, L"", 0);
    runner.Answer(kStateCommand, 1, L"", 0);
    const hrengine::CommandRunnerFn timed = [&](std::wstring command, std::wstring& output, long long& exitCode) {
        if (command == kStateCommand) clock += 2000;
        return runner.Fn()(command, output, exitCode);
    };
    UninstallOptions options;
    options.settleMs = 15000;
    options.pause = [&clock](unsigned long ms) { clock += ms; };
    options.now = [&clock] { return clock; };
    std::vector<std::wstring> streamed;
    options.onStep = [&streamed](const std::wstring& line) { streamed.push_back(line); };
    const UninstallReport report = RunUninstallSteps(timed, [](const std::wstring&) {}, options);
    EXPECT_TRUE(report.restartNeeded);
    const size_t looks = runner.calls.size() - 3;
    EXPECT_EQ(6u, looks);  // at 0, 3, 6, 9, 12 and 15 s
    EXPECT_GE(clock, 15000u);
    EXPECT_LT(clock, 15000u + 3000u);
    EXPECT_EQ(L"after delete: sc query exit 0, still listed after 15 s", report.steps.back());
    // Every line reached the listener, in order, as it was made.
    EXPECT_EQ(report.steps, streamed);
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
    run.runner.Answer(kDeleteCommand, 1, L"[SC] DeleteService 失败 5:\r\n", 5);
    EXPECT_EQ(RESULT_FAILED, run.Go());
    EXPECT_EQ(std::vector<std::wstring>({L"卸载服务失败"}), run.records);
}
