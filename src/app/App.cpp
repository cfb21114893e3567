#include "app/App.h"

#include <commctrl.h>

#include "app/MainDlg.h"
#include "app/QuietRun.h"
#include "controls/SystemLibrary.h"
#include "dialogs/PromptDlg.h"
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
    const LaunchRequest request = ReadLaunchRequest();
    if (request.plan.windowless) {
        // Not even the graphics libraries: nothing may be drawn.
        m_nQuitCode = RunWithoutWindows(request);
        return FALSE;
    }
    gdip::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr);
    hr::trace::Mark("GDI+ started");
    InitCommonControlsFromSystem();
    hr::trace::Mark("common controls");
    CWinApp::InitInstance();

    if (request.plan.action == quiet::Action::Desktop) {
        CRemedoTessaroModernHubrelayServiceUninstalledDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    } else {
        // The usage or a refused switch, in the tool's own prompt.
        CPromptDlg prompt;
        prompt.m_fScale = CShadowParentDlg::MeasureScale();
        prompt.SetPromptText(request.plan.action == quiet::Action::Usage
                                 ? std::wstring(quiet::kUsagePrompt)
                                 : quiet::BadCommandLinePrompt(request.commandLine));
        prompt.SetPromptType(3);
        prompt.DoModal();
        if (request.plan.action == quiet::Action::BadCommandLine) m_nQuitCode = RunWithoutWindows(request);
    }  // every image is gone before GDI+ shuts down

    gdip::GdiplusShutdown(m_gdiplusToken);
    return FALSE;
}
