#pragma once
// Shared scaffolding of the controls' Wine tests: a GDI+ session, a 32-bit
// canvas to paint into and sample, a host dialog from the tool's own
// templates with controls bound by ID, and pixel helpers.
#include <windows.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/CheckBoxBtn.h"
#include "controls/Gdiplus.h"
#include "controls/ImageButton.h"
#include "controls/ImageHelpers.h"
#include "controls/TextStatics.h"
#include "framework/Framework.h"
#include "res/resource.h"

namespace ct {

// A top-down 32-bit DIB in a memory DC.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 0, 255));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(COLORREF color);
    COLORREF At(int x, int y) const;
    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    uint32_t* m_bits;
};

bool Near(COLORREF a, COLORREF b, int tolerance = 2);
// Pixels of the two canvases (same size) that differ by more than tolerance.
std::vector<POINT> Differences(const Canvas& a, const Canvas& b, int tolerance = 8);
bool SameImage(const Canvas& a, const Canvas& b, int tolerance = 8);

struct Box {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < 0; }
    int centreX2() const { return left + right; }  // twice the centre
    int centreY2() const { return top + bottom; }
};
// Bounding box of the pixels that differ clearly from `background`.
Box InkBox(const Canvas& c, COLORREF background, int threshold = 80);

// A PNG resource drawn at its own size over a plain colour.
std::unique_ptr<Canvas> RenderPng(UINT id, COLORREF background);

void Pump(int milliseconds = 0);

// Paints a control through WM_PRINTCLIENT (owner-drawn buttons through
// their owner's reflected WM_DRAWITEM) into a canvas of its client size.
std::unique_ptr<Canvas> PrintControl(const CWnd& control, COLORREF fill = RGB(255, 0, 255));
// What the control's window shows on screen (its window DC).
std::unique_ptr<Canvas> ScreenOf(const CWnd& control);

// A modeless dialog from one of the tool's templates whose controls are bound
// to the given control objects; paints the given PNG as its background.
class Host : public CDialog {
public:
    Host(UINT templateId, UINT backgroundId);
    ~Host() override;

    template <class T>
    T& Bind(int id) {
        auto control = std::make_unique<T>();
        T& ref = *control;
        m_binds.emplace_back(id, control.get());
        m_owned.push_back(std::move(control));
        return ref;
    }
    // Creates and places the dialog with a client of width x height, shown
    // (and painted) unless asked not to.
    bool Open(int x, int y, int width, int height, bool show = true);
    // The font the dialog reports (WM_GETFONT) from now on; not owned.
    void SetReportedFont(HFONT font) { m_reportedFont = font; }
    // The whole dialog, background and controls, painted into a canvas.
    std::unique_ptr<Canvas> Compose();

    gdip::Image* background() const { return m_pBkImage; }
    int Clicks(int id) const;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UINT m_backgroundId;
    HFONT m_reportedFont = nullptr;
    gdip::Image* m_pBkImage = nullptr;
    std::vector<std::pair<int, CWnd*>> m_binds;
    std::vector<std::unique_ptr<CWnd>> m_owned;
    std::vector<std::pair<int, int>> m_clicks;
};

}  // namespace ct
