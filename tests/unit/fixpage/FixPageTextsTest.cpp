#include "fixpage/FixPageTexts.h"
#include "engine/UninstallMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fixpage;

namespace {

std::wstring W(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(L"(null)"); }

// Gate checks that record the order in which they were asked.
struct Recorder {
    std::vector<int> asked;
    GateChecks Checks(int notify, int system, int load, int init) {
        GateChecks c;
        c.notifyWindow = [this, notify] { asked.push_back(0); return notify; };
        c.supportedSystem = [this, system] { asked.push_back(1); return system; };
        c.libraryLoad = [this, load] { asked.push_back(2); return load; };
        c.libraryInit = [this, init] { asked.push_back(3); return init; };
        return c;
    }
};

}  // namespace

TEST(StartupGates, AllPassingRunsEveryGateInOrder) {
    Recorder r;
    EXPECT_EQ(FirstFailedGate(r.Checks(1, 1, 1, 1)), kGateCount);
    EXPECT_EQ(r.asked, (std::vector<int>{0, 1, 2, 3}));
}

TEST(StartupGates, TheFirstFailureStopsTheRest) {
    {
        Recorder r;
        EXPECT_EQ(FirstFailedGate(r.Checks(0, 1, 1, 1)), kGateNotifyWindow);
        EXPECT_EQ(r.asked, (std::vector<int>{0}));
    }
    {
        // Unsupported system with the library also missing: only the system
        // gate reports, the library is never even looked for.
        Recorder r;
        EXPECT_EQ(FirstFailedGate(r.Checks(1, 0, 0, 0)), kGateSupportedSystem);
        EXPECT_EQ(r.asked, (std::vector<int>{0, 1}));
    }
    {
        Recorder r;
        EXPECT_EQ(FirstFailedGate(r.Checks(1, 1, 0, 1)), kGateLibraryLoad);
        EXPECT_EQ(r.asked, (std::vector<int>{0, 1, 2}));
    }
    {
        Recorder r;
        EXPECT_EQ(FirstFailedGate(r.Checks(1, 1, 1, 0)), kGateLibraryInit);
        EXPECT_EQ(r.asked, (std::vector<int>{0, 1, 2, 3}));
    }
}

TEST(StartupGates, AnyNonZeroResultPasses) {
    Recorder r;
    EXPECT_EQ(FirstFailedGate(r.Checks(1, 7, -1, 2)), kGateCount);
}

TEST(StartupGates, AMissingCheckCountsAsFailed) {
    Recorder r;
    GateChecks c = r.Checks(1, 1, 1, 1);
    c.libraryLoad = nullptr;
    EXPECT_EQ(FirstFailedGate(c), kGateLibraryLoad);
    EXPECT_EQ(r.asked, (std::vector<int>{0, 1}));
}

TEST(StartupGates, EachGateLogsItsOwnRecordAndOnlyTheSystemGateNamesItsCause) {
    EXPECT_EQ(W(ReportFor(kGateNotifyWindow).logText), L"设置接收消息窗口指针失败");
    EXPECT_EQ(W(ReportFor(kGateNotifyWindow).promptText), L"工具初始化失败");
    EXPECT_EQ(W(ReportFor(kGateSupportedSystem).logText), L"此工具不支持当前系统");
    EXPECT_EQ(W(ReportFor(kGateSupportedSystem).promptText), L"此工具不支持当前系统");
    EXPECT_EQ(W(ReportFor(kGateLibraryLoad).logText), L"加载反馈DLL失败");
    EXPECT_EQ(W(ReportFor(kGateLibraryLoad).promptText), L"工具初始化失败");
    EXPECT_EQ(W(ReportFor(kGateLibraryInit).logText), L"初始化反馈DLL失败");
    EXPECT_EQ(W(ReportFor(kGateLibraryInit).promptText), L"工具初始化失败");
    EXPECT_EQ(ReportFor(kGateCount).logText, nullptr);
}

TEST(UpdateNotice, OnlyTheAnswerThreeShowsANotice) {
    for (int answer : {0, 1, 2, 4, -1, 300}) {
        for (int kind : {0, 1, 2}) {
            const UpdateNotice n = NoticeFor(answer, kind);
            EXPECT_FALSE(n.show) << answer << "/" << kind;
            EXPECT_FALSE(n.openDownloadPage);
        }
    }
}

