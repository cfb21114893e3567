#pragma once
// The tool's own message box: the title "提示", a close button, the message
// centred in white and one or two answer buttons, chosen by the prompt type:
//   1 是 alone, 2 是 and 否, 3 确定 alone, 4 确定 and 取消.
// DoModal returns IDOK for the confirm button, IDCANCEL for the cancel and
// close buttons and for WM_CLOSE.
#include <string>

#include "controls/ImageButton.h"
#include "controls/TextStatics.h"
#include "dialogs/ShadowDialog.h"

// Sent by the content to its parent: wParam 1 confirm, 2 cancel.
constexpr UINT WM_PROMPT_RESULT = WM_USER + 533;
static_assert(WM_PROMPT_RESULT == 1557, "the prompt pair's message number is fixed");

class CPromptChildDlg : public CShadowContentDlg {
public:
    CPromptChildDlg();
    ~CPromptChildDlg() override;

    void SetPromptText(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void LayoutControls(BOOL bFirst) override;
    void OnBackgroundDrawn(HDC hdc) override;
    void OnContentDestroy() override;
    // The confirm button alone, at the bottom centre (types 1 and 3).
    void CenterSingleButton();

private:
    BOOL m_bTitleFont;
    CFont m_fontTitle;
    CImageButton m_btnClose;
    CImageButton m_btnConfirm;
    CImageButton m_btnCancel;
    CDrawTextStatic m_stcMessage;
    std::wstring m_strMessage;
    int m_nPromptType;
};

class CPromptDlg : public CShadowParentDlg {
public:
    explicit CPromptDlg(CWnd* pParent = nullptr);

    void SetPromptText(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

protected:
    void InitBeforeLayer() override;
    CShadowContentDlg* NewContent() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring m_strMessage;
    int m_nPromptType;
};
