#include "fixpage/FixPageDlg.h"
#include "log/EventLog.h"

#include <memory>
#include <mutex>

#include "controls/ImageHelpers.h"
#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/PromptDlg.h"
#include "fixpage/FixPageLayout.h"
#include "fixpage/FixPageTexts.h"
#include "framework/StartupTrace.h"
#include "res/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLinkNormal = RGB(58, 110, 250);
const COLORREF kLinkHover = RGB(13, 44, 255);

// The checkbox thread hands the state it read to the page, which applies it
// on its own thread: the thread never touches the page's objects, which may
// be gone by the time it runs.
const UINT WM_APPLY_AGREEMENT = WM_APP + 1;
// A held update notice, shown once the worker has been let go.
const UINT WM_SHOW_HELD_NOTICE = WM_APP + 2;

// Checkbox threads read and apply one at a time, so the last one to run,
// which reads the state after the last click, has the last word.
std::mutex g_agreementOrder;

struct AgreementJob {
    HWND page;
    HWND checkbox;
};

DWORD WINAPI AgreementThread(LPVOID param) {
    std::unique_ptr<AgreementJob> job(static_cast<AgreementJob*>(param));
    std::lock_guard<std::mutex> lock(g_agreementOrder);
    const LRESULT state = ::SendMessageW(job->checkbox, BM_GETCHECK, 0, 0);
    ::SendMessageW(job->page, WM_APPLY_AGREEMENT, fixpage::UninstallEnabledFor(state) ? 1 : 0, 0);
    return 0;
}

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

CTessaroModernHubrelayServiceUninstalledDlg::CTessaroModernHubrelayServiceUninstalledDlg()
    : CShadowContentDlg(layout::TraitsOf(layout::PairKind::Main)),
      m_nClientKind(0),
      m_pExecutePrompt(nullptr),
      m_bInProgressPrompt(FALSE) {}

CTessaroModernHubrelayServiceUninstalledDlg::~CTessaroModernHubrelayServiceUninstalledDlg() {
    // Normally gone with the window (OnContentDestroy).
    delete m_pExecutePrompt;
    m_pExecutePrompt = nullptr;
}

void CTessaroModernHubrelayServiceUninstalledDlg::DoDataExchange(CDataExchange* pDX) {
    CShadowContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FIX_VERSION, m_stcVersion);
    DDX_Control(pDX, IDC_FIX_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_FIX_MINIMIZE, m_btnMinimize);
    DDX_Control(pDX, IDC_FIX_UNINSTALL, m_btnUninstall);
    DDX_Control(pDX, IDC_FIX_MORETOOLS, m_btnMoreTools);
    DDX_Control(pDX, IDC_FIX_AGREE, m_chkAgree);
    DDX_Control(pDX, IDC_FIX_AGREEMENT, m_stcAgreement);
    DDX_Control(pDX, IDC_FIX_FEEDBACK, m_stcFeedback);
}

BOOL CTessaroModernHubrelayServiceUninstalledDlg::OnInitDialog() {
    // The framework's part only: the checks run between the picture and the
    // first layout.
    CDialog::OnInitDialog();
    if (!EnsureBkImage()) {
        m_session.StartupDone();
        return TRUE;
    }
    ScanLauncherClient();
    RunStartupChecks();
    m_session.StartupDone();
    LayoutControls(TRUE);
    SetTimer(HoverTimerId, TimerPeriodMs);
    SetTimer(UpdateTimerId, TimerPeriodMs);
    m_bLayoutDone = TRUE;
    return TRUE;
}

