#pragma once
// The application object: starts GDI+ and the common controls, runs the main
// window modally, and shuts GDI+ down when it has ended.
#include <windows.h>

#include "controls/Gdiplus.h"
#include "framework/App.h"

class CRemedoTessaroModernHubrelayServiceUninstalledApp : public CWinApp {
public:
    CRemedoTessaroModernHubrelayServiceUninstalledApp();

    // Runs the tool; FALSE, so the process ends when it returns.
    BOOL InitInstance() override;

private:
    ULONG_PTR m_gdiplusToken;
    gdip::StartupInput m_gdiplusStartupInput;
};
