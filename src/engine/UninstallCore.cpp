#include "engine/UninstallCore.h"

#include <cwctype>

namespace hrengine {

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// The value of each list line "Name", padding, ":", value; a line must begin
// with the property's name, so that "Name" inside a message ("... nicht als
// Name eines Cmdlet ...", "DisplayName") is no listing.
std::vector<std::wstring> NameValues(const std::wstring& text) {
    std::vector<std::wstring> values;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        if (line.compare(0, 4, L"Name") != 0) continue;
        size_t i = 4;
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= line.size() || line[i] != L':') continue;
        std::wstring value = line.substr(i + 1);
        const size_t first = value.find_first_not_of(L" \t\r");
        const size_t last = value.find_last_not_of(L" \t\r");
        values.push_back(first == std::wstring::npos ? std::wstring() : value.substr(first, last - first + 1));
    }
    return values;
}

std::wstring ExitText(long long exitCode) {
    return exitCode == kNoExitCode ? std::wstring(L"exit unknown") : L"exit " + std::to_wstring(exitCode);
}

}  // namespace

int IsServiceListedInText(const std::wstring& text) {
    // Service names are not case-sensitive on Windows.
    const std::wstring name = Lower(kServiceName);
    for (const std::wstring& value : NameValues(text))
        if (Lower(value).find(name) != std::wstring::npos) return 1;
    return 0;
}

QueryVerdict ReadServiceQuery(const std::wstring& text) {
    if (IsServiceListedInText(text)) return QueryVerdict::Listed;
    if (text.find(kNoServiceErrorId) != std::wstring::npos) return QueryVerdict::Absent;
    for (const std::wstring& value : NameValues(text))
        if (!value.empty()) return QueryVerdict::Absent;  // another service's listing
    return QueryVerdict::Unknown;
}

namespace {

// How the delete ended, from sc's exit code, or from its words when no exit
// code could be had.
enum class DeleteVerdict { Deleted, Marked, Gone, Failed, Unsure };

DeleteVerdict ReadDelete(long long exitCode, const std::wstring& text) {
    switch (exitCode) {
    case kScSuccess: return DeleteVerdict::Deleted;
    case kScMarkedForDelete: return DeleteVerdict::Marked;
    case kScNoSuchService: return DeleteVerdict::Gone;  // went between the query and the delete
    case kNoExitCode: break;
    default: return DeleteVerdict::Failed;
    }
    if (text.find(kDeleteSuccessWord) != std::wstring::npos) return DeleteVerdict::Deleted;
    // The error number is not translated: "[SC] DeleteService FAILED 1072:".
    if (text.find(L" " + std::to_wstring(kScMarkedForDelete) + L":") != std::wstring::npos) return DeleteVerdict::Marked;
    if (text.find(L" " + std::to_wstring(kScNoSuchService) + L":") != std::wstring::npos) return DeleteVerdict::Gone;
    return DeleteVerdict::Unsure;
}

}  // namespace

