#include "framework/Gdi.h"

#include "framework/Wnd.h"

HGDIOBJ CDC::SelectObject(HGDIOBJ obj) {
    if (m_hDC == nullptr || obj == nullptr) return nullptr;
    HGDIOBJ prev = ::SelectObject(m_hDC, obj);
    if (prev == nullptr || prev == HGDI_ERROR) return nullptr;
    int kind = -1;
    switch (::GetObjectType(obj)) {
    case OBJ_BITMAP: kind = kBitmap; break;
    case OBJ_FONT: kind = kFont; break;
    case OBJ_BRUSH: kind = kBrush; break;
    case OBJ_PEN:
    case OBJ_EXTPEN: kind = kPen; break;
    default: break;  // regions are copied, not selected
    }
    if (kind >= 0 && m_original[kind] == nullptr) m_original[kind] = prev;
    return prev;
}

void CDC::RestoreObjects() {
    for (HGDIOBJ& original : m_original) {
        if (original != nullptr && m_hDC != nullptr) ::SelectObject(m_hDC, original);
        original = nullptr;
    }
}

CPaintDC::CPaintDC(HWND hWnd) : m_ps{}, m_hWnd(hWnd) { m_hDC = hWnd ? ::BeginPaint(hWnd, &m_ps) : nullptr; }

CPaintDC::CPaintDC(CWnd* pWnd) : CPaintDC(pWnd ? pWnd->m_hWnd : nullptr) {}

CPaintDC::~CPaintDC() {
    RestoreObjects();
    if (m_hWnd != nullptr) ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetDC(hWnd); }

CClientDC::~CClientDC() {
    RestoreObjects();
    if (m_hDC != nullptr) ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetWindowDC(hWnd); }

CWindowDC::~CWindowDC() {
    RestoreObjects();
    if (m_hDC != nullptr) ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

CMemoryDC::~CMemoryDC() {
    RestoreObjects();
    if (m_hDC != nullptr) ::DeleteDC(m_hDC);
    m_hDC = nullptr;
}
