#pragma once
// The decisions of a run started by a deployment engine rather than a
// person: the switches, whether any window may be shown, the outcome's exit
// code and word, and the text of the run log. Portable: no Windows headers.
#include <string>
#include <vector>

#include "engine/UninstallMessages.h"
#include "fixpage/FixPageTexts.h"

namespace quiet {

// Why a command line was refused.
enum class SwitchError {
    None,
    Unknown,         // not one of the tool's switches
    NotASwitch,      // an argument without /, - or --
    LogWithoutFile,  // /log with nothing after it
    Repeated,        // /log given twice: which file was meant?
};

struct CommandLine {
    bool quiet = false;
    bool help = false;
    bool check = false;  // only say whether the service is there
    bool hasLog = false;
    std::wstring logPath;
    SwitchError error = SwitchError::None;
    std::wstring offending;  // the argument that was refused, as given
};

// The arguments after the program's name. Switches in any letter case,
// introduced by /, - or --: quiet (q, qn, s, silent, verysilent),
// norestart, check, log <file> (log:<file>, log=<file>), ?, h, help.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

enum class Outcome {
    Removed,
    RemovedAfterRestart,
    NotPresent,
    Failed,
    Busy,
    UnsupportedOs,
    CompanionMissing,
    CompanionFailed,
    CompanionUntrusted,  // the library is not signed by the tool's own signer
    BadCommandLine,
    LogFailed,           // the /log file cannot be written safely
};

// The exit code deployment engines read without configuration (0 success,
// 3010 restart needed, 1618 retry later; never 1641, which makes them
// restart at once) and the word on the result line.
struct OutcomeCode {
    unsigned long code;
    const wchar_t* word;
};
OutcomeCode CodeFor(Outcome outcome);

// The outcome of a run of the engine.
Outcome OutcomeFor(UninstallResult result, bool restartNeeded);
// The outcome of a start-up gate that failed.
Outcome OutcomeForGate(fixpage::Gate gate);
// The run log's line for a failed gate.
std::wstring GateStep(fixpage::Gate gate);

// What the process does with its command line and its desktop.
enum class Action {
    Desktop,        // today's windows, exactly
    Quiet,          // the removal with no window at all
    Usage,          // the switches, then exit 0
    BadCommandLine, // exit 87, nothing queried, stopped or removed
    Check,          // whether the service is there, changing nothing, no window
};
struct Plan {
    Action action = Action::Desktop;
    bool windowless = false;          // no window at any moment
    bool noInteractiveDesktop = false;  // forced quiet: nobody could click
    bool localSystem = false;           // forced quiet: nobody may click
};
// `interactiveDesktop`: the process runs on a visible window station
// outside session 0. `localSystem`: its token is LocalSystem's. A window of
// SYSTEM on a user's desktop (an engine that lets the user interact,
// "psexec -s -i") hands that user SYSTEM's rights through every link and
// file dialog it opens, so SYSTEM never gets one, wherever it runs.
Plan PlanFor(const CommandLine& commandLine, bool interactiveDesktop, bool localSystem = false);

// The message prompt's text for a refused command line (names the
// argument), and the usage in the prompt (zh-CN) and on standard output.
std::wstring BadCommandLinePrompt(const CommandLine& commandLine);
extern const wchar_t kUsagePrompt[];
extern const char kUsageText[];

// "RESULT=<code> <word>".
std::wstring ResultLine(Outcome outcome);

// What /check found. Its exit codes are a detection's: 1 when the removal
// still has something to do, 0 when it has not (gone, or deleted and listed
// only until the restart), 1603 when the query could not run.
enum class CheckOutcome { Absent, RemovedAfterRestart, Present, Unknown };
OutcomeCode CheckCodeFor(CheckOutcome outcome);
// "CHECK=<code> <word>".
std::wstring CheckLine(CheckOutcome outcome);

// What the run log holds, in order: the tool and its version, the mode,
// one line per step with its evidence, and the result line last.
struct RunRecord {
    bool windowless = true;  // "mode: quiet", else "mode: desktop"
    bool noInteractiveDesktop = false;
    bool localSystem = false;
    bool check = false;    // "mode: check": /check, which changes nothing
    std::wstring logPath;  // the run log's own full path, said at its top
    std::wstring commandLine;
    std::vector<std::wstring> steps;
    Outcome outcome = Outcome::Failed;
};
std::wstring RunLogText(const RunRecord& record);  // lines end in CR LF
// Its first lines, up to the steps: what a run log holds before anything
// has been done.
std::wstring RunLogHeader(const RunRecord& record);
// The Application event's text: `answer` (the result line, or /check's
// line) first, where a reader of the event, and a viewer that shows only
// its start, sees it; then the run log's lines up to the steps, and the
// steps.
std::wstring EventText(const RunRecord& record, const std::wstring& answer);

// A full path taken apart for a walk that opens one name at a time from the
// root down: the root (C:\ or \\server\share\ or \\?\C:\ and the like), the
// folders below it in order, and the file's name. `valid` is false for a
// path that is not absolute, names no file, or holds "." or ".." (a full
// path has none left; Windows takes a \\?\ path literally).
struct WalkPath {
    bool valid = false;
    std::wstring root;
    std::vector<std::wstring> folders;
    std::wstring file;
};
WalkPath SplitForWalk(const std::wstring& fullPath);

}  // namespace quiet
