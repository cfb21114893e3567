#pragma once
// The main window: the shadowed parent of the fix page, with the tool's icon,
// title and About entry. Closing it asks whether the problem was solved; as
// it is destroyed it starts the removal of the tool's own files. A close
// during an uninstall run waits for the run (the fix page decides).
#include "dialogs/ShadowDialog.h"
#include "framework/Dialog.h"

class CTessaroModernHubrelayServiceUninstalledDlg;

extern const wchar_t kMainWindowTitle[];  // "Tessaro Veride Hubrelay 服务卸载工具"

class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();
};

class CRemedoTessaroModernHubrelayServiceUninstalledDlg : public CShadowParentDlg {
public:
    explicit CRemedoTessaroModernHubrelayServiceUninstalledDlg(CWnd* pParent = nullptr);

    // The fix page, once it has been created.
    CTessaroModernHubrelayServiceUninstalledDlg* FixPage() const;

    HICON m_hIcon;

protected:
    void InitBeforeLayer() override;
    CShadowContentDlg* NewContent() override;
    void OnContentPlaced() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // IDOK and IDCANCEL from elsewhere are close requests like WM_CLOSE.
    void OnOK() override;
    void OnCancel() override;

private:
    void OnPaint();
    // The closing sequence's first part; false when the close must not
    // (or not yet) happen.
    bool OnClose();

    bool m_bCloseApproved;
};
