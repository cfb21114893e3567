#include "framework/Wnd.h"

#include <memory>
#include <unordered_map>

#include "framework/Placement.h"

namespace {

// The object bound to a window lives in this property of the window.
const wchar_t kObjectProp[] = L"HrFrameworkWnd";

// Wrappers handed out by FromHandle for windows no object is bound to. They
// only hold the handle; one per handle and thread, kept for the thread's life.
std::unordered_map<HWND, std::unique_ptr<CWnd>>& Temporaries() {
    thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

}  // namespace

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_current{0, 0, 0} {}

CWnd::~CWnd() {
    if (m_hWnd == nullptr || m_pfnSuper == nullptr) {
        return;  // never bound, or a temporary wrapper
    }
    // The derived parts of this object are gone: let the window go on with its
    // own procedure. A top-level window goes with its object; a control stays
    // with its dialog, which destroys it.
    HWND hWnd = UnsubclassWindow();
    if (hWnd != nullptr && ::IsWindow(hWnd) && !(::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) {
        ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp));
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    if (CWnd* bound = FromHandlePermanent(hWnd)) return bound;
    auto& map = Temporaries();
    auto& slot = map[hWnd];
    if (!slot) slot.reset(new CWnd);
    slot->m_hWnd = hWnd;
    return slot.get();
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || !::IsWindow(hWnd)) return FALSE;
    if (FromHandlePermanent(hWnd) != nullptr) return FALSE;
    // Windows of another thread cannot be subclassed from here.
    if (::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId()) return FALSE;
    if (!::SetPropW(hWnd, kObjectProp, this)) return FALSE;
    m_hWnd = hWnd;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProcThunk)));
    if (m_pfnSuper == nullptr) {
        ::RemovePropW(hWnd, kObjectProp);
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr || pParent->m_hWnd == nullptr) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr) return nullptr;
    if (m_pfnSuper != nullptr && ::IsWindow(hWnd)) {
        // Only undo our own link: if someone subclassed on top of us, putting
        // the old procedure back would cut them off.
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::WndProcThunk) {
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        }
        ::RemovePropW(hWnd, kObjectProp);
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CALLBACK CWnd::WndProcThunk(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr || pWnd->m_pfnSuper == nullptr) {
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    CurrentMessage saved = pWnd->m_current;
    pWnd->m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Last message of the window: forget it, then let the object go.
        if (pWnd->m_hWnd == hWnd) {
            pWnd->UnsubclassWindow();
            pWnd->PostNcDestroy();
        }
        return result;
    }
    pWnd->m_current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis != nullptr && dis->CtlType != ODT_MENU) {
            CWnd* child = FromHandlePermanent(dis->hwndItem);
            LRESULT result = 0;
            if (child != nullptr && child->OnChildNotify(message, wParam, lParam, &result)) return result;
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

void CWnd::PostNcDestroy() {}

LRESULT CWnd::Default() { return DefWindowProcW(m_current.message, m_current.wParam, m_current.lParam); }

LRESULT CWnd::DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == nullptr) return 0;
    if (m_pfnSuper != nullptr) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetParent() const { return m_hWnd ? FromHandle(::GetParent(m_hWnd)) : nullptr; }

CWnd* CWnd::GetDlgItem(int nID) const { return m_hWnd ? FromHandle(::GetDlgItem(m_hWnd, nID)) : nullptr; }

int CWnd::GetDlgCtrlID() const { return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0; }

DWORD CWnd::GetStyle() const {
    return m_hWnd ? static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)) : 0;
}

DWORD CWnd::GetExStyle() const {
    return m_hWnd ? static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)) : 0;
}

BOOL CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    return m_hWnd ? ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint) : FALSE;
}

BOOL CWnd::MoveWindow(const RECT& rc, BOOL bRepaint) {
    return MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
}

BOOL CWnd::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return m_hWnd ? ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags) : FALSE;
}

BOOL CWnd::ShowWindow(int nCmdShow) { return m_hWnd ? ::ShowWindow(m_hWnd, nCmdShow) : FALSE; }