void CTessaroModernHubrelayServiceUninstalledDlg::LayoutControls(BOOL bFirst) {
    GetClientRect(&m_rcClient);
    const float s = m_fScale;
    const SIZE pic = dlg::PictureSize(m_pBkImage);
    gdip::Image* bk = m_pBkImage;

    // Text widths in the main window's font, measured on the page.
    layout::FixPageTextWidths widths;
    {
        CClientDC dc(m_hWnd);
        CWnd* pFontWnd = GetParent() != nullptr ? GetParent() : this;
        auto measure = [&](const wchar_t* text) {
            const int w = MeasureTextWidth(pFontWnd, dc, text, 0, 0);
            return w < 0 ? 0 : w;
        };
        widths.version = measure(fixpage::kToolVersion);
        widths.agreement = measure(L"同意《Tessaro服务工具使用许可协议》");
        widths.feedback = measure(L"反馈问题");
    }
    const layout::FixPageLayout l =
        layout::LayoutFixPage(m_rcClient.Width(), m_rcClient.Height(), pic.cx, pic.cy, s, widths);

    auto skinButton = [&](CImageButton& button, const layout::Placement& p, UINT firstImage) {
        button.SetBkImage(bk);
        button.SetBkImageRect(ToRect(p.source));
        button.SetHitMargins(RECT{0, 0, 0, 0});
        button.SetImages(firstImage, firstImage + 1, firstImage + 2, firstImage + 3);
    };
    auto skinLink = [&](CDrawTextStatic& link, const layout::Placement& p) {
        link.SetFontFromParent(0, 0);
        link.SetAlignMode(2);
        link.SetBkColor(kWhite);
        link.SetTextColors(kLinkNormal, kLinkHover);
        link.SetBkImage(bk);
        link.SetBkImageRect(ToRect(p.source));
    };

    // The page is the window in front while the tool is idle; its title is
    // what a screen reader announces for it.
    if (bFirst) SetWindowTextW(fixpage::kToolTitle);
    if (bFirst) skinButton(m_btnClose, l.close, IDB_FIX_CLOSE_NORMAL);
    m_btnClose.MoveWindow(ToRect(l.close.dest), TRUE);

    if (bFirst) skinButton(m_btnMinimize, l.minimize, IDB_FIX_MIN_NORMAL);
    m_btnMinimize.MoveWindow(ToRect(l.minimize.dest), TRUE);

    if (bFirst) {
        m_stcVersion.SetWindowTextW(fixpage::kToolVersion);
        m_stcVersion.SetBkImage(bk);
        m_stcVersion.SetBkImageRect(ToRect(l.version.source));
        m_stcVersion.SetFontFromParent(0, 0);
        m_stcVersion.SetAlignMode(1);
        m_stcVersion.SetBkColor(kWhite);
        m_stcVersion.SetTextColors(kWhite, kWhite);
    }
    m_stcVersion.MoveWindow(ToRect(l.version.dest), TRUE);

    if (bFirst) {
        skinButton(m_btnUninstall, l.uninstall, IDB_FIX_UNINSTALL_NORMAL);
        // Named as its picture says, while the page is still hidden: an
        // owner-drawn button repaints when its text changes.
        m_btnUninstall.SetWindowTextW(fixpage::kUninstallButtonName);
    }
    m_btnUninstall.MoveWindow(ToRect(l.uninstall.dest), TRUE);

    if (bFirst) skinButton(m_btnMoreTools, l.moreTools, IDB_FIX_MORETOOLS_NORMAL);
    m_btnMoreTools.MoveWindow(ToRect(l.moreTools.dest), TRUE);
    // A tool started through a launcher client has no more-tools button.
    m_btnMoreTools.ShowWindow(layout::MoreToolsShown(m_nClientKind) ? SW_SHOW : SW_HIDE);

    if (bFirst) {
        m_chkAgree.m_fScale = s;
        m_chkAgree.InitFontFromParent();
        m_chkAgree.SetTextColor(kWhite);
        m_chkAgree.SetBkImage(bk);
        m_chkAgree.SetBkImageRect(ToRect(l.agree.source));
        m_chkAgree.SetCheck(BST_CHECKED);
    }
    m_chkAgree.MoveWindow(ToRect(l.agree.dest), TRUE);

    if (bFirst) skinLink(m_stcAgreement, l.agreement);
    m_stcAgreement.MoveWindow(ToRect(l.agreement.dest), TRUE);

    if (bFirst) skinLink(m_stcFeedback, l.feedback);
    m_stcFeedback.MoveWindow(ToRect(l.feedback.dest), TRUE);
}

LRESULT CTessaroModernHubrelayServiceUninstalledDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST: {
        const POINT pt = PointFromLParam(lParam);
        m_stcFeedback.UpdateHover(pt);
        m_stcAgreement.UpdateHover(pt);
        break;  // then the drag band
    }
    case WM_TIMER:
        if (wParam == HoverTimerId || wParam == UpdateTimerId) {
            OnTimer(wParam);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        OnLinkClick(PointFromLParam(lParam));
        break;
    case WM_UNINSTALL_RESULT:
        OnUninstallResult(wParam);
        OnRunOver();
        return 1;
    case WM_SHOW_HELD_NOTICE:
        ShowUpdateNotice(m_heldNotice);
        return 0;
    case WM_EXECUTE_DONE:
        OnExecuteDone();
        return 1;
    case WM_APPLY_AGREEMENT:
        m_btnUninstall.SetEnabled(wParam != 0 ? TRUE : FALSE);
        return 0;
    default:
        break;
    }
    return CShadowContentDlg::WindowProc(message, wParam, lParam);
}

