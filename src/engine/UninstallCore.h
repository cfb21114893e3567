#pragma once
// The decisions of one uninstall run, independent of how commands are run,
// where records go and how the outcome reaches a window.
#include "engine/UninstallMessages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hrengine {

// The exit code of a command that ran but whose exit code could not be had.
constexpr long long kNoExitCode = -1;

// Runs one command line, appending what it prints to the output and setting
// its exit code (kNoExitCode when unknown); 1 when it ran to its end, 0 when
// it could not be started or outlived its deadline.
using CommandRunnerFn = std::function<int(std::wstring command, std::wstring& output, long long& exitCode)>;
// Writes one log record (wide text; the caller encodes it for the file).
using LogFn = std::function<void(const std::wstring& text)>;
// Delivers one message with its wParam to the receiving window.
using NotifyFn = std::function<void(unsigned int message, std::uintptr_t wParam)>;
// Waits that many milliseconds.
using PauseFn = std::function<void(unsigned long ms)>;
// Milliseconds on a clock that only goes forward.
using ClockFn = std::function<unsigned long long()>;
// Receives one line of the run's evidence the moment its step has ended.
using StepFn = std::function<void(const std::wstring& line)>;

constexpr wchar_t kServiceName[] = L"HubrelayService";
// Without the user's profile scripts (their output would precede the list,
// and a prompt in one would wait for ever on the hidden console). The
// cmdlets are named with their modules: a bare name is resolved through
// modules along PSModulePath and programs along PATH, which the user can
// write to, and the answer would run with the tool's rights. The runner
// names the system's own PowerShell by its full path.
constexpr wchar_t kQueryCommand[] =
    L"powershell -NoProfile -NonInteractive -command \"Microsoft.PowerShell.Management\\Get-Service "
    L"-Name HubrelayService | Microsoft.PowerShell.Utility\\Format-List\"";
constexpr wchar_t kStopCommand[] = L"sc stop HubrelayService";
constexpr wchar_t kDeleteCommand[] = L"sc delete HubrelayService";
// Whether the service is still registered, by sc's exit code: 0 listed,
// 1060 not (a marked service stays listed until it has stopped and every
// handle to it is closed).
constexpr wchar_t kStateCommand[] = L"sc query HubrelayService";
// Only when no exit code could be had: "sc delete" prints it on success, and
// only on a Chinese system.
constexpr wchar_t kDeleteSuccessWord[] = L"成功";
// PowerShell's error id for a service that does not exist; the same in every
// language, unlike the message around it.
constexpr wchar_t kNoServiceErrorId[] = L"NoServiceFoundForGivenName";

// sc's exit code is the Win32 error of the call it made, in every language.
constexpr long long kScSuccess = 0;
constexpr long long kScAccessDenied = 5;
constexpr long long kScNoSuchService = 1060;
constexpr long long kScMarkedForDelete = 1072;

// Log texts of the failures.
constexpr wchar_t kLogThreadFailed[] = L"创建服务卸载线程失败";
constexpr wchar_t kLogQueryFailed[] = L"执行查询服务失败";
constexpr wchar_t kLogServiceNotFound[] = L"系统中未找到指定的服务";
constexpr wchar_t kLogStopFailed[] = L"执行停止服务失败";
constexpr wchar_t kLogDeleteFailed[] = L"执行卸载服务失败";
constexpr wchar_t kLogUninstallFailed[] = L"卸载服务失败";

// 1 when the query's list output has a line "Name", padding, ":" whose value
// contains the service name (in any letter case), else 0.
int IsServiceListedInText(const std::wstring& text);

// What the service query's text says about the service.
enum class QueryVerdict {
    Listed,   // a "Name" line with the service name
    Absent,   // PowerShell's error id for a missing service, or "Name" lines of other services only
    Unknown,  // neither: the query did not really run (no PowerShell, blocked, crashed, not recognised)
};
QueryVerdict ReadServiceQuery(const std::wstring& text);

// How a run goes beyond the desktop's defaults.
struct UninstallOptions {
    // After a successful delete, how long to wait for a service that is
    // still stopping to leave the list before counting the removal as one
    // the next restart completes; 0 skips the look (the desktop's outcome
    // asks for a restart either way).
    unsigned long settleMs = 0;
    unsigned long settleStepMs = 1000;
    PauseFn pause;
    // The wait is measured on this clock: each look takes its own time
    // besides the pause. Without one, only the pauses count.
    ClockFn now;
    // Each line of the report's steps, also as it happens: a run ended from
    // outside keeps the evidence of what it had done.
    StepFn onStep;
};

// What one run did, for the outcome and for a run log.
struct UninstallReport {
    UninstallResult result = RESULT_FAILED;
    // Removed, but still listed when the run ended: the restart completes it.
    bool restartNeeded = false;
    // One line per command: its exit code and the evidence that decided,
    // for example "delete: sc exit 1072".
    std::vector<std::wstring> steps;
};

// Query, stop and delete, judged by exit codes and untranslated error ids;
// logs every failure.
UninstallReport RunUninstallSteps(const CommandRunnerFn& run, const LogFn& log,
                                  const UninstallOptions& options = UninstallOptions());

// One whole run: the steps, then WM_EXECUTE_DONE and WM_UNINSTALL_RESULT,
// exactly once each and in that order, whatever the outcome. The steps'
// lines go to `steps`, when given, before either message.
UninstallResult RunUninstall(const CommandRunnerFn& run, const LogFn& log, const NotifyFn& notify,
                             std::vector<std::wstring>* steps = nullptr);

}  // namespace hrengine
