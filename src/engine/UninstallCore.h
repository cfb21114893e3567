#pragma once
// The decisions of one uninstall run, independent of how commands are run,
// where records go and how the outcome reaches a window.
#include "engine/UninstallMessages.h"

#include <cstdint>
#include <functional>
#include <string>

namespace hrengine {

// Runs one command line, appending what it prints to the output; 1 when it
// ran, 0 when it could not be started (the shape of RunCommand).
using CommandRunnerFn = std::function<int(std::wstring command, std::wstring& output)>;
// Writes one log record (wide text; the caller encodes it for the file).
using LogFn = std::function<void(const std::wstring& text)>;
// Delivers one message with its wParam to the receiving window.
using NotifyFn = std::function<void(unsigned int message, std::uintptr_t wParam)>;

constexpr wchar_t kServiceName[] = L"HubrelayService";
// Without the user's profile scripts (their output would precede the list,
// and a prompt in one would wait for ever on the hidden console). The runner
// names the system's own PowerShell by its full path.
constexpr wchar_t kQueryCommand[] =
    L"powershell -NoProfile -NonInteractive -command \"get-service -name HubrelayService | Format-List\"";
constexpr wchar_t kStopCommand[] = L"sc stop HubrelayService";
constexpr wchar_t kDeleteCommand[] = L"sc delete HubrelayService";
// "sc delete" prints it only when the service was deleted, and only on a
// Chinese system: elsewhere a delete without it is confirmed by a new query.
constexpr wchar_t kDeleteSuccessWord[] = L"成功";
// PowerShell's error id for a service that does not exist; the same in every
// language, unlike the message around it.
constexpr wchar_t kNoServiceErrorId[] = L"NoServiceFoundForGivenName";
// sc's error 1072 (the service is already marked for deletion; Windows
// completes it at the next restart), by its number, which is not translated:
// "[SC] DeleteService FAILED 1072:", "... 失败 1072:".
constexpr wchar_t kMarkedForDeleteError[] = L" 1072:";

// Log texts of the failures.
constexpr wchar_t kLogThreadFailed[] = L"创建服务卸载线程失败";
constexpr wchar_t kLogQueryFailed[] = L"执行查询服务失败";
constexpr wchar_t kLogServiceNotFound[] = L"系统中未找到指定的服务";
constexpr wchar_t kLogStopFailed[] = L"执行停止服务失败";
constexpr wchar_t kLogDeleteFailed[] = L"执行卸载服务失败";
constexpr wchar_t kLogUninstallFailed[] = L"卸载服务失败";

// 1 when the query's list output has a "Name" line whose value contains the
// service name (exact, case-sensitive), else 0.
int IsServiceListedInText(const std::wstring& text);

// What the service query's text says about the service.
enum class QueryVerdict {
    Listed,   // a "Name" line with the service name
    Absent,   // PowerShell's error id for a missing service, or a "Name" line without it
    Unknown,  // neither: the query did not really run (no PowerShell, blocked, crashed)
};
QueryVerdict ReadServiceQuery(const std::wstring& text);

// Query, stop and delete, judged by their text; logs every failure.
UninstallResult RunUninstallSteps(const CommandRunnerFn& run, const LogFn& log);

// One whole run: the steps, then WM_EXECUTE_DONE and WM_UNINSTALL_RESULT,
// exactly once each and in that order, whatever the outcome.
UninstallResult RunUninstall(const CommandRunnerFn& run, const LogFn& log, const NotifyFn& notify);

}  // namespace hrengine
