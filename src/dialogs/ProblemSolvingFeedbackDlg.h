#pragma once
// Asked when the tool closes: did it solve the problem? Three answers
// (solved, not solved, other), each reported to the companion library with
// the tool's identifier and version, the time and the launcher-client kind,
// then the dialog closes. Every way out returns IDCANCEL.
#include "controls/ImageButton.h"
#include "dialogs/ShadowDialog.h"

class CFeedbackDll;

class CProblemSolvingFeedbackChildDlg : public CShadowContentDlg {
public:
    CProblemSolvingFeedbackChildDlg();
    ~CProblemSolvingFeedbackChildDlg() override;

    void SetFeedbackLibrary(CFeedbackDll* pLibrary) { m_pFeedbackDll = pLibrary; }
    void SetClientKind(int nClientKind) { m_nClientKind = nClientKind; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void LayoutControls(BOOL bFirst) override;
    RECT BackgroundRect() const override;
    void OnContentDestroy() override;

private:
    void Answer(int controlId, CImageButton& button);

    RECT m_rcLayout;
    CImageButton m_btnClose;
    CImageButton m_btnSolved;
    CImageButton m_btnNotSolved;
    CImageButton m_btnOther;
    CFeedbackDll* m_pFeedbackDll;
    int m_nClientKind;
};

class CProblemSolvingFeedbackDlg : public CShadowParentDlg {
public:
    explicit CProblemSolvingFeedbackDlg(CWnd* pParent = nullptr);

    void SetFeedbackLibrary(CFeedbackDll* pLibrary) { m_pFeedbackDll = pLibrary; }
    void SetClientKind(int nClientKind) { m_nClientKind = nClientKind; }

protected:
    void InitBeforeLayer() override;
    CShadowContentDlg* NewContent() override;

private:
    CFeedbackDll* m_pFeedbackDll;
    int m_nClientKind;
};
