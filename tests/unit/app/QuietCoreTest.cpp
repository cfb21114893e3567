#include "app/QuietCore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quiet;

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

}  // namespace

TEST(QuietSwitches, EveryQuietSpellingInAnyCaseAndPrefix) {
    for (const wchar_t* name : {L"quiet", L"QUIET", L"q", L"Qn", L"s", L"silent", L"VerySilent"}) {
        for (const wchar_t* prefix : {L"/", L"-", L"--"}) {
            const CommandLine cl = ParseCommandLine({std::wstring(prefix) + name, L"/NoRestart"});
            EXPECT_TRUE(cl.quiet) << Narrow(std::wstring(prefix) + name);
            EXPECT_EQ(cl.error, SwitchError::None) << Narrow(std::wstring(prefix) + name);
        }
    }
    EXPECT_FALSE(ParseCommandLine({}).quiet);
    EXPECT_FALSE(ParseCommandLine({L"/norestart"}).quiet);
}

TEST(QuietSwitches, LogFileInItsThreeFormsKeepsItsCase) {
    for (const std::vector<std::wstring>& args :
         std::vector<std::vector<std::wstring>>{{L"/log", L"C:\\Logs\\Run.log"},
                                                {L"/LOG:C:\\Logs\\Run.log"},
                                                {L"--log=C:\\Logs\\Run.log", L"/q"}}) {
        const CommandLine cl = ParseCommandLine(args);
        EXPECT_EQ(cl.error, SwitchError::None) << Narrow(args[0]);
        EXPECT_TRUE(cl.hasLog);
        EXPECT_EQ(cl.logPath, L"C:\\Logs\\Run.log") << Narrow(args[0]);
    }
    // A file whose name begins with a dash is still a file.
    EXPECT_EQ(ParseCommandLine({L"/log", L"-run.log"}).logPath, L"-run.log");
}

TEST(QuietSwitches, RefusedArgumentsNameTheFirstOffender) {
    struct Case {
        std::vector<std::wstring> args;
        SwitchError error;
        std::wstring offending;
    };
    const Case cases[] = {
        {{L"/quiet", L"/x"}, SwitchError::Unknown, L"/x"},
        {{L"/quieter"}, SwitchError::Unknown, L"/quieter"},
        {{L"/"}, SwitchError::Unknown, L"/"},
        {{L"quiet"}, SwitchError::NotASwitch, L"quiet"},
        {{L"/log"}, SwitchError::LogWithoutFile, L"/log"},
        {{L"/log", L"/quiet"}, SwitchError::LogWithoutFile, L"/log"},
        {{L"/log", L"--q"}, SwitchError::LogWithoutFile, L"/log"},
        {{L"/log:"}, SwitchError::LogWithoutFile, L"/log:"},
        {{L"/log", L"a.log", L"/log=b.log"}, SwitchError::Repeated, L"/log=b.log"},
        {{L"/bad1", L"/bad2"}, SwitchError::Unknown, L"/bad1"},
    };
    for (const Case& c : cases) {
        const CommandLine cl = ParseCommandLine(c.args);
        EXPECT_EQ(cl.error, c.error) << Narrow(c.args[0]);
        EXPECT_EQ(cl.offending, c.offending) << Narrow(c.args[0]);
    }
    // /quiet after the offender still keeps every window away.
    EXPECT_TRUE(ParseCommandLine({L"/x", L"/s"}).quiet);
}

TEST(QuietPlan, WindowsOnlyWhereSomebodyCanClick) {
    struct Case {
        std::vector<std::wstring> args;
        bool interactive;
        Action action;
        bool windowless;
    };
    const Case cases[] = {
        {{}, true, Action::Desktop, false},
        {{L"/norestart"}, true, Action::Desktop, false},
        {{}, false, Action::Quiet, true},
        {{L"/quiet"}, true, Action::Quiet, true},
        {{L"/x"}, true, Action::BadCommandLine, false},
        {{L"/x", L"/q"}, true, Action::BadCommandLine, true},
        {{L"/x"}, false, Action::BadCommandLine, true},
        {{L"/?"}, true, Action::Usage, false},
        {{L"/help", L"/q"}, true, Action::Usage, true},
        {{L"/h"}, false, Action::Usage, true},
        {{L"/?", L"/bad"}, true, Action::BadCommandLine, false},
    };
    for (const Case& c : cases) {
        const Plan plan = PlanFor(ParseCommandLine(c.args), c.interactive);
        const std::string what = (c.args.empty() ? std::string("(none)") : Narrow(c.args[0])) +
                                 (c.interactive ? " on a desktop" : " unseen");
        EXPECT_EQ(plan.action, c.action) << what;
        EXPECT_EQ(plan.windowless, c.windowless) << what;
        EXPECT_EQ(plan.noInteractiveDesktop, !c.interactive) << what;
    }
}

