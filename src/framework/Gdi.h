#pragma once
// RAII for device contexts and GDI objects.
//
// Every DC wrapper remembers what was selected into it before the first
// SelectObject of each kind (bitmap, font, brush, pen) and puts it back when
// it is destroyed or on RestoreObjects(), so that an object is never deleted
// while still selected. Declare GDI objects before the DC they are selected
// into, so the DC is released first.
#include <windows.h>

#include <string>

class CWnd;

// A DC that is not owned: the one a system message hands over.
class CDC {
public:
    explicit CDC(HDC hDC = nullptr) : m_hDC(hDC) {}
    virtual ~CDC() { RestoreObjects(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // Selects obj and returns what it displaced (nullptr on failure or for a
    // null obj, which selects nothing).
    HGDIOBJ SelectObject(HGDIOBJ obj);
    void RestoreObjects();

    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF cr) { return ::SetTextColor(m_hDC, cr); }
    int FillRect(const RECT& rc, HBRUSH brush) { return ::FillRect(m_hDC, &rc, brush); }
    int DrawTextW(const std::wstring& text, RECT* pRect, UINT format) {
        return ::DrawTextW(m_hDC, text.c_str(), static_cast<int>(text.size()), pRect, format);
    }
    BOOL BitBlt(int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src, xSrc, ySrc, rop);
    }

private:
    enum { kBitmap, kFont, kBrush, kPen, kKinds };
    HGDIOBJ m_original[kKinds] = {nullptr, nullptr, nullptr, nullptr};
};

// BeginPaint/EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd);
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// GetDC(hWnd)/ReleaseDC; a null window gives the screen's DC.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// GetWindowDC/ReleaseDC.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hWnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};

// CreateCompatibleDC/DeleteDC.
class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(HDC hCompatible = nullptr) : CDC(::CreateCompatibleDC(hCompatible)) {}
    ~CMemoryDC() override;
};

// Owner of one GDI object, deleted with the wrapper.
template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H h) : m_h(h) {}
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    H GetSafeHandle() const { return m_h; }
    operator H() const { return m_h; }
    bool IsNull() const { return m_h == nullptr; }
    void Attach(H h) {
        DeleteObject();
        m_h = h;
    }
    H Detach() {
        H h = m_h;
        m_h = nullptr;
        return h;
    }
    void DeleteObject() {
        if (m_h != nullptr) ::DeleteObject(m_h);
        m_h = nullptr;
    }

protected:
    H m_h = nullptr;
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    BOOL CreateSolidBrush(COLORREF cr) {
        Attach(::CreateSolidBrush(cr));
        return m_h != nullptr;
    }
};

class CFont : public CGdiObject<HFONT> {
public:
    BOOL CreateFontIndirectW(const LOGFONTW* plf) {
        Attach(plf ? ::CreateFontIndirectW(plf) : nullptr);
        return m_h != nullptr;
    }
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    BOOL CreateCompatibleBitmap(HDC hDC, int width, int height) {
        Attach(::CreateCompatibleBitmap(hDC, width, height));
        return m_h != nullptr;
    }
};

// The off-screen half of one double-buffered paint: a memory DC compatible
// with the target, holding a bitmap of the given size. The bitmap is declared
// first, so the DC gives it back before it is deleted.
class COffscreenDC {
public:
    COffscreenDC(HDC hTarget, int width, int height) : m_dc(hTarget) {
        if (m_dc.m_hDC != nullptr && m_bitmap.CreateCompatibleBitmap(hTarget, width, height))
            m_dc.SelectObject(m_bitmap);
    }
    bool IsReady() const { return m_dc.m_hDC != nullptr && !m_bitmap.IsNull(); }
    CMemoryDC& DC() { return m_dc; }

private:
    CBitmap m_bitmap;
    CMemoryDC m_dc;
};

class CRgn : public CGdiObject<HRGN> {
public:
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
        Attach(::CreateRoundRectRgn(l, t, r, b, w, h));
        return m_h != nullptr;
    }
};
