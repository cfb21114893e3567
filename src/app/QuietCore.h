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
    bool hasLog = false;
    std::wstring logPath;
    SwitchError error = SwitchError::None;
    std::wstring offending;  // the argument that was refused, as given
};

// The arguments after the program's name. Switches in any letter case,
// introduced by /, - or --: quiet (q, qn, s, silent, verysilent),
// norestart, log <file> (log:<file>, log=<file>), ?, h, help.
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
    BadCommandLine,
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
};
struct Plan {
    Action action = Action::Desktop;
    bool windowless = false;          // no window at any moment
    bool noInteractiveDesktop = false;  // forced quiet: nobody could click
};
// `interactiveDesktop`: the process runs on a visible window station
// outside session 0.
Plan PlanFor(const CommandLine& commandLine, bool interactiveDesktop);

// The message prompt's text for a refused command line (names the
// argument), and the usage in the prompt (zh-CN) and on standard output.
std::wstring BadCommandLinePrompt(const CommandLine& commandLine);
extern const wchar_t kUsagePrompt[];
extern const char kUsageText[];

// "RESULT=<code> <word>".
std::wstring ResultLine(Outcome outcome);

// What the run log holds, in order: the tool and its version, the mode,
// one line per step with its evidence, and the result line last.
struct RunRecord {
    bool windowless = true;  // "mode: quiet", else "mode: desktop"
    bool noInteractiveDesktop = false;
    std::wstring commandLine;
    std::vector<std::wstring> steps;
    Outcome outcome = Outcome::Failed;
};
std::wstring RunLogText(const RunRecord& record);  // lines end in CR LF

// The folders to create, outermost first, so that a file can be written
// at `filePath`: every ancestor below the drive or share root. Relative
// paths give their relative ancestors.
std::vector<std::wstring> FoldersFor(const std::wstring& filePath);

}  // namespace quiet
