#include "app/App.h"

#include <commctrl.h>

#include "app/MainDlg.h"
#include "controls/SystemLibrary.h"
#include "framework/StartupTrace.h"

namespace {

// comctl32 is not imported (a planted copy could sit beside the tool): the
// one function needed comes from the system folder's copy, which the
// manifest redirects to common controls 6.
void InitCommonControlsFromSystem() {
    HMODULE comctl = LoadSystemLibrary(L"comctl32.dll");
    if (comctl == nullptr) return;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")));
    if (init == nullptr) return;
    INITCOMMONCONTROLSEX icc;
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    init(&icc);
    // Kept loaded for the life of the process.
}

}  // namespace

CRemedoTessaroModernHubrelayServiceUninstalledApp::CRemedoTessaroModernHubrelayServiceUninstalledApp()
    : m_gdiplusToken(0) {}

BOOL CRemedoTessaroModernHubrelayServiceUninstalledApp::InitInstance() {
    hr::trace::Mark("InitInstance");
    gdip::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr);
    hr::trace::Mark("GDI+ started");
    InitCommonControlsFromSystem();
    hr::trace::Mark("common controls");
    CWinApp::InitInstance();

    {
        CRemedoTessaroModernHubrelayServiceUninstalledDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }  // every image is gone before GDI+ shuts down

    gdip::GdiplusShutdown(m_gdiplusToken);
    return FALSE;
}
