#pragma once
// The shadowed window pair every window of the tool is made of: a modal
// parent whose whole appearance is one per-pixel-alpha picture (soft shadow,
// rounded corners) handed to the system with UpdateLayeredWindow, and a
// modeless content dialog lying over the picture's opaque area that holds
// the controls.
//
// A pair plugs in with one row of layout::PairTraits (templates, pictures,
// shadow margin, whether the parent measures the scale or centres itself, the
// content's drag band and corner ellipse) and two small classes:
//
//   class CMyChildDlg : public CShadowContentDlg {
//   public:
//       CMyChildDlg() : CShadowContentDlg(layout::TraitsOf(layout::PairKind::Main)) {}
//   protected:
//       void DoDataExchange(CDataExchange* pDX) override;   // DDX_Control the controls
//       void LayoutControls(BOOL bFirst) override;           // place them for m_fScale
//       void OnContentDestroy() override;                    // release button images
//   };
//   class CMyDlg : public CShadowParentDlg {
//   public:
//       explicit CMyDlg(CWnd* pParent = nullptr)
//           : CShadowParentDlg(layout::TraitsOf(layout::PairKind::Main), pParent) {}
//   protected:
//       void InitBeforeLayer() override;                     // title, icon, system menu
//       CShadowContentDlg* NewContent() override;            // new CMyChildDlg + its data
//       void OnContentPlaced() override;                     // e.g. SetForegroundWindow
//   };
//
// The parent's OnInitDialog then: measures the scale when the row says so,
// renders its picture scaled into the layered window (centred on the primary
// screen when the row says so, else where it stands, for the framework to
// centre over the owner), creates the content with the parent's scale, places
// it (inset by 17·s or covering the parent) and shows it together with the
// parent. Dragging the
// content by its band calls FollowContent, which moves the parent along; the
// parent's own moves carry the content while m_bMoveContent is set. Both
// swallow Enter and Esc. The parent deletes its content when it is destroyed.
//
// The parent holds no control, so whenever it is activated it hands the
// keyboard focus on to its content: the control the content had, else its
// first tab stop, else the content itself. The content then is the active
// window (and stays above its parent); its keyboard route to the system menu
// (Alt+Space) leads to the parent's menu, which carries the pair's commands.
// Screen readers name windows by their texts, so a pair whose words are only
// in its pictures gives its windows and buttons those words as texts, set
// before the windows are shown (an owner-drawn button repaints on a text).
//
// The main window uses the row PairKind::Main (template 102, PNG 144, fix
// page 141 with PNG 145, 17·s inset, measured scale, centred on the screen,
// m_bMoveContent FALSE, band 30·s less 86·s at the right, corner 18·s). It
// handles its own extra messages (WM_SYSCOMMAND, WM_PAINT, WM_QUERYDRAGICON,
// WM_CLOSE) in WindowProc before handing the rest to CShadowParentDlg, and
// runs RemoveToolFolder after CShadowParentDlg's WM_DESTROY. A content whose
// initialisation does more than "background, first layout" (the fix page)
// may override OnInitDialog, call CDialog::OnInitDialog itself, load
// m_pBkImage with EnsureBkImage and set m_bLayoutDone after its first
// LayoutControls(TRUE); WM_SIZE then re-lays it out.
#include <windows.h>

#include "dialogs/DialogImage.h"
#include "dialogs/ShadowPair.h"
#include "framework/Dialog.h"

class CShadowContentDlg;

class CShadowParentDlg : public CDialog {
public:
    CShadowParentDlg(const layout::PairTraits& traits, CWnd* pParent = nullptr);
    ~CShadowParentDlg() override;

    // Called by the content while it is dragged, with its window rectangle
    // in screen coordinates; from then on the content leads. Returns 0.
    int FollowContent(int left, int top, int right, int bottom);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The screen's scale factor: LOGPIXELSY / 96 above 100 DPI, else 1.
    static float MeasureScale();

    gdip::Image* m_pShadowImage;
    CShadowContentDlg* m_pContentDlg;
    float m_fScale;
    int m_bMoveContent;

    const layout::PairTraits& Traits() const { return m_traits; }

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The pair's own first steps, before the scale is measured.
    virtual void InitBeforeLayer() {}
    // A new content object with the pair's data handed over (the scale is
    // copied in afterwards); owned by the parent from then on.
    virtual CShadowContentDlg* NewContent() = 0;
    // At the end of OnInitDialog, once the content has been created and
    // placed (it becomes visible together with the parent).
    virtual void OnContentPlaced() {}

    // The content's rectangle for the parent's window rectangle.
    RECT ContentRectForWindow() const;

    // The content leaves the screen with its parent.
    void HideForModalEnd() override;

private:
    bool RenderLayer();
    void PassFocusToContent();
    void DeleteContent();

    const layout::PairTraits& m_traits;
    bool m_bShowContentWithParent;
};

class CShadowContentDlg : public CDialog {
public:
    explicit CShadowContentDlg(const layout::PairTraits& traits);
    ~CShadowContentDlg() override;

    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    float m_fScale;
    gdip::Image* m_pBkImage;
    int m_bLayoutDone;
    int m_bCaptionHit;

    const layout::PairTraits& Traits() const { return m_traits; }

protected:
    // Base, the background picture and the first layout.
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // A content never ends itself: a close request (the system's Close,
    // Alt+F4) goes to the parent as WM_CLOSE, which ends the pair.
    void OnOK() override;
    void OnCancel() override;

    // Places the controls for the client size and scale; bFirst also gives
    // them their images and fonts.
    virtual void LayoutControls(BOOL bFirst) = 0;
    // Where the background picture is stretched to (client coordinates).
    virtual RECT BackgroundRect() const;
    // After the background picture has been drawn on an erase.
    virtual void OnBackgroundDrawn(HDC /*hdc*/) {}
    // While the window is destroyed, before the background picture goes.
    virtual void OnContentDestroy() {}

    // Loads the background picture if it is not there yet.
    bool EnsureBkImage();
    // The shadow parent this content belongs to (its owner), or null.
    CShadowParentDlg* ShadowParent() const;

private:
    friend class CShadowParentDlg;
    // The focus back to the control that had it, else the first tab stop,
    // else the content itself.
    void TakeFocus();

    LRESULT OnNcHitTest(LPARAM lParam);

    const layout::PairTraits& m_traits;
    // The control that had the focus when the content was last deactivated.
    HWND m_hLastFocus;
};