TEST(QuietOutcome, ExitCodesAndWordsEnginesRead) {
    struct Case {
        Outcome outcome;
        unsigned long code;
        const wchar_t* word;
    };
    const Case cases[] = {
        {OutcomeFor(RESULT_REMOVED, false), 0, L"removed"},
        {OutcomeFor(RESULT_REMOVED, true), 3010, L"removed-after-restart"},
        {OutcomeFor(RESULT_NOT_PRESENT, false), 0, L"not-present"},
        {OutcomeFor(RESULT_NOT_PRESENT, true), 0, L"not-present"},
        {OutcomeFor(RESULT_FAILED, false), 1603, L"failed"},
        {OutcomeFor(static_cast<UninstallResult>(0), false), 1603, L"failed"},
        {Outcome::Busy, 1618, L"busy"},
        {OutcomeForGate(fixpage::kGateSupportedSystem), 1150, L"unsupported-os"},
        {OutcomeForGate(fixpage::kGateLibraryLoad), 126, L"companion-missing"},
        {OutcomeForGate(fixpage::kGateLibraryInit), 1114, L"companion-failed"},
        {OutcomeForGate(fixpage::kGateNotifyWindow), 1603, L"failed"},
        {Outcome::BadCommandLine, 87, L"bad-command-line"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodeFor(c.outcome).code, c.code) << Narrow(c.word);
        EXPECT_STREQ(CodeFor(c.outcome).word, c.word);
        EXPECT_NE(CodeFor(c.outcome).code, 1641u);
    }
}

TEST(QuietRunLog, StepsThenTheResultLineLast) {
    RunRecord record;
    record.noInteractiveDesktop = true;
    record.commandLine = L"/log C:\\r.log";
    record.steps = {L"query: powershell exit 0, listed", L"delete: sc exit 1072"};
    record.outcome = Outcome::RemovedAfterRestart;
    EXPECT_EQ(RunLogText(record),
              L"Tessaro Veride Hubrelay uninstall tool 1.2.24.1010\r\n"
              L"command line: /log C:\\r.log\r\n"
              L"mode: quiet\r\n"
              L"no interactive desktop: quiet\r\n"
              L"query: powershell exit 0, listed\r\n"
              L"delete: sc exit 1072\r\n"
              L"RESULT=3010 removed-after-restart\r\n");
    record.windowless = false;
    record.noInteractiveDesktop = false;
    record.steps.clear();
    record.outcome = Outcome::BadCommandLine;
    const std::wstring text = RunLogText(record);
    EXPECT_NE(text.find(L"\r\nmode: desktop\r\nRESULT=87 bad-command-line\r\n"), std::wstring::npos);
}

TEST(QuietRunLog, FoldersBelowTheRootOutermostFirst) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(FoldersFor(L"C:\\a\\b\\r.log"), (V{L"C:\\a", L"C:\\a\\b"}));
    EXPECT_EQ(FoldersFor(L"C:/a//b/r.log"), (V{L"C:/a", L"C:/a//b"}));
    EXPECT_EQ(FoldersFor(L"C:\\r.log"), V{});
    EXPECT_EQ(FoldersFor(L"\\\\srv\\share\\logs\\r.log"), (V{L"\\\\srv\\share\\logs"}));
    EXPECT_EQ(FoldersFor(L"\\\\?\\C:\\x\\r.log"), (V{L"\\\\?\\C:\\x"}));
    EXPECT_EQ(FoldersFor(L"\\\\?\\UNC\\srv\\share\\x\\r.log"), (V{L"\\\\?\\UNC\\srv\\share\\x"}));
    EXPECT_EQ(FoldersFor(L"logs\\..\\r.log"), (V{L"logs"}));
    EXPECT_EQ(FoldersFor(L"r.log"), V{});
}
