#include "app/MainDlg.h"

#include <string>

#include "app/ToolFolder.h"
#include "dialogs/ProblemSolvingFeedbackDlg.h"
#include "fixpage/FixPageDlg.h"
#include "framework/App.h"
#include "framework/Gdi.h"
#include "res/resource.h"

const wchar_t kMainWindowTitle[] = L"Tessaro Veride Hubrelay 服务卸载工具";

CAboutDlg::CAboutDlg() : CDialogEx(IDD_ABOUTBOX) {}

CRemedoTessaroModernHubrelayServiceUninstalledDlg::CRemedoTessaroModernHubrelayServiceUninstalledDlg(CWnd* pParent)
    : CShadowParentDlg(layout::TraitsOf(layout::PairKind::Main), pParent),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_bCloseApproved(false) {}

CTessaroModernHubrelayServiceUninstalledDlg* CRemedoTessaroModernHubrelayServiceUninstalledDlg::FixPage() const {
    return static_cast<CTessaroModernHubrelayServiceUninstalledDlg*>(m_pContentDlg);
}

void CRemedoTessaroModernHubrelayServiceUninstalledDlg::InitBeforeLayer() {
    if (HMENU hMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t text[256] = {};
        const int n = ::LoadStringW(AfxGetResourceHandle(), IDS_ABOUTBOX, text, 256);
        if (n > 0) {
            ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(hMenu, MF_STRING, ID_SYSMENU_ABOUT, text);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowTextW(kMainWindowTitle);
}

CShadowContentDlg* CRemedoTessaroModernHubrelayServiceUninstalledDlg::NewContent() {
    return new CTessaroModernHubrelayServiceUninstalledDlg;
}

void CRemedoTessaroModernHubrelayServiceUninstalledDlg::OnContentPlaced() { SetForegroundWindow(); }

LRESULT CRemedoTessaroModernHubrelayServiceUninstalledDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == ID_SYSMENU_ABOUT) {
            CAboutDlg about;
            about.DoModal();
            return 0;
        }
        break;
    case WM_PAINT:
        if (IsIconic()) {
            OnPaint();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_CLOSE:
        if (!OnClose()) return 0;
        break;  // then the default handling ends the dialog
    case WM_DESTROY: {
        // Teardown first: the fix page goes, and with it the companion
        // library, so that its file can be deleted too.
        const LRESULT result = CShadowParentDlg::WindowProc(message, wParam, lParam);
        RemoveToolFolder();
        return result;
    }
    default:
        break;
    }
    return CShadowParentDlg::WindowProc(message, wParam, lParam);
}

void CRemedoTessaroModernHubrelayServiceUninstalledDlg::OnPaint() {
    CPaintDC dc(this);
    SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT rc;
    GetClientRect(&rc);
    const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
}

bool CRemedoTessaroModernHubrelayServiceUninstalledDlg::OnClose() {
    CTessaroModernHubrelayServiceUninstalledDlg* page = FixPage();
    if (page != nullptr) {
        // Held during a run: the page closes this window again once the
        // user has seen the outcome. Refused while the tool is ending
        // already (the question is open, or a notice ends the process).
        if (page->RequestClose() != fixpage::Request::Now) return false;
        if (page->CanAskFeedback()) {
            CProblemSolvingFeedbackDlg feedback;
            feedback.SetFeedbackLibrary(&page->m_feedbackDll);
            feedback.SetClientKind(page->m_nClientKind);
            feedback.DoModal();
        }
    }
    m_bCloseApproved = true;
    return true;
}

void CRemedoTessaroModernHubrelayServiceUninstalledDlg::OnOK() { OnCancel(); }

void CRemedoTessaroModernHubrelayServiceUninstalledDlg::OnCancel() {
    if (m_bCloseApproved) {
        CShadowParentDlg::OnCancel();
    } else {
        SendMessageW(WM_CLOSE, 0, 0);
    }
}
