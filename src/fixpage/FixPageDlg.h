#pragma once
// The fix page: the tool's one working surface, the content of the main
// window pair. It lays its eight skinned controls over the page picture,
// runs the start-up checks when it opens (a failed check, or a newer version
// reported by the companion library, ends the process), and runs the
// uninstall with its progress and outcome prompts.
#include <string>

#include "controls/CheckBoxBtn.h"
#include "controls/ImageButton.h"
#include "controls/TextStatics.h"
#include "dialogs/ShadowDialog.h"
#include "engine/ServiceUninstaller.h"
#include "fixpage/FixPageSession.h"
#include "fixpage/FixPageTexts.h"
#include "integration/Aes.h"
#include "integration/FeedbackDll.h"
#include "integration/FeedbackInfo.h"

class CExecutePromptDlg;

class CTessaroModernHubrelayServiceUninstalledDlg : public CShadowContentDlg {
public:
    enum { HoverTimerId = 33, UpdateTimerId = 38, TimerPeriodMs = 100 };

    CTessaroModernHubrelayServiceUninstalledDlg();
    ~CTessaroModernHubrelayServiceUninstalledDlg() override;

    // Places the controls for the current client size; bFirst also skins them.
    void LayoutControls(BOOL bFirst) override;

    // The main window's close: Now when its closing sequence may run, Held
    // while an uninstall run lasts (the page closes the main window again
    // once the run is over), Refused while the tool is already ending.
    fixpage::Request RequestClose() { return m_session.OnCloseRequest(); }
    // The feedback question needs the companion library.
    bool CanAskFeedback() const { return m_feedbackDll.m_hModule != nullptr; }

    // Used by the main window (the feedback question when it closes).
    CServiceUninstaller m_uninstaller;
    CFeedbackDll m_feedbackDll;
    FeedbackInfo m_feedbackInfo;
    int m_nClientKind;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnContentDestroy() override;

private:
    // Start-up (FixPageStartup.cpp).
    void ScanLauncherClient();
    // Runs the four gates; returns only when all passed, else the process ends.
    void RunStartupChecks();
    // The one-time question whether a newer version exists.
    void RunUpdateCheck();
    // The notice for a newer version, then the end of the process.
    void ShowUpdateNotice(const fixpage::UpdateNotice& notice);
    // A modal prompt (type 3, one confirm button) with the page's scale.
    void ShowPrompt(const wchar_t* text, CWnd* pOwner);

    void OnTimer(UINT_PTR nIDEvent);
    void OnLinkClick(POINT ptClient);
    void OnAgreeClicked();
    void OnUninstall();
    void OnExecuteDone();
    void OnUninstallResult(WPARAM result);
    void OnRunOver();

    CRect m_rcClient;
    CDrawTextStatic m_stcVersion;
    CImageButton m_btnClose;
    CImageButton m_btnMinimize;
    CImageButton m_btnUninstall;
    CImageButton m_btnMoreTools;
    CCheckBoxBtn m_chkAgree;
    CDrawTextStatic m_stcAgreement;
    CDrawTextStatic m_stcFeedback;
    CAes m_aes;
    CExecutePromptDlg* m_pExecutePrompt;
    // While an uninstall run's progress prompt is in its modal loop.
    BOOL m_bInProgressPrompt;
    fixpage::Session m_session;
    // An update notice that came during a run.
    fixpage::UpdateNotice m_heldNotice;
};
