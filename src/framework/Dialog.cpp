#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/StartupTrace.h"

namespace {
// The dialog whose window the system is creating on this thread: its first
// call of the dialog procedure binds the window to it, before WM_INITDIALOG.
thread_local CDialog* t_pCreating = nullptr;

// A popup cannot be owned by a child window: climb to the first non-child.
HWND NonChildAncestor(HWND hWnd) {
    while (hWnd != nullptr && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return hWnd;
}
}  // namespace

BOOL DDX_Control(HWND hWndDlg, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return TRUE;
    if (hWndDlg == nullptr) return FALSE;
    HWND hCtl = ::GetDlgItem(hWndDlg, nIDC);
    if (hCtl == nullptr) return FALSE;
    return rControl.SubclassWindow(hCtl);
}

BOOL DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX == nullptr || pDX->m_pDlgWnd == nullptr) return FALSE;
    return DDX_Control(pDX->m_pDlgWnd->m_hWnd, nIDC, rControl);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate),
      m_pParentWnd(pParentWnd),
      m_bModal(false),
      m_bEndModal(false),
      m_nModalResult(-1),
      m_hModalOwner(nullptr),
      m_hModalTop(nullptr),
      m_bEnableOwner(false),
      m_bEnableTop(false) {}

CDialog::~CDialog() = default;

HWND CDialog::CreateFromTemplate(UINT nIDTemplate, HWND hWndOwner) {
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDTemplate), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (hRsrc == nullptr) return nullptr;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const void* pTemplate = hGlobal ? ::LockResource(hGlobal) : nullptr;
    if (pTemplate == nullptr) return nullptr;
    t_pCreating = this;
    hr::trace::Mark("dialog create", static_cast<int>(nIDTemplate));
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, static_cast<LPCDLGTEMPLATEW>(pTemplate), hWndOwner,
                                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    t_pCreating = nullptr;
    return hWnd;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    // Only this framework's dialogs use this procedure, so a bound object is
    // always a CDialog.
    auto* pDlg = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (pDlg == nullptr && t_pCreating != nullptr) {
        pDlg = t_pCreating;
        t_pCreating = nullptr;
        // The window stands; its controls follow.
        hr::trace::Mark("dialog window", static_cast<int>(pDlg->m_nIDTemplate));
        if (!pDlg->SubclassWindow(hWnd)) pDlg = nullptr;
    }
    if (message == WM_INITDIALOG && pDlg != nullptr) return pDlg->HandleInitDialog();
    return FALSE;
}

INT_PTR CDialog::HandleInitDialog() {
    RECT before;
    GetWindowRect(&before);
    hr::trace::Mark("dialog init", static_cast<int>(m_nIDTemplate));
    BOOL result = OnInitDialog();
    hr::trace::Mark("dialog init done", static_cast<int>(m_nIDTemplate));
    if (m_bModal && !m_bEndModal && m_hWnd != nullptr) {
        RECT after;
        GetWindowRect(&after);
        DWORD style = GetStyle();
        bool placedBySystem = (style & (DS_CENTER | DS_CENTERMOUSE)) != 0;
        if (after.left == before.left && after.top == before.top && !(style & WS_CHILD) && !placedBySystem) {
            CenterWindow();
        }
    }
    return result;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) return -1;

    // Owner: the given parent, else the main window's last active popup.
    HWND hGiven = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    HWND hOwner = hGiven;
    if (hOwner == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain != nullptr && pMain != this) hOwner = pMain->m_hWnd;
    }
    hOwner = NonChildAncestor(hOwner);
    HWND hTop = hOwner;
    for (HWND h = hOwner; h != nullptr; h = ::GetParent(h)) hTop = h;
    if (hGiven == nullptr && hOwner != nullptr) hOwner = ::GetLastActivePopup(hOwner);

    // Disable the owner and the top of its owner chain for the dialog's life.
    m_hModalOwner = hOwner;
    m_hModalTop = hTop;
    m_bEnableOwner = false;
    if (hOwner != nullptr && hOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        m_bEnableOwner = true;
    }
    m_bEnableTop = false;
    if (hTop != nullptr && hTop != hOwner && ::IsWindowEnabled(hTop)) {
        ::EnableWindow(hTop, FALSE);
        m_bEnableTop = true;
    }

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    HWND hWnd = CreateFromTemplate(m_nIDTemplate, hOwner);
    if (hWnd != nullptr && !m_bEndModal && ::IsWindow(hWnd)) {
        if (!::IsWindowVisible(hWnd)) ::ShowWindow(hWnd, SW_SHOWNORMAL);
        hr::trace::Mark("dialog shown", static_cast<int>(m_nIDTemplate));
        while (!m_bEndModal && ::IsWindow(hWnd)) {
            int quitCode = 0;
            if (!PumpMessage(&quitCode)) {
                // The enclosing loop must see the quit request too.
                ::PostQuitMessage(quitCode);
                m_nModalResult = -1;
                break;
            }
        }
    }

    LeaveModal();
    if (m_hWnd != nullptr) DestroyWindow();
    m_hModalOwner = m_hModalTop = nullptr;
    m_bModal = false;
    return hWnd == nullptr ? -1 : m_nModalResult;
}

void CDialog::LeaveModal() {
    if (m_bEnableTop) ::EnableWindow(m_hModalTop, TRUE);
    if (m_bEnableOwner) ::EnableWindow(m_hModalOwner, TRUE);
    m_bEnableTop = m_bEnableOwner = false;
    if (m_hWnd == nullptr || !::IsWindowVisible(m_hWnd)) return;
    // The activation may sit in a window the dialog owns (a content popup).
    const HWND active = ::GetActiveWindow();
    const bool wasActive = active != nullptr && (active == m_hWnd || ::GetWindow(active, GW_OWNER) == m_hWnd);
    HideForModalEnd();
    const HWND now = ::GetActiveWindow();
    if (m_hModalOwner != nullptr && wasActive &&
        (now == nullptr || now == m_hWnd || ::GetWindow(now, GW_OWNER) == m_hWnd)) {
        ::SetActiveWindow(m_hModalOwner);
    }
}

void CDialog::HideForModalEnd() {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != nullptr) return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    HWND hOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    if (hOwner == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain != nullptr && pMain != this) hOwner = pMain->m_hWnd;
    }
    m_bModal = false;
    return CreateFromTemplate(nIDTemplate, NonChildAncestor(hOwner)) != nullptr;
}

void CDialog::EndDialog(INT_PTR nResult) {
    m_nModalResult = nResult;
    if (m_bModal) {
        m_bEndModal = true;
        // The loop may be waiting in GetMessage while this runs inside a sent
        // message (another thread's SendMessage): wake it.
        if (m_hWnd != nullptr) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd != nullptr) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // Keyboard navigation of the dialog (Tab, Enter, Esc, mnemonics).
    if (m_hWnd == nullptr || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) return TRUE;
    if (HIWORD(wParam) == BN_CLICKED) {  // also menus and the keyboard's Enter/Esc (code 0)
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult) *pResult = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

void CStatic::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult) *pResult = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}
