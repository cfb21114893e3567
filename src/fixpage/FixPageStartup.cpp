// What the fix page checks when it opens: the launcher client, the four
// gates, and, once the page is up, whether a newer version exists.
#include <cstdlib>

#include "dialogs/PromptDlg.h"
#include "fixpage/FixPageDlg.h"
#include "fixpage/FixPageTexts.h"
#include "integration/LauncherClientWin.h"
#include "log/EventLog.h"
#include "log/LogSave.h"

void CTessaroModernHubrelayServiceUninstalledDlg::ScanLauncherClient() {
    m_nClientKind = ::ScanLauncherClient(m_aes);
}

void CTessaroModernHubrelayServiceUninstalledDlg::RunStartupChecks() {
    fixpage::GateChecks checks;
    checks.notifyWindow = [this] { return m_uninstaller.SetNotifyWindow(m_hWnd); };
    checks.supportedSystem = [this] { return m_uninstaller.IsSupportedSystem(); };
    checks.libraryLoad = [this] { return m_feedbackDll.Load(); };
    checks.libraryInit = [this] { return m_feedbackDll.CallInitFreedbackDll(&m_feedbackInfo); };
    const fixpage::Gate failed = fixpage::FirstFailedGate(checks);
    if (failed == fixpage::kGateCount) return;

    const fixpage::GateReport report = fixpage::ReportFor(failed);
    WriteToolLog(report.logText);
    // A library refused for its signature fails as one that cannot be
    // loaded; the record says why.
    if (failed == fixpage::kGateLibraryLoad && m_feedbackDll.WasRefused())
        WriteToolLog(L"TessaroFeedbackInformation.dll refused: " + m_feedbackDll.TrustNote());
    const fixpage::DesktopEvent event = fixpage::DesktopEventForGate(failed, m_feedbackDll.WasRefused());
    hrlog::ReportRunOutcome(event.word, event.text);
    ShowPrompt(report.promptText, nullptr);
    // No window is closed on this path: no feedback question, and the tool's
    // folder stays where it is.
    std::exit(0);
}

void CTessaroModernHubrelayServiceUninstalledDlg::RunUpdateCheck() {
    const int answer = m_feedbackDll.CallGetToolIsNewVersion(fixpage::kToolId, fixpage::kToolVersion);
    const fixpage::UpdateNotice notice = fixpage::NoticeFor(answer, m_nClientKind);
    if (!notice.show) return;
    switch (m_session.OnUpdateNotice()) {
    case fixpage::Request::Now:
        ShowUpdateNotice(notice);
        break;
    case fixpage::Request::Held:
        // The tool must not end under a run: shown once the run is over.
        m_heldNotice = notice;
        break;
    case fixpage::Request::Refused:
    default:
        // The tool is already closing.
        break;
    }
}

void CTessaroModernHubrelayServiceUninstalledDlg::ShowUpdateNotice(const fixpage::UpdateNotice& notice) {
    if (!notice.show) return;
    ShowPrompt(notice.text, this);
    if (notice.openDownloadPage) m_feedbackDll.CallOpenToolDownUrl();
    std::exit(0);
}
