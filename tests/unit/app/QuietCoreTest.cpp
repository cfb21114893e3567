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
        // A detection never shows anything, even on a desktop.
        {{L"/check"}, true, Action::Check, true},
        {{L"-CHECK", L"/log", L"c.log"}, false, Action::Check, true},
        {{L"/check", L"/x"}, true, Action::BadCommandLine, false},
        {{L"/check", L"/?"}, true, Action::Usage, false},
    };
    for (const Case& c : cases) {
        const Plan plan = PlanFor(ParseCommandLine(c.args), c.interactive);
        const std::string what = (c.args.empty() ? std::string("(none)") : Narrow(c.args[0])) +
                                 (c.interactive ? " on a desktop" : " unseen");
        EXPECT_EQ(plan.action, c.action) << what;
        EXPECT_EQ(plan.windowless, c.windowless) << what;
        EXPECT_EQ(plan.noInteractiveDesktop, !c.interactive) << what;
        EXPECT_FALSE(plan.localSystem) << what;
    }
    // LocalSystem never gets a window, not even on a desktop somebody sees;
    // what it was asked to do stays the same.
    for (const Case& c : cases) {
        const Plan plan = PlanFor(ParseCommandLine(c.args), c.interactive, true);
        const std::string what = c.args.empty() ? std::string("(none)") : Narrow(c.args[0]);
        EXPECT_TRUE(plan.windowless) << what;
        EXPECT_TRUE(plan.localSystem) << what;
        EXPECT_EQ(plan.action, c.action == Action::Desktop ? Action::Quiet : c.action) << what;
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
        {Outcome::CompanionUntrusted, 577, L"companion-untrusted"},
        {Outcome::LogFailed, 1622, L"log-failed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodeFor(c.outcome).code, c.code) << Narrow(c.word);
        EXPECT_STREQ(CodeFor(c.outcome).word, c.word);
        EXPECT_NE(CodeFor(c.outcome).code, 1641u);
    }
}

TEST(QuietOutcome, CheckAnswersAsADetectionDoes) {
    struct Case {
        CheckOutcome outcome;
        const wchar_t* line;
    };
    const Case cases[] = {
        {CheckOutcome::Absent, L"CHECK=0 absent"},
        {CheckOutcome::RemovedAfterRestart, L"CHECK=0 removed-after-restart"},
        {CheckOutcome::Present, L"CHECK=1 present"},
        {CheckOutcome::Unknown, L"CHECK=1603 unknown"},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckLine(c.outcome), c.line);
    // "/log /check" is a log switch without its file, not a file "/check".
    EXPECT_EQ(ParseCommandLine({L"/log", L"/check"}).error, SwitchError::LogWithoutFile);
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
    // The event says the outcome first, then what the log says before it.
    EXPECT_EQ(EventText(record, ResultLine(record.outcome)),
              L"RESULT=3010 removed-after-restart\r\n" + RunLogText(record).substr(0, RunLogText(record).rfind(L"RESULT=")));
    // What is on disk before the first step: everything up to the steps.
    const std::wstring header = RunLogHeader(record);
    EXPECT_EQ(RunLogText(record).compare(0, header.size(), header), 0);
    EXPECT_EQ(header.find(L"query:"), std::wstring::npos);
    EXPECT_EQ(header.substr(header.size() - 31), L"no interactive desktop: quiet\r\n");
    record.windowless = false;
    record.noInteractiveDesktop = false;
    record.steps.clear();
    record.outcome = Outcome::BadCommandLine;
    const std::wstring text = RunLogText(record);
    EXPECT_NE(text.find(L"\r\nmode: desktop\r\nRESULT=87 bad-command-line\r\n"), std::wstring::npos);
    // Where the log itself is, before anything else the run says; and why a
    // run of SYSTEM was quiet.
    record.logPath = L"C:\\Windows\\Logs\\r.log";
    record.windowless = true;
    record.localSystem = true;
    EXPECT_EQ(RunLogText(record),
              L"Tessaro Veride Hubrelay uninstall tool 1.2.24.1010\r\n"
              L"log: C:\\Windows\\Logs\\r.log\r\n"
              L"command line: /log C:\\r.log\r\n"
              L"mode: quiet\r\n"
              L"LocalSystem: quiet\r\n"
              L"RESULT=87 bad-command-line\r\n");
}

TEST(QuietRunLog, PathTakenApartFromTheRootDown) {
    using V = std::vector<std::wstring>;
    struct Case {
        const wchar_t* path;
        bool valid;
        const wchar_t* root;
        V folders;
        const wchar_t* file;
    };
    const Case cases[] = {
        {L"C:\\a\\b\\r.log", true, L"C:\\", {L"a", L"b"}, L"r.log"},
        {L"C:/a//b/r.log", true, L"C:\\", {L"a", L"b"}, L"r.log"},
        {L"C:\\r.log", true, L"C:\\", {}, L"r.log"},
        {L"\\\\srv\\share\\logs\\r.log", true, L"\\\\srv\\share\\", {L"logs"}, L"r.log"},
        {L"\\\\?\\C:\\x\\r.log", true, L"\\\\?\\C:\\", {L"x"}, L"r.log"},
        {L"\\\\?\\UNC\\srv\\share\\x\\r.log", true, L"\\\\?\\UNC\\srv\\share\\", {L"x"}, L"r.log"},
        // Nothing that is not a full path to a file.
        {L"r.log", false, L"", {}, L""},
        {L"logs\\r.log", false, L"", {}, L""},
        {L"\\r.log", false, L"", {}, L""},
        {L"C:r.log", false, L"", {}, L""},
        {L"C:\\", false, L"", {}, L""},
        {L"C:\\logs\\", false, L"", {}, L""},
        {L"\\\\srv\\share", false, L"", {}, L""},
        {L"\\\\?\\C:\\x\\..\\r.log", false, L"", {}, L""},
        {L"C:\\.\\r.log", false, L"", {}, L""},
    };
    for (const Case& c : cases) {
        const WalkPath walk = SplitForWalk(c.path);
        EXPECT_EQ(walk.valid, c.valid) << Narrow(c.path);
        if (!c.valid) continue;
        EXPECT_EQ(walk.root, c.root) << Narrow(c.path);
        EXPECT_EQ(walk.folders, c.folders) << Narrow(c.path);
        EXPECT_EQ(walk.file, c.file) << Narrow(c.path);
    }
}
