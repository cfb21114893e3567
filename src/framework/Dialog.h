#pragma once
// Dialogs of the tool's small framework, made from the module's dialog
// templates.
//
// A dialog class:
//   class CMyDlg : public CDialog {
//   public:
//       explicit CMyDlg(CWnd* pParent = nullptr) : CDialog(IDD_MY, pParent) {}
//   protected:
//       void DoDataExchange(CDataExchange* pDX) override {
//           CDialog::DoDataExchange(pDX);
//           DDX_Control(pDX, IDC_OK_BUTTON, m_btnOk);     // subclasses the control
//       }
//       BOOL OnInitDialog() override { CDialog::OnInitDialog(); ...; return TRUE; }
//       LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
//           switch (msg) {
//           case WM_TIMER: ...; return 0;
//           }
//           return CDialog::WindowProc(msg, wp, lp);
//       }
//       BOOL OnCommand(WPARAM wp, LPARAM lp) override {
//           if (LOWORD(wp) == IDC_OK_BUTTON && HIWORD(wp) == BN_CLICKED) { ...; return TRUE; }
//           return CDialog::OnCommand(wp, lp);       // IDOK -> OnOK, IDCANCEL -> OnCancel
//       }
//       CImageButton m_btnOk;
//   };
//   CMyDlg dlg;  INT_PTR r = dlg.DoModal();          // or: dlg.Create(IDD_MY, pOwner);
#include "framework/Wnd.h"

class CDialog;

// What DoDataExchange works with: the dialog and the direction.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds a member control to the dialog's control nIDC by subclassing it, so
// the control's object receives its messages and its reflected owner-draw
// requests. Already bound controls are left alone; an ID the template lacks
// leaves the control unbound (its operations then do nothing). Returns
// whether the control is bound afterwards.
BOOL DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
BOOL DDX_Control(HWND hWndDlg, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally with its own message loop and returns the value
    // given to EndDialog (-1 when the dialog could not be created, or when
    // the window went away without EndDialog or a WM_QUIT arrived, which is
    // passed on to the enclosing loop).
    //
    // Owner: the parent given to the constructor, else the last active popup
    // of the application's main window. The owner (and the top of its owner
    // chain) is disabled while the dialog runs and enabled again before the
    // dialog is destroyed. If OnInitDialog leaves the top-left corner where
    // the system put it, the dialog is centred over a visible owner, or in
    // the primary monitor's work area when the owner is missing, hidden or
    // minimised.
    virtual INT_PTR DoModal();

    // Creates the dialog modelessly, owned by pParentWnd (or the application's
    // main window when null). TRUE on success.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Ends a modal dialog's loop with nResult; a modeless dialog is hidden.
    void EndDialog(INT_PTR nResult);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    // Base: binds the controls (DoDataExchange) and returns TRUE, so that the
    // system gives the focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // The window side of a modal end, in the order Windows' own EndDialog
    // keeps: the owner (and the top of its chain) gets its input back first,
    // then the dialog leaves the screen, and the activation goes to the owner
    // if it was the dialog's. Hidden while its owner is still disabled, the
    // dialog would hand the activation to another application. DoModal does
    // this as its loop ends; a dialog that may be followed at once by another
    // window, inside the same handler, does it as it ends.
    void LeaveModal();
    // Takes the dialog off the screen for LeaveModal; a dialog shown together
    // with windows of its own hides them too.
    virtual void HideForModalEnd();

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleInitDialog();
    HWND CreateFromTemplate(UINT nIDTemplate, HWND hWndOwner);

    bool m_bModal;
    bool m_bEndModal;
    INT_PTR m_nModalResult;
    // What DoModal disabled, until LeaveModal gives it back.
    HWND m_hModalOwner;
    HWND m_hModalTop;
    bool m_bEnableOwner;
    bool m_bEnableTop;
};

// The About box's base class: a plain dialog in this framework.
class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr) : CDialog(nIDTemplate, pParentWnd) {}
};

// Thin control wrappers. Derived classes receive their own messages through
// WindowProc once bound with DDX_Control, and owner-drawn ones their
// WM_DRAWITEM through DrawItem.
class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessageW(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessageW(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CStatic : public CWnd {
public:
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
