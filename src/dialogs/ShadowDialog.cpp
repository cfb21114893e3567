#include "dialogs/ShadowDialog.h"

#include "controls/ImageHelpers.h"
#include "framework/App.h"
#include "framework/Gdi.h"

namespace {

layout::Rect ToLayout(const RECT& rc) { return layout::Rect{rc.left, rc.top, rc.right, rc.bottom}; }

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Enter and Esc would end a dialog through the system's dialog keys; these
// windows end only through their buttons and WM_CLOSE.
bool IsSwallowedKey(const MSG* pMsg) {
    return pMsg != nullptr && pMsg->message == WM_KEYDOWN &&
           (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN);
}

// Posted to a parent on its activation: the focus goes on to the content
// once the activation (and the content's showing with it) is over.
const UINT WM_FOCUS_CONTENT = WM_APP + 40;

// A control that can take the focus: still a control of that content,
// shown and enabled.
bool CanTakeFocus(HWND hContent, HWND hCtl) {
    return hCtl != nullptr && ::IsWindow(hCtl) && ::IsChild(hContent, hCtl) && ::IsWindowVisible(hCtl) &&
           ::IsWindowEnabled(hCtl);
}

}  // namespace

// ---------------------------------------------------------------------------
// Shadow parent

CShadowParentDlg::CShadowParentDlg(const layout::PairTraits& traits, CWnd* pParent)
    : CDialog(static_cast<UINT>(traits.parentTemplate), pParent),
      m_pShadowImage(nullptr),
      m_pContentDlg(nullptr),
      m_fScale(1.0f),
      m_bMoveContent(traits.moveContentAtStart ? TRUE : FALSE),
      m_traits(traits),
      m_bShowContentWithParent(false) {}

CShadowParentDlg::~CShadowParentDlg() {
    // Normally gone with the window; a parent that never got as far as
    // WM_DESTROY still owns both.
    DeleteContent();
    dlg::FreePicture(m_pShadowImage);
}

float CShadowParentDlg::MeasureScale() {
    int dpi = 0;
    if (HDC hdc = ::GetDC(nullptr)) {
        dpi = ::GetDeviceCaps(hdc, LOGPIXELSY);
        ::ReleaseDC(nullptr, hdc);
    }
    return layout::ScaleFromLogPixels(dpi);
}

BOOL CShadowParentDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    InitBeforeLayer();
    if (m_traits.measuresScale) m_fScale = MeasureScale();

    // Without its picture the parent stays a plain popup with no content.
    if (m_pShadowImage == nullptr &&
        !LoadPngFromResource(m_pShadowImage, static_cast<UINT>(m_traits.parentPicture))) {
        return TRUE;
    }
    if (!RenderLayer()) return TRUE;

    RECT rcParent;
    GetWindowRect(&rcParent);

    m_pContentDlg = NewContent();
    if (m_pContentDlg == nullptr) return TRUE;
    m_pContentDlg->m_fScale = m_fScale;
    if (!m_pContentDlg->Create(static_cast<UINT>(m_traits.contentTemplate), this)) {
        DeleteContent();
        return TRUE;
    }
    m_pContentDlg->MoveWindow(ToRect(layout::ContentRectFor(ToLayout(rcParent), m_traits, m_fScale)), TRUE);
    // The parent is shown only after this returns (and, for the prompts,
    // centred first). Shown now, the content would stand at the parent's
    // first place for a moment, and a system without a window manager stacks
    // the parent, mapped later, above its own content. So the content
    // appears when the parent does, without taking the activation from it.
    if (IsWindowVisible()) {
        m_pContentDlg->ShowWindow(SW_SHOW);
    } else {
        m_bShowContentWithParent = true;
    }
    OnContentPlaced();
    return TRUE;
}