void CWnd::CenterWindow() {
    if (m_hWnd == nullptr) return;
    RECT rcWnd;
    ::GetWindowRect(m_hWnd, &rcWnd);
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcCentre, rcArea;
    if (hOwner != nullptr && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) {
        // Over the owner, kept inside the work area of the owner's monitor.
        ::GetWindowRect(hOwner, &rcCentre);
        MONITORINFO mi;
        mi.cbSize = sizeof(mi);
        if (::GetMonitorInfoW(::MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST), &mi)) {
            rcArea = mi.rcWork;
        } else {
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
        }
    } else {
        // No owner to centre on (none, hidden or minimised): the primary
        // monitor's work area.
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
        rcCentre = rcArea;
    }
    hr::PlacePoint pt = hr::CentreWindowIn(rcWnd.right - rcWnd.left, rcWnd.bottom - rcWnd.top,
                                           hr::PlaceRect{rcCentre.left, rcCentre.top, rcCentre.right, rcCentre.bottom},
                                           hr::PlaceRect{rcArea.left, rcArea.top, rcArea.right, rcArea.bottom});
    ::SetWindowPos(m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetClientRect(RECT* pRect) const {
    if (pRect == nullptr) return;
    if (m_hWnd == nullptr || !::GetClientRect(m_hWnd, pRect)) ::SetRectEmpty(pRect);
}

void CWnd::GetWindowRect(RECT* pRect) const {
    if (pRect == nullptr) return;
    if (m_hWnd == nullptr || !::GetWindowRect(m_hWnd, pRect)) ::SetRectEmpty(pRect);
}

void CWnd::ClientToScreen(POINT* pPoint) const {
    if (m_hWnd && pPoint) ::ClientToScreen(m_hWnd, pPoint);
}

void CWnd::ClientToScreen(RECT* pRect) const {
    if (m_hWnd && pRect) ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::ScreenToClient(POINT* pPoint) const {
    if (m_hWnd && pPoint) ::ScreenToClient(m_hWnd, pPoint);
}

void CWnd::ScreenToClient(RECT* pRect) const {
    if (m_hWnd && pRect) ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::SetWindowTextW(const wchar_t* text) {
    if (m_hWnd) ::SetWindowTextW(m_hWnd, text ? text : L"");
}

std::wstring CWnd::GetWindowTextW() const {
    if (m_hWnd == nullptr) return std::wstring();
    int len = ::GetWindowTextLengthW(m_hWnd);
    if (len <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, &text[0], len + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

// A null window handle would invalidate the whole desktop: never pass one.
void CWnd::Invalidate(BOOL bErase) {
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(const RECT* pRect, BOOL bErase) {
    if (m_hWnd) ::InvalidateRect(m_hWnd, pRect, bErase);
}

void CWnd::UpdateWindow() {
    if (m_hWnd) ::UpdateWindow(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL bEnable) { return m_hWnd ? ::EnableWindow(m_hWnd, bEnable) : FALSE; }

BOOL CWnd::IsWindowEnabled() const { return m_hWnd ? ::IsWindowEnabled(m_hWnd) : FALSE; }

BOOL CWnd::IsWindowVisible() const { return m_hWnd ? ::IsWindowVisible(m_hWnd) : FALSE; }

BOOL CWnd::IsIconic() const { return m_hWnd ? ::IsIconic(m_hWnd) : FALSE; }

HWND CWnd::SetFocus() { return m_hWnd ? ::SetFocus(m_hWnd) : nullptr; }

BOOL CWnd::SetForegroundWindow() { return m_hWnd ? ::SetForegroundWindow(m_hWnd) : FALSE; }

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfn) {
    return m_hWnd ? ::SetTimer(m_hWnd, nIDEvent, nElapse, pfn) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return m_hWnd ? ::KillTimer(m_hWnd, nIDEvent) : FALSE; }

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::SendMessageW(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::PostMessageW(m_hWnd, message, wParam, lParam) : FALSE;
}

HFONT CWnd::GetFont() const {
    return m_hWnd ? reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
}

void CWnd::SetFont(HFONT hFont, BOOL bRedraw) {
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    if (m_hWnd == nullptr) return nullptr;
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::WalkPreTranslateTree(MSG* pMsg) {
    // ::GetParent yields the parent of a child and the owner of a popup, so a
    // key pressed in a modeless content dialog reaches the content first and
    // then the modal window that owns it.
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg)) return TRUE;
    }
    return FALSE;
}

BOOL CWnd::PumpMessage(int* pQuitCode) {
    MSG msg;
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        if (pQuitCode) *pQuitCode = got == 0 ? static_cast<int>(msg.wParam) : -1;
        return FALSE;
    }
    if (!WalkPreTranslateTree(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}