UninstallReport RunUninstallSteps(const CommandRunnerFn& run, const LogFn& log, const UninstallOptions& options) {
    UninstallReport report;
    struct Steps {
        UninstallReport& report;
        const StepFn& onStep;
        void push_back(const std::wstring& line) {
            report.steps.push_back(line);
            if (onStep) onStep(line);
        }
    } steps{report, options.onStep};
    auto fail = [&](const wchar_t* record) {
        log(record);
        report.result = RESULT_FAILED;
        return report;
    };
    std::wstring text;
    long long exitCode = kNoExitCode;
    if (!run(kQueryCommand, text, exitCode)) {
        steps.push_back(L"query: powershell did not run to its end");
        return fail(kLogQueryFailed);
    }
    // Absence needs the query's word for it: a text that says nothing
    // either way is a query that could not run, and the service may well be
    // running.
    const QueryVerdict verdict = ReadServiceQuery(text);
    steps.push_back(L"query: powershell " + ExitText(exitCode) +
                           (verdict == QueryVerdict::Listed   ? L", listed"
                            : verdict == QueryVerdict::Absent ? L", not listed"
                                                              : L", no answer about the service"));
    switch (verdict) {
    case QueryVerdict::Listed:
        break;
    case QueryVerdict::Absent:
        log(kLogServiceNotFound);
        report.result = RESULT_NOT_PRESENT;
        return report;
    case QueryVerdict::Unknown:
        return fail(kLogQueryFailed);
    }

    // Whatever "sc stop" answers (already stopped 1062, still stopping,
    // refused 1051 or 1061), the delete follows: it marks a service that
    // cannot go at once, and only the delete decides.
    text.clear();
    exitCode = kNoExitCode;
    if (!run(kStopCommand, text, exitCode)) {
        steps.push_back(L"stop: sc did not run to its end");
        return fail(kLogStopFailed);
    }
    steps.push_back(L"stop: sc " + ExitText(exitCode));

    text.clear();
    exitCode = kNoExitCode;
    if (!run(kDeleteCommand, text, exitCode)) {
        steps.push_back(L"delete: sc did not run to its end");
        return fail(kLogDeleteFailed);
    }
    DeleteVerdict deleted = ReadDelete(exitCode, text);
    steps.push_back(L"delete: sc " + ExitText(exitCode));
    if (deleted == DeleteVerdict::Unsure) {
        // Neither a number nor a word: the service manager itself tells.
        text.clear();
        long long queryExit = kNoExitCode;
        const bool ran = run(kQueryCommand, text, queryExit) != 0;
        const bool absent = ran && ReadServiceQuery(text) == QueryVerdict::Absent;
        steps.push_back(L"delete confirmed by query: powershell " + ExitText(queryExit) +
                               (absent ? L", not listed" : L", no confirmation"));
        deleted = absent ? DeleteVerdict::Gone : DeleteVerdict::Failed;
    }
    if (deleted == DeleteVerdict::Failed) return fail(kLogUninstallFailed);

    report.result = RESULT_REMOVED;
    if (deleted == DeleteVerdict::Gone || options.settleMs == 0) return report;
    // Deleted or marked: a service that is still stopping, or that someone
    // holds open, stays listed until then, and the restart completes it.
    const unsigned long step = options.settleStepMs ? options.settleStepMs : 1;
    const unsigned long long started = options.now ? options.now() : 0;
    for (unsigned long long paused = 0;; paused += step) {
        const unsigned long long waited = options.now ? options.now() - started : paused;
        text.clear();
        exitCode = kNoExitCode;
        const bool ran = run(kStateCommand, text, exitCode) != 0;
        if (ran && exitCode == kScNoSuchService) {
            steps.push_back(L"after delete: sc query exit 1060, gone");
            return report;
        }
        // A look that did not come back within its deadline says nothing,
        // and more looks would each take as long: the restart decides.
        if (waited >= options.settleMs || !ran) {
            steps.push_back(L"after delete: sc query " + (ran ? ExitText(exitCode) : L"did not run") +
                                   (ran && exitCode == kScSuccess ? L", still listed after " : L", not seen gone after ") +
                                   std::to_wstring(waited / 1000) + L" s");
            report.restartNeeded = true;
            return report;
        }
        if (options.pause) options.pause(step);
    }
}

UninstallResult RunUninstall(const CommandRunnerFn& run, const LogFn& log, const NotifyFn& notify,
                             std::vector<std::wstring>* steps) {
    const UninstallReport report = RunUninstallSteps(run, log);
    const UninstallResult result = report.result;
    if (steps) *steps = report.steps;
    notify(WM_EXECUTE_DONE, 0);
    notify(WM_UNINSTALL_RESULT, static_cast<std::uintptr_t>(result));
    return result;
}

}  // namespace hrengine
