#include "framework/App.h"

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hResource = nullptr;
}  // namespace

CWinApp::CWinApp() : m_hInstance(nullptr), m_pMainWnd(nullptr), m_nQuitCode(0) {
    // The one global instance registers itself; a second one would be a
    // programming error, and the first stays in charge.
    if (g_pApp == nullptr) g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nQuitCode; }

int CWinApp::Run() {
    int quitCode = 0;
    while (CWnd::PumpMessage(&quitCode)) {
    }
    m_nQuitCode = quitCode;
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_pApp != nullptr && g_pApp->m_hInstance != nullptr) return g_pApp->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return g_hResource ? g_hResource : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE hInstResource) { g_hResource = hInstResource; }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->m_hInstance = hInstance ? hInstance : ::GetModuleHandleW(nullptr);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