BOOL CTessaroModernHubrelayServiceUninstalledDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_FIX_AGREE:
            OnAgreeClicked();
            return TRUE;
        case IDC_FIX_CLOSE:
            // The main window asks the feedback question and closes.
            if (CWnd* pParent = GetParent()) pParent->SendMessageW(WM_CLOSE, 0, 0);
            return TRUE;
        case IDC_FIX_MINIMIZE:
            if (CWnd* pParent = GetParent()) pParent->PostMessageW(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return TRUE;
        case IDC_FIX_UNINSTALL:
            OnUninstall();
            return TRUE;
        case IDC_FIX_MORETOOLS:
            m_feedbackDll.CallOpenUrl(m_feedbackInfo.text[FEEDBACK_INFO_MORE_TOOLS]);
            return TRUE;
        default:
            break;
        }
    }
    return CShadowContentDlg::OnCommand(wParam, lParam);
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == HoverTimerId) {
        POINT pt;
        if (::GetCursorPos(&pt)) m_stcAgreement.UpdateHover(pt);
    } else if (nIDEvent == UpdateTimerId) {
        // Once per process, from the message loop after the page is up.
        KillTimer(UpdateTimerId);
        RunUpdateCheck();
    }
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnLinkClick(POINT ptClient) {
    POINT pt = ptClient;
    ClientToScreen(&pt);
    if (m_stcFeedback.HitTest(pt)) m_feedbackDll.CallFeedbackQuestion(fixpage::kToolId, fixpage::kToolVersion);
    if (m_stcAgreement.HitTest(pt)) m_feedbackDll.CallOpenUseAgreementUrl();
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnAgreeClicked() {
    auto* job = new AgreementJob{m_hWnd, m_chkAgree.GetSafeHwnd()};
    HANDLE thread = ::CreateThread(nullptr, 0, AgreementThread, job, 0, nullptr);
    if (thread == nullptr) {
        // The button keeps its state.
        delete job;
        return;
    }
    ::CloseHandle(thread);
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnUninstall() {
    // A click that did not come from the mouse over the button starts nothing.
    if (!m_btnUninstall.IsCursorInside()) return;
    // One run at a time, until its outcome prompt has been closed; nor while
    // the tool is ending.
    if (!m_session.CanStartRun() || m_uninstaller.IsRunning()) return;
    hr::trace::Mark("run click");
    if (!m_uninstaller.StartUninstall()) {
        ShowPrompt(fixpage::kWorkerNotStartedText, nullptr);
        SetForegroundWindow();
        return;
    }
    m_session.RunStarted();
    delete m_pExecutePrompt;
    m_pExecutePrompt = new CExecutePromptDlg;
    m_pExecutePrompt->SetPromptText(fixpage::kProgressText);
    m_pExecutePrompt->m_fScale = m_fScale;
    // The worker's messages are served inside this modal loop.
    m_bInProgressPrompt = TRUE;
    m_pExecutePrompt->DoModal();
    m_bInProgressPrompt = FALSE;
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnExecuteDone() {
    if (m_pExecutePrompt == nullptr) return;
    if (!m_pExecutePrompt->IsWindow()) {
        // The worker was quicker than the prompt's window: hand the message
        // to the prompt's own loop, which serves posted messages only once
        // the window is up, so it cannot stay open for ever.
        if (m_bInProgressPrompt) PostMessageW(WM_EXECUTE_DONE, 0, 0);
        return;
    }
    // The prompt ends and leaves the screen at once, before the outcome.
    m_pExecutePrompt->SendMessageW(WM_EXECUTE_DONE, 0, 0);
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnUninstallResult(WPARAM result) {
    hr::trace::Mark("run outcome", static_cast<int>(result));
    const wchar_t* text = fixpage::OutcomeText(static_cast<long long>(result));
    if (text == nullptr) return;
    // The worker waits in its message: its steps are whole.
    const fixpage::DesktopEvent event =
        fixpage::DesktopEventFor(static_cast<long long>(result), m_uninstaller.LastSteps());
    hrlog::ReportRunOutcome(event.word, event.text);
    ShowPrompt(text, nullptr);
    SetForegroundWindow();
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnRunOver() {
    // Posted, not done here: the worker waits in its message until this
    // handler returns, and the closing sequence belongs to the main loop.
    switch (m_session.RunOver()) {
    case fixpage::FollowUp::Close:
        if (CWnd* pParent = GetParent()) pParent->PostMessageW(WM_CLOSE, 0, 0);
        break;
    case fixpage::FollowUp::UpdateNotice:
        PostMessageW(WM_SHOW_HELD_NOTICE, 0, 0);
        break;
    case fixpage::FollowUp::None:
    default:
        break;
    }
}

void CTessaroModernHubrelayServiceUninstalledDlg::ShowPrompt(const wchar_t* text, CWnd* pOwner) {
    CPromptDlg prompt(pOwner);
    prompt.m_fScale = m_fScale;
    prompt.SetPromptText(text);
    prompt.SetPromptType(3);
    prompt.DoModal();
}

void CTessaroModernHubrelayServiceUninstalledDlg::OnContentDestroy() {
    m_btnClose.ReleaseImages();
    m_btnMinimize.ReleaseImages();
    m_btnUninstall.ReleaseImages();
    m_btnMoreTools.ReleaseImages();
    KillTimer(HoverTimerId);
    delete m_pExecutePrompt;
    m_pExecutePrompt = nullptr;
    // The library's strings go back while the library is still there.
    m_feedbackInfo.Empty();
    m_feedbackDll.Unload();
}
