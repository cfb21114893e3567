#pragma once
// Window wrapper of the tool's small dialog framework.
//
// A CWnd is bound to a window by subclassing: the window procedure is replaced
// by a thunk that finds the object (through a window property) and calls its
// virtual WindowProc. A class handles its messages by overriding WindowProc
// with a switch and passing everything else to its base class; a handler that
// wants the window's original behaviour calls Default().
#include <windows.h>

#include <string>

// A RECT with the few conveniences the layout code uses.
class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& rc) { *static_cast<RECT*>(this) = rc; }  // NOLINT: implicit on purpose

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // Right and bottom edges are outside, as everywhere in Win32.
    bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    void Offset(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    bool operator==(const RECT& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const RECT& o) const { return !(*this == o); }
};

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to hWnd, or nullptr.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The bound object, or else a temporary wrapper kept by the framework
    // (never null for a non-null handle; do not delete it or keep it).
    static CWnd* FromHandle(HWND hWnd);

    // Binds this object to an existing window by subclassing it. Fails when
    // the object already has a window or the window is bound to another one.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Restores the original window procedure and forgets the window.
    HWND UnsubclassWindow();

    virtual BOOL DestroyWindow();

    // Called for every message the message loops retrieve, from the target
    // window up through its parents and owners; TRUE means handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // ---- thin window operations (all safe on an object without a window) ----
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    // The parent of a child window, the owner of a popup (as ::GetParent).
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;

    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL MoveWindow(const RECT& rc, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    BOOL ShowWindow(int nCmdShow);
    void CenterWindow();
    void GetClientRect(RECT* pRect) const;
    void GetWindowRect(RECT* pRect) const;
    void ClientToScreen(POINT* pPoint) const;
    void ClientToScreen(RECT* pRect) const;
    void ScreenToClient(POINT* pPoint) const;
    void ScreenToClient(RECT* pRect) const;

    // These names are the W functions' macros in windows.h; the members are
    // spelled the same way so that callers may use either spelling.
    void SetWindowTextW(const wchar_t* text);
    void SetWindowTextW(const std::wstring& text) { SetWindowTextW(text.c_str()); }
    std::wstring GetWindowTextW() const;

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const RECT* pRect, BOOL bErase = TRUE);
    void UpdateWindow();
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    HWND SetFocus();
    BOOL SetForegroundWindow();

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfn = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    HFONT GetFont() const;
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Runs PreTranslateMessage from pMsg's window up through parents and
    // owners; TRUE when one of them handled the message.
    static BOOL WalkPreTranslateTree(MSG* pMsg);
    // One turn of a message loop: get, pre-translate, dispatch. FALSE on
    // WM_QUIT (which is left in *pQuit when given).
    static BOOL PumpMessage(int* pQuitCode = nullptr);

protected:
    // The message hook of every class. Unhandled messages must reach the base
    // class, which reflects owner-draw requests, routes WM_COMMAND through
    // OnCommand and finally calls the original window procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND from a control or menu; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A parent reflects a child's notification (WM_DRAWITEM) to the child's
    // object through this; TRUE with *pResult set when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // After the window is gone and the object forgotten; may delete this.
    virtual void PostNcDestroy();

    // The original window procedure with the message being handled.
    LRESULT Default();
    // The original window procedure with the given message.
    LRESULT DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WndProcThunk(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    WNDPROC m_pfnSuper;
    CurrentMessage m_current;
};