bool CShadowParentDlg::RenderLayer() {
    const SIZE pic = dlg::PictureSize(m_pShadowImage);
    const int width = layout::ScaledLength(pic.cx, m_fScale);
    const int height = layout::ScaledLength(pic.cy, m_fScale);
    if (width <= 0 || height <= 0) return false;

    POINT dest;
    if (m_traits.centresOnScreen) {
        int x = 0, y = 0;
        layout::CentredOrigin(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), pic.cx, pic.cy,
                              m_fScale, &x, &y);
        dest = POINT{x, y};
    } else {
        RECT rc;
        GetWindowRect(&rc);
        dest = POINT{rc.left, rc.top};
    }

    // Layered from now on. Set rather than toggled, so that a template that
    // already carries the bit does not lose it.
    const LONG exStyle = ::GetWindowLongW(m_hWnd, GWL_EXSTYLE);
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

    BOOL ok = FALSE;
    if (HBITMAP hLayer = dlg::RenderLayer(m_pShadowImage, width, height)) {
        CGdiObject<HBITMAP> layer(hLayer);
        CClientDC screen(nullptr);
        CMemoryDC memDC(screen);
        memDC.SelectObject(layer);
        SIZE size{width, height};
        POINT src{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ok = ::UpdateLayeredWindow(m_hWnd, screen, &dest, &size, memDC, &src, 0, &blend, ULW_ALPHA);
        memDC.RestoreObjects();
    }
    // A layered window that never got its picture would stay invisible, a
    // modal window nobody can see: leave it a plain popup instead.
    if (!ok) ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle);
    return ok != FALSE;
}

RECT CShadowParentDlg::ContentRectForWindow() const {
    RECT rc;
    GetWindowRect(&rc);
    return ToRect(layout::ContentRectFor(ToLayout(rc), m_traits, m_fScale));
}

void CShadowParentDlg::PassFocusToContent() {
    // Only while this pair is still the one in front: by now another window
    // may have taken the activation, or the pair may be ending.
    if (::GetActiveWindow() != m_hWnd || m_pContentDlg == nullptr || !m_pContentDlg->IsWindow()) return;
    if (!m_pContentDlg->IsWindowVisible() || !m_pContentDlg->IsWindowEnabled()) return;
    m_pContentDlg->TakeFocus();
}

void CShadowParentDlg::HideForModalEnd() {
    if (m_pContentDlg != nullptr && m_pContentDlg->IsWindow()) m_pContentDlg->ShowWindow(SW_HIDE);
    CDialog::HideForModalEnd();
}

int CShadowParentDlg::FollowContent(int left, int top, int right, int bottom) {
    m_bMoveContent = FALSE;
    const layout::Rect parent = layout::ParentRectFor(layout::Rect{left, top, right, bottom}, m_traits, m_fScale);
    MoveWindow(ToRect(parent), TRUE);
    return 0;
}

BOOL CShadowParentDlg::PreTranslateMessage(MSG* pMsg) {
    if (IsSwallowedKey(pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CShadowParentDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (m_bShowContentWithParent && pos != nullptr && (pos->flags & SWP_SHOWWINDOW)) {
            m_bShowContentWithParent = false;
            if (m_pContentDlg != nullptr && m_pContentDlg->IsWindow()) m_pContentDlg->ShowWindow(SW_SHOWNA);
        }
        return result;
    }
    case WM_ACTIVATE: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) PostMessageW(WM_FOCUS_CONTENT, 0, 0);
        return result;
    }
    case WM_FOCUS_CONTENT:
        PassFocusToContent();
        return 0;
    case WM_MOVE: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        if (m_bMoveContent && m_pContentDlg != nullptr && m_pContentDlg->IsWindow()) {
            m_pContentDlg->MoveWindow(ContentRectForWindow(), TRUE);
        }
        return result;
    }
    case WM_DESTROY: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        dlg::FreePicture(m_pShadowImage);
        DeleteContent();
        return result;
    }
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CShadowParentDlg::DeleteContent() {
    delete m_pContentDlg;  // destroys its window if it is still there
    m_pContentDlg = nullptr;
}

// ---------------------------------------------------------------------------
// Content

CShadowContentDlg::CShadowContentDlg(const layout::PairTraits& traits)
    : CDialog(static_cast<UINT>(traits.contentTemplate), nullptr),
      m_fScale(1.0f),
      m_pBkImage(nullptr),
      m_bLayoutDone(FALSE),
      m_bCaptionHit(FALSE),
      m_traits(traits),
      m_hLastFocus(nullptr) {}

