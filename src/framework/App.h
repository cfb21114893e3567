#pragma once
// The application object: one global instance of a class derived from
// CWinApp. The program's entry point hands over to AfxWinMain:
//
//   CMyApp theApp;
//   int WINAPI wWinMain(HINSTANCE h, HINSTANCE p, PWSTR cmd, int show) {
//       return AfxWinMain(h, p, cmd, show);
//   }
//
// AfxWinMain runs InitInstance; when it returns FALSE (the tool runs its main
// window modally inside InitInstance) the process ends with ExitInstance's
// code, otherwise Run's message loop serves until WM_QUIT.
#include "framework/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // Exit code of the process; 0 unless a message loop ended with WM_QUIT.
    virtual int ExitInstance();
    // Message loop until WM_QUIT, then ExitInstance.
    virtual int Run();

    HINSTANCE m_hInstance;
    // The main window; dialogs created without an owner take its last active
    // popup as theirs.
    CWnd* m_pMainWnd;

protected:
    int m_nQuitCode;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Where dialog templates and images are looked up: the executable unless set.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
