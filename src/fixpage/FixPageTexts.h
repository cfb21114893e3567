#pragma once
// The fix page's decisions that need no window: which start-up gate failed
// and what it reports, which update notice a launcher client gets, and the
// outcome texts of an uninstall run. Portable: no Windows headers.
#include <functional>
#include <string>
#include <vector>

namespace fixpage {

// Identify this tool to the companion library; the version is also shown.
extern const wchar_t kToolId[];       // "10151"
extern const wchar_t kToolVersion[];  // "1.2.24.1010"

// What a screen reader announces for the page, which draws its title in its
// picture, and for the uninstall button, whose caption is not its picture's.
extern const wchar_t kToolTitle[];           // "Tessaro Veride Hubrelay 服务卸载工具"
extern const wchar_t kUninstallButtonName[];  // "开始卸载"

// The four start-up gates, in the order they run.
enum Gate {
    kGateNotifyWindow = 0,  // the engine accepts the page as its receiver
    kGateSupportedSystem,   // this Windows version is supported
    kGateLibraryLoad,       // the companion library and its exports are there
    kGateLibraryInit,       // the companion library initialised
    kGateCount
};

// What a failed gate reports: the log record and the prompt the user sees.
struct GateReport {
    const wchar_t* logText;
    const wchar_t* promptText;
};
GateReport ReportFor(Gate gate);

// One callable per gate, each returning 1 for passed and 0 for failed.
struct GateChecks {
    std::function<int()> notifyWindow;
    std::function<int()> supportedSystem;
    std::function<int()> libraryLoad;
    std::function<int()> libraryInit;
};

// Runs the gates in order and stops at the first that fails, which is
// returned; kGateCount when all passed. Later gates are not run at all.
Gate FirstFailedGate(const GateChecks& checks);

// The companion library's answer that means a newer version of the tool exists.
constexpr int kNewerVersionAnswer = 3;

struct UpdateNotice {
    bool show = false;              // false: nothing to do, the page stays usable
    const wchar_t* text = nullptr;  // the prompt's text
    bool openDownloadPage = false;  // ask the library for the download page afterwards
};
// The notice for the library's version answer and the launcher-client kind:
// kind 1 and 2 name their client and open nothing; any other kind gets the
// generic notice and the download page.
UpdateNotice NoticeFor(int versionAnswer, int clientKind);

// The uninstall run's texts.
extern const wchar_t kProgressText[];          // while the worker runs
extern const wchar_t kWorkerNotStartedText[];  // the worker could not be started
// The outcome prompt's text for WM_UNINSTALL_RESULT's wParam; null (nothing
// shown) for any value other than 1, 2 and 3.
const wchar_t* OutcomeText(long long result);

// The Application event record of a run on the desktop: the result word
// (the event log's table picks the id and level by it) and the record's text:
// "RESULT=<code> <word>" first, then the version, the mode and the steps'
// evidence.
// For an uninstall run (`result` 1, 2 or 3) and for a start-up gate that
// failed (`refused`: the library was refused for its signature).
struct DesktopEvent {
    std::wstring word;
    std::wstring text;
};
DesktopEvent DesktopEventFor(long long result, const std::vector<std::wstring>& steps);
DesktopEvent DesktopEventForGate(Gate gate, bool refused);

// The uninstall button is usable only while the agreement is checked (the
// checkbox state exactly 1; unchecked and indeterminate do not count).
inline bool UninstallEnabledFor(long long checkState) { return checkState == 1; }

}  // namespace fixpage
