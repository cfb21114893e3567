#include "dialogs/ExecutePromptDlg.h"

#include "dialogs/ContentLayout.h"
#include "res/resource.h"

namespace {

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Shown when the caller gave no real text.
const wchar_t kDefaultPrompt[] = L"正在修复，请稍等";

std::wstring ShownText(const std::wstring& prompt) {
    return prompt.size() >= 2 ? prompt : std::wstring(kDefaultPrompt);
}

}  // namespace

// ---------------------------------------------------------------------------
// Content

CExecutePromptChildDlg::CExecutePromptChildDlg()
    : CShadowContentDlg(layout::TraitsOf(layout::PairKind::ExecutePrompt)) {}

CExecutePromptChildDlg::~CExecutePromptChildDlg() = default;

void CExecutePromptChildDlg::DoDataExchange(CDataExchange* pDX) {
    CShadowContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EXEC_STATUS, m_stcStatus);
}

void CExecutePromptChildDlg::LayoutControls(BOOL bFirst) {
    RECT rc;
    GetClientRect(&rc);
    const SIZE pic = dlg::PictureSize(m_pBkImage);
    const layout::Placement p =
        layout::LayoutExecuteLabel(layout::Rect{rc.left, rc.top, rc.right, rc.bottom}, pic.cx, pic.cy, m_fScale);

    m_stcStatus.SetWindowTextW(ShownText(m_strPrompt));
    // The content holds the focus while the prompt is up (it has no tab
    // stop): a screen reader announces the progress by this text.
    if (bFirst) SetWindowTextW(ShownText(m_strPrompt));
    m_stcStatus.SetAlignMode(5);  // centred, wrapped, the block centred vertically
    m_stcStatus.SetTextColor(RGB(255, 255, 255));
    if (bFirst) {
        m_stcStatus.SetFontFromParent(0, 0);
        m_stcStatus.SetBkImage(m_pBkImage);
        m_stcStatus.SetBkImageRect(ToRect(p.source));
        m_stcStatus.StartDots();
    }
    m_stcStatus.MoveWindow(ToRect(p.dest), TRUE);
}

void CExecutePromptChildDlg::StopDots() { m_stcStatus.StopDots(); }

void CExecutePromptChildDlg::OnContentDestroy() { m_stcStatus.ResetDots(); }

// ---------------------------------------------------------------------------
// Parent

CExecutePromptDlg::CExecutePromptDlg(CWnd* pParent)
    : CShadowParentDlg(layout::TraitsOf(layout::PairKind::ExecutePrompt), pParent), m_bDone(false) {}

void CExecutePromptDlg::InitBeforeLayer() { SetWindowTextW(ShownText(m_strPrompt)); }

CShadowContentDlg* CExecutePromptDlg::NewContent() {
    auto* pContent = new CExecutePromptChildDlg;
    pContent->SetPromptText(m_strPrompt);
    return pContent;
}

LRESULT CExecutePromptDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_EXECUTE_DONE:
        if (m_pContentDlg != nullptr) static_cast<CExecutePromptChildDlg*>(m_pContentDlg)->StopDots();
        m_bDone = true;
        OnOK();
        // The outcome prompt may follow before this loop has ended (the
        // worker sends it right after): leave the screen now, the owner
        // taking its input back first, so the outcome opens over the page
        // and in the foreground.
        LeaveModal();
        return 0;
    case WM_CLOSE:
        // Alt+F4 and the system menu's Close arrive as this, also from the
        // content (whose own close requests come here).
        if (!m_bDone) return 0;
        break;
    default:
        break;
    }
    return CShadowParentDlg::WindowProc(message, wParam, lParam);
}

void CExecutePromptDlg::OnOK() {
    if (m_bDone) CShadowParentDlg::OnOK();
}

void CExecutePromptDlg::OnCancel() {
    if (m_bDone) CShadowParentDlg::OnCancel();
}