CShadowContentDlg::~CShadowContentDlg() {
    // The window normally goes first, with its owner; should the object be
    // deleted while the window still stands, take the window down with it.
    if (IsWindow()) DestroyWindow();
    dlg::FreePicture(m_pBkImage);
}

BOOL CShadowContentDlg::Create(UINT nIDTemplate, CWnd* pParentWnd) { return CDialog::Create(nIDTemplate, pParentWnd); }

bool CShadowContentDlg::EnsureBkImage() {
    return m_pBkImage != nullptr || LoadPngFromResource(m_pBkImage, static_cast<UINT>(m_traits.contentPicture));
}

BOOL CShadowContentDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Without its picture the controls keep their template places.
    if (EnsureBkImage()) {
        LayoutControls(TRUE);
        m_bLayoutDone = TRUE;
    }
    return TRUE;
}

CShadowParentDlg* CShadowContentDlg::ShadowParent() const {
    return dynamic_cast<CShadowParentDlg*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

void CShadowContentDlg::TakeFocus() {
    HWND target = m_hLastFocus;
    if (!CanTakeFocus(m_hWnd, target)) target = ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (!CanTakeFocus(m_hWnd, target)) target = m_hWnd;
    ::SetFocus(target);
}

RECT CShadowContentDlg::BackgroundRect() const {
    RECT rc;
    GetClientRect(&rc);
    return rc;
}

BOOL CShadowContentDlg::PreTranslateMessage(MSG* pMsg) {
    if (IsSwallowedKey(pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CShadowContentDlg::OnOK() { OnCancel(); }

void CShadowContentDlg::OnCancel() {
    CWnd* pParent = GetParent();
    if (pParent != nullptr) pParent->SendMessageW(WM_CLOSE, 0, 0);
}

LRESULT CShadowContentDlg::OnNcHitTest(LPARAM lParam) {
    RECT rc;
    GetClientRect(&rc);
    ClientToScreen(&rc);
    const layout::Rect band = layout::ContentDragBand(ToLayout(rc), m_traits, m_fScale);
    const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    m_bCaptionHit = layout::Contains(band, pt.x, pt.y) ? TRUE : FALSE;
    if (m_bCaptionHit) return HTCAPTION;
    return Default();
}

LRESULT CShadowContentDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        if (!EnsureBkImage()) return TRUE;
        const HDC hdc = reinterpret_cast<HDC>(wParam);
        dlg::DrawPicture(hdc, m_pBkImage, BackgroundRect());
        OnBackgroundDrawn(hdc);
        return TRUE;
    }
    case WM_SIZE: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        const int d = layout::CornerEllipse(m_traits.cornerEllipse, m_fScale);
        SetRoundWindowRegion(m_hWnd, d, d);
        if (m_bLayoutDone) LayoutControls(FALSE);
        return result;
    }
    case WM_NCHITTEST:
        if (!m_traits.draggable) break;
        return OnNcHitTest(lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(m_hWnd, focus)) m_hLastFocus = focus;
        }
        break;
    case WM_SYSCOMMAND:
        // Alt+Space (and Alt alone) open the system menu of the window in
        // front; the pair's menu is the parent's (the main window's has
        // its About entry).
        if ((wParam & 0xFFF0) == SC_KEYMENU) {
            if (CShadowParentDlg* pParent = ShadowParent()) {
                pParent->SendMessageW(WM_SYSCOMMAND, wParam, lParam);
                return 0;
            }
        }
        break;
    case WM_MOVE: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        if (m_traits.draggable && m_bCaptionHit) {
            if (CShadowParentDlg* pParent = ShadowParent()) {
                RECT rc;
                GetWindowRect(&rc);
                pParent->FollowContent(rc.left, rc.top, rc.right, rc.bottom);
            }
        }
        return result;
    }
    case WM_DESTROY: {
        const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        OnContentDestroy();
        dlg::FreePicture(m_pBkImage);
        return result;
    }
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
