#pragma once
// The waiting window shown while the uninstall worker runs: one line of
// white text with dots growing every second, no buttons, not movable. It ends
// with IDOK when WM_EXECUTE_DONE reaches it, and only then: Alt+F4, the
// system menu's Close, WM_CLOSE and IDCANCEL, on either window of the pair,
// are ignored, since the page behind it would take a second run meanwhile.
#include <string>

#include "controls/TextStatics.h"
#include "dialogs/ShadowDialog.h"
#include "engine/UninstallMessages.h"

class CExecutePromptChildDlg : public CShadowContentDlg {
public:
    CExecutePromptChildDlg();
    ~CExecutePromptChildDlg() override;

    void SetPromptText(const std::wstring& text) { m_strPrompt = text; }
    // Ends the dot animation: timer stopped, dots cleared.
    void StopDots();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void LayoutControls(BOOL bFirst) override;
    void OnContentDestroy() override;

private:
    CDrawStateInfoStatic m_stcStatus;
    std::wstring m_strPrompt;
};

class CExecutePromptDlg : public CShadowParentDlg {
public:
    explicit CExecutePromptDlg(CWnd* pParent = nullptr);

    void SetPromptText(const std::wstring& text) { m_strPrompt = text; }

protected:
    void InitBeforeLayer() override;
    CShadowContentDlg* NewContent() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;

private:
    std::wstring m_strPrompt;
    bool m_bDone;
};