TEST(UpdateNotice, LauncherClientsAreNamedAndOpenNothing) {
    UpdateNotice n = NoticeFor(3, 1);
    EXPECT_TRUE(n.show);
    EXPECT_EQ(W(n.text), L"检测到当前工具有新的版本，请在Corvath客户端下载最新版本使用。");
    EXPECT_FALSE(n.openDownloadPage);

    n = NoticeFor(3, 2);
    EXPECT_TRUE(n.show);
    EXPECT_EQ(W(n.text), L"检测到当前工具有新的版本，请在Kestra客户端下载最新版本使用。");
    EXPECT_FALSE(n.openDownloadPage);
}

TEST(UpdateNotice, AnyOtherKindGetsTheGenericNoticeAndTheDownloadPage) {
    for (int kind : {0, -1, 3, 99}) {
        const UpdateNotice n = NoticeFor(3, kind);
        EXPECT_TRUE(n.show);
        EXPECT_EQ(W(n.text), L"检测到当前工具有新的版本，请下载最新版本使用。");
        EXPECT_TRUE(n.openDownloadPage);
    }
}

TEST(UninstallRun, OutcomeTexts) {
    EXPECT_EQ(W(OutcomeText(1)), L"Tessaro Veride Hubrelay 服务卸载完成，重启计算机后生效");
    EXPECT_EQ(W(OutcomeText(2)), L"Tessaro Veride Hubrelay 服务卸载失败");
    EXPECT_EQ(W(OutcomeText(3)), L"因为未能在系统中找到Tessaro Veride Hubrelay 服务，所以无需进行卸载");
    for (long long other : {0LL, 4LL, -1LL, 0x100000001LL}) EXPECT_EQ(OutcomeText(other), nullptr) << other;
    EXPECT_EQ(W(kProgressText), L"Tessaro Veride Hubrelay 服务卸载中，请稍等");
    EXPECT_EQ(W(kWorkerNotStartedText), L"Tessaro Veride Hubrelay 服务卸载中失败！");
}

TEST(UninstallRun, OnlyACheckedAgreementEnablesTheButton) {
    EXPECT_TRUE(UninstallEnabledFor(1));
    EXPECT_FALSE(UninstallEnabledFor(0));
    EXPECT_FALSE(UninstallEnabledFor(2));  // indeterminate
    EXPECT_FALSE(UninstallEnabledFor(-1));
}

// A desktop run's event: the word the event log's table knows, the result
// line first with the same exit code a quiet run gives, then the evidence.
TEST(DesktopEvents, OutcomesAndFailedGatesGiveTheQuietRunsWordsAndCodes) {
    struct Case {
        fixpage::DesktopEvent event;
        const wchar_t* word;
        const wchar_t* first;
    };
    const std::vector<std::wstring> steps = {L"query: powershell exit 0, listed", L"delete: sc exit 0"};
    const Case cases[] = {
        {fixpage::DesktopEventFor(RESULT_REMOVED, steps), L"removed", L"RESULT=0 removed"},
        {fixpage::DesktopEventFor(RESULT_NOT_PRESENT, {}), L"not-present", L"RESULT=0 not-present"},
        {fixpage::DesktopEventFor(RESULT_FAILED, {}), L"failed", L"RESULT=1603 failed"},
        {fixpage::DesktopEventFor(0, {}), L"failed", L"RESULT=1603 failed"},
        {fixpage::DesktopEventForGate(fixpage::kGateSupportedSystem, false), L"unsupported-os", L"RESULT=1150 unsupported-os"},
        {fixpage::DesktopEventForGate(fixpage::kGateLibraryLoad, false), L"companion-missing", L"RESULT=126 companion-missing"},
        {fixpage::DesktopEventForGate(fixpage::kGateLibraryLoad, true), L"companion-untrusted", L"RESULT=577 companion-untrusted"},
        {fixpage::DesktopEventForGate(fixpage::kGateLibraryInit, false), L"companion-failed", L"RESULT=1114 companion-failed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.event.word, c.word);
        EXPECT_EQ(c.event.text.substr(0, c.event.text.find(L"\r\n")), c.first);
        EXPECT_NE(c.event.text.find(L"\r\nTessaro Veride Hubrelay uninstall tool 1.2.24.1010\r\nmode: desktop\r\n"),
                  std::wstring::npos);
    }
    EXPECT_NE(cases[0].event.text.find(L"mode: desktop\r\nquery: powershell exit 0, listed\r\ndelete: sc exit 0\r\n"),
              std::wstring::npos);
}
