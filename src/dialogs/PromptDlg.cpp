#include "dialogs/PromptDlg.h"

#include "controls/ImageHelpers.h"
#include "dialogs/ContentLayout.h"
#include "res/resource.h"

namespace {

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

const COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

// ---------------------------------------------------------------------------
// Content

CPromptChildDlg::CPromptChildDlg()
    : CShadowContentDlg(layout::TraitsOf(layout::PairKind::Prompt)), m_bTitleFont(FALSE), m_nPromptType(1) {}

CPromptChildDlg::~CPromptChildDlg() = default;

void CPromptChildDlg::DoDataExchange(CDataExchange* pDX) {
    CShadowContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROMPT_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_PROMPT_CONFIRM, m_btnConfirm);
    DDX_Control(pDX, IDC_PROMPT_CANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_PROMPT_MESSAGE, m_stcMessage);
}

void CPromptChildDlg::LayoutControls(BOOL bFirst) {
    RECT rc;
    GetClientRect(&rc);
    const SIZE pic = dlg::PictureSize(m_pBkImage);
    const layout::PromptLayout l =
        layout::LayoutPrompt(layout::Rect{rc.left, rc.top, rc.right, rc.bottom}, pic.cx, pic.cy, m_fScale);
    const layout::PromptButtons buttons = layout::PromptButtonsFor(m_nPromptType);

    auto prepare = [&](CImageButton& button, const layout::Placement& p) {
        button.SetBkImage(m_pBkImage);
        button.SetBkImageRect(ToRect(p.source));
        button.SetHitMargins(RECT{0, 0, 0, 0});
    };

    if (bFirst) {
        // Screen readers name the pair by its message and the buttons by the
        // words of their pictures, whatever the template says.
        SetWindowTextW(m_strMessage);
        m_btnConfirm.SetWindowTextW(buttons.confirmName);
        m_btnCancel.SetWindowTextW(buttons.cancelName);
        prepare(m_btnClose, l.close);
        m_btnClose.SetImages(IDB_PROMPT_CLOSE_NORMAL, IDB_PROMPT_CLOSE_HOVER, IDB_PROMPT_CLOSE_PRESSED,
                             IDB_PROMPT_CLOSE_DISABLED);
        prepare(m_btnConfirm, l.confirm);
        prepare(m_btnCancel, l.cancel);
    }
    m_btnClose.MoveWindow(ToRect(l.close.dest), TRUE);
    m_btnConfirm.MoveWindow(ToRect(l.confirm.dest), TRUE);
    m_btnCancel.MoveWindow(ToRect(l.cancel.dest), TRUE);

    if (bFirst) {
        const int c = buttons.confirmFirstImage, x = buttons.cancelFirstImage;
        m_btnConfirm.SetImages(c, c + 1, c + 2, c + 3);
        m_btnCancel.SetImages(x, x + 1, x + 2, x + 3);
    }
    m_btnConfirm.ShowWindow(SW_SHOW);
    m_btnCancel.ShowWindow(buttons.cancelShown ? SW_SHOW : SW_HIDE);
    if (buttons.confirmAlone) CenterSingleButton();

    if (bFirst) {
        m_stcMessage.SetFontFromParent(0, 0);
        m_stcMessage.SetBkImage(m_pBkImage);
        m_stcMessage.SetBkImageRect(ToRect(l.message.source));
        m_stcMessage.SetAlignMode(5);  // centred, wrapped, the block centred vertically
        m_stcMessage.SetTextColors(kWhite, kWhite);
    }
    m_stcMessage.SetWindowTextW(m_strMessage);
    m_stcMessage.MoveWindow(ToRect(l.message.dest), TRUE);
}

void CPromptChildDlg::CenterSingleButton() {
    RECT rc;
    GetClientRect(&rc);
    const SIZE pic = dlg::PictureSize(m_pBkImage);
    const layout::Placement p =
        layout::LayoutPrompt(layout::Rect{rc.left, rc.top, rc.right, rc.bottom}, pic.cx, pic.cy, m_fScale).single;
    m_btnConfirm.SetBkImageRect(ToRect(p.source));
    m_btnConfirm.MoveWindow(ToRect(p.dest), TRUE);
}

void CPromptChildDlg::OnBackgroundDrawn(HDC hdc) {
    if (!m_bTitleFont) {
        CWnd* pParent = GetParent();
        CreateFontFromWindow(pParent != nullptr ? pParent : this, 0, 0, m_fontTitle);
        m_bTitleFont = TRUE;
    }
    RECT rc;
    GetClientRect(&rc);
    CDC dc(hdc);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(m_fontTitle);
    dc.SetTextColor(kWhite);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hdc, &tm);
    RECT rcTitle;
    rcTitle.left = rc.left + layout::T(10 * m_fScale);
    rcTitle.top = rc.top + layout::T(8 * m_fScale);
    rcTitle.right = rcTitle.left + layout::T(60 * m_fScale);
    rcTitle.bottom = rcTitle.top + tm.tmHeight;
    dc.DrawTextW(L"提示", &rcTitle, DT_VCENTER | DT_WORDBREAK | DT_NOCLIP);
    dc.RestoreObjects();
}

BOOL CPromptChildDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        CWnd* pParent = GetParent();
        switch (LOWORD(wParam)) {
        case IDC_PROMPT_CLOSE:
            if (pParent) pParent->SendMessageW(WM_CLOSE, 0, 0);
            return TRUE;
        case IDC_PROMPT_CONFIRM:
            if (pParent) pParent->SendMessageW(WM_PROMPT_RESULT, 1, 0);
            return TRUE;
        case IDC_PROMPT_CANCEL:
            if (pParent) pParent->SendMessageW(WM_PROMPT_RESULT, 2, 0);
            return TRUE;
        default:
            break;
        }
    }
    return CShadowContentDlg::OnCommand(wParam, lParam);
}

void CPromptChildDlg::OnContentDestroy() {
    m_btnClose.ReleaseImages();
    m_btnConfirm.ReleaseImages();
    m_btnCancel.ReleaseImages();
}

// ---------------------------------------------------------------------------
// Parent

CPromptDlg::CPromptDlg(CWnd* pParent)
    : CShadowParentDlg(layout::TraitsOf(layout::PairKind::Prompt), pParent), m_nPromptType(1) {}

void CPromptDlg::InitBeforeLayer() { SetWindowTextW(m_strMessage); }

CShadowContentDlg* CPromptDlg::NewContent() {
    auto* pContent = new CPromptChildDlg;
    pContent->SetPromptText(m_strMessage);
    pContent->SetPromptType(m_nPromptType);
    return pContent;
}

LRESULT CPromptDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PROMPT_RESULT) {
        if (wParam == 1) {
            OnOK();
        } else {
            OnCancel();
        }
        return 0;
    }
    return CShadowParentDlg::WindowProc(message, wParam, lParam);
}
