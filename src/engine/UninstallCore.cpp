#include "engine/UninstallCore.h"

namespace hrengine {

int IsServiceListedInText(const std::wstring& text) {
    // The list layout prints "Name", padding, ":" and the value on one line.
    const size_t name = text.find(L"Name");
    if (name == std::wstring::npos) return 0;
    const size_t colon = text.find(L':', name);
    if (colon == std::wstring::npos) return 0;
    std::wstring value = text.substr(colon + 1);
    const size_t lineEnd = value.find(L"\r\n");
    if (lineEnd != std::wstring::npos) value.resize(lineEnd);
    return value.find(kServiceName) != std::wstring::npos ? 1 : 0;
}

QueryVerdict ReadServiceQuery(const std::wstring& text) {
    if (IsServiceListedInText(text)) return QueryVerdict::Listed;
    if (text.find(kNoServiceErrorId) != std::wstring::npos) return QueryVerdict::Absent;
    const size_t name = text.find(L"Name");
    if (name != std::wstring::npos && text.find(L':', name) != std::wstring::npos) return QueryVerdict::Absent;
    return QueryVerdict::Unknown;
}

UninstallResult RunUninstallSteps(const CommandRunnerFn& run, const LogFn& log) {
    std::wstring text;
    if (!run(kQueryCommand, text)) {
        log(kLogQueryFailed);
        return RESULT_FAILED;
    }
    // Absence needs the query's word for it: a text that says nothing
    // either way is a query that could not run, and the service may well be
    // running.
    switch (ReadServiceQuery(text)) {
    case QueryVerdict::Listed:
        break;
    case QueryVerdict::Absent:
        log(kLogServiceNotFound);
        return RESULT_NOT_PRESENT;
    case QueryVerdict::Unknown:
        log(kLogQueryFailed);
        return RESULT_FAILED;
    }

    // Whatever "sc stop" says (already stopped, still stopping), the delete
    // follows: only the delete's own text decides.
    text.clear();
    if (!run(kStopCommand, text)) {
        log(kLogStopFailed);
        return RESULT_FAILED;
    }

    text.clear();
    if (!run(kDeleteCommand, text)) {
        log(kLogDeleteFailed);
        return RESULT_FAILED;
    }
    if (text.find(kDeleteSuccessWord) != std::wstring::npos) return RESULT_REMOVED;
    // Already marked for deletion: the removal completes at the restart the
    // outcome asks for.
    if (text.find(kMarkedForDeleteError) != std::wstring::npos) return RESULT_REMOVED;
    // sc in another language: the service manager itself tells.
    text.clear();
    if (run(kQueryCommand, text) && text.find(kNoServiceErrorId) != std::wstring::npos) return RESULT_REMOVED;
    log(kLogUninstallFailed);
    return RESULT_FAILED;
}

UninstallResult RunUninstall(const CommandRunnerFn& run, const LogFn& log, const NotifyFn& notify) {
    const UninstallResult result = RunUninstallSteps(run, log);
    notify(WM_EXECUTE_DONE, 0);
    notify(WM_UNINSTALL_RESULT, static_cast<std::uintptr_t>(result));
    return result;
}

}  // namespace hrengine
