// CImageButton: what each state draws over the background piece, and the
// state machine driven by mouse messages.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls/ControlsTestSupport.h"

using namespace ct;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);

// Runs the button's owner-draw entry on a canvas of its client size.
std::unique_ptr<Canvas> DrawItemOf(CImageButton& button) {
    CRect rc;
    button.GetClientRect(&rc);
    auto canvas = std::make_unique<Canvas>(rc.Width(), rc.Height(), kMagenta);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(button.GetDlgCtrlID());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = button.m_hWnd;
    dis.hDC = canvas->dc();
    dis.rcItem = rc;
    button.DrawItem(&dis);
    return canvas;
}

// Where a PNG is fully opaque and fully transparent, found by drawing it on
// black and on white.
struct Coverage {
    std::unique_ptr<Canvas> onBlack, onWhite;
    explicit Coverage(UINT id) : onBlack(RenderPng(id, RGB(0, 0, 0))), onWhite(RenderPng(id, RGB(255, 255, 255))) {}
    bool Opaque(int x, int y) const { return Near(onBlack->At(x, y), onWhite->At(x, y), 0); }
    bool Clear(int x, int y) const {
        return onBlack->At(x, y) == RGB(0, 0, 0) && onWhite->At(x, y) == RGB(255, 255, 255);
    }
};

// Counts the opaque pixels of image `id` that the drawing shows unchanged
// (1:1 placement), and how many opaque pixels were looked at.
std::pair<int, int> MatchOpaque(const Canvas& drawn, UINT id) {
    Coverage cov(id);
    int looked = 0, matched = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (!cov.Opaque(x, y)) continue;
            ++looked;
            matched += Near(drawn.At(x, y), cov.onBlack->At(x, y), 4);
        }
    }
    return {matched, looked};
}

void Hover(CWnd& w, int x = 5, int y = 5) { w.SendMessageW(WM_MOUSEHOVER, 0, MAKELPARAM(x, y)); }
void Down(CWnd& w, int x = 5, int y = 5) { w.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void Up(CWnd& w, int x = 5, int y = 5) { w.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
void Leave(CWnd& w) { w.SendMessageW(WM_MOUSELEAVE); }

struct FixPage {
    Host host{IDD_FIXPAGE, IDB_FIXPAGE_BK};
    CImageButton& close = host.Bind<CImageButton>(IDC_FIX_CLOSE);
    CImageButton& uninstall = host.Bind<CImageButton>(IDC_FIX_UNINSTALL);
    CImageButton& moreTools = host.Bind<CImageButton>(IDC_FIX_MORETOOLS);
    std::unique_ptr<Canvas> background = RenderPng(IDB_FIXPAGE_BK, kMagenta);

    FixPage() {
        EXPECT_TRUE(host.Open(60, 60, 400, 600));
        Skin(close, CRect(374, 12, 387, 25), IDB_FIX_CLOSE_NORMAL);
        // At the size of its images, so that they land pixel for pixel.
        Skin(uninstall, CRect(75, 478, 325, 526), IDB_FIX_UNINSTALL_NORMAL);
    }
    void Skin(CImageButton& b, CRect rc, UINT firstImage) {
        b.SetBkImage(host.background());
        b.SetBkImageRect(rc);
        b.SetHitMargins(CRect(0, 0, 0, 0));
        b.SetImages(firstImage, firstImage + 1, firstImage + 2, firstImage + 3);
        b.MoveWindow(rc);
    }
};

}  // namespace

TEST(ImageButtonDrawing, TransparentPartsOfTheStateImageShowTheBackgroundPiece) {
    FixPage page;
    auto drawn = DrawItemOf(page.close);
    Coverage cov(IDB_FIX_CLOSE_NORMAL);
    int clear = 0, clearOk = 0, opaque = 0, opaqueOk = 0;
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 13; ++x) {
            if (cov.Clear(x, y)) {
                ++clear;
                clearOk += Near(drawn->At(x, y), page.background->At(374 + x, 12 + y), 4);
            } else if (cov.Opaque(x, y)) {
                ++opaque;
                opaqueOk += Near(drawn->At(x, y), cov.onBlack->At(x, y), 4);
            }
        }
    }
    ASSERT_GT(clear, 20);
    EXPECT_EQ(clearOk, clear);
    EXPECT_EQ(opaqueOk, opaque);
}

TEST(ImageButtonDrawing, EachStateShowsItsOwnImage) {
    FixPage page;
    CImageButton& b = page.uninstall;
    std::unique_ptr<Canvas> shots[4];
    shots[0] = DrawItemOf(b);
    Hover(b);
    ASSERT_EQ(b.GetState(), 2);
    shots[1] = DrawItemOf(b);
    Down(b);
    ASSERT_EQ(b.GetState(), 3);
    shots[2] = DrawItemOf(b);
    Up(b);
    b.SetEnabled(FALSE);
    ASSERT_EQ(b.GetState(), 4);
    shots[3] = DrawItemOf(b);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        auto m = MatchOpaque(*shots[i], IDB_FIX_UNINSTALL_NORMAL + i);
        ASSERT_GT(m.second, 5000);
        EXPECT_EQ(m.first, m.second);
        for (int j = 0; j < i; ++j) EXPECT_FALSE(SameImage(*shots[i], *shots[j], 2)) << j;
    }
}

TEST(ImageButtonDrawing, DisabledWindowShowsTheDisabledImageWhateverTheState) {
    FixPage page;
    CImageButton& b = page.uninstall;
    Hover(b);
    Down(b);
    ASSERT_EQ(b.GetState(), 3);
    b.EnableWindow(FALSE);  // behind the button's back: the state stays 3
    auto m = MatchOpaque(*DrawItemOf(b), IDB_FIX_UNINSTALL_DISABLED);
    EXPECT_EQ(m.first, m.second);
    b.EnableWindow(TRUE);
    m = MatchOpaque(*DrawItemOf(b), IDB_FIX_UNINSTALL_PRESSED);
    EXPECT_EQ(m.first, m.second);
}

TEST(ImageButtonDrawing, EnabledByOtherMeansInTheDisabledStateShowsOnlyTheBackground) {
    FixPage page;
    CImageButton& b = page.uninstall;
    b.SetEnabled(FALSE);
    b.EnableWindow(TRUE);
    auto drawn = DrawItemOf(b);
    int ok = 0;
    for (int y = 0; y < 48; y += 4) {
        for (int x = 0; x < 250; x += 5) ok += Near(drawn->At(x, y), page.background->At(75 + x, 478 + y), 4);
    }
    EXPECT_EQ(ok, 12 * 50);
}

TEST(ImageButtonDrawing, AButtonMissingOneImageDrawsNothing) {
    FixPage page;
    CImageButton& b = page.moreTools;
    b.SetBkImage(page.host.background());
    b.SetBkImageRect(CRect(306, 390, 360, 411));
    EXPECT_EQ(b.SetImages(IDB_FIX_MORETOOLS_NORMAL, IDB_FIX_MORETOOLS_HOVER, IDB_FIX_MORETOOLS_PRESSED, 4242), 0);
    b.MoveWindow(306, 390, 54, 21);
    auto drawn = DrawItemOf(b);
    EXPECT_TRUE(InkBox(*drawn, kMagenta, 0).empty());
    // Erasing still lays the background piece, so no stale pixels show.
    Canvas erased(54, 21, kMagenta);
    b.SendMessageW(WM_ERASEBKGND, reinterpret_cast<WPARAM>(erased.dc()));
    EXPECT_TRUE(Near(erased.At(27, 10), page.background->At(306 + 27, 390 + 10), 4));
}

TEST(ImageButtonDrawing, ReleaseImagesLeavesNothingToDraw) {
    FixPage page;
    page.close.ReleaseImages();
    EXPECT_TRUE(InkBox(*DrawItemOf(page.close), kMagenta, 0).empty());
    page.close.ReleaseImages();  // twice is harmless
}

TEST(ImageButtonDrawing, RealPaintGoesThroughTheReflectedOwnerDraw) {
    FixPage page;
    page.uninstall.Invalidate(TRUE);
    page.uninstall.UpdateWindow();
    auto screen = ScreenOf(page.uninstall);
    auto m = MatchOpaque(*screen, IDB_FIX_UNINSTALL_NORMAL);
    EXPECT_EQ(m.first, m.second);
}

// ------------------------------------------------------------ state machine

TEST(ImageButtonStates, PressReleasedOutsideStaysPressedUntilTheCursorLeaves) {
    FixPage page;
    CImageButton& b = page.uninstall;
    Hover(b);
    Down(b);
    EXPECT_EQ(b.GetState(), 3);
    Up(b, 400, 5);  // released to the right of the button
    EXPECT_EQ(b.GetState(), 3);
    EXPECT_EQ(page.host.Clicks(IDC_FIX_UNINSTALL), 0);
    Leave(b);
    EXPECT_EQ(b.GetState(), 1);
}

TEST(ImageButtonStates, PressAndReleaseOverTheButtonClicksOnce) {
    FixPage page;
    CImageButton& b = page.uninstall;
    EXPECT_EQ(b.GetState(), 1);
    Hover(b);
    EXPECT_EQ(b.GetState(), 2);
    Down(b);
    EXPECT_EQ(b.GetState(), 3);
    Up(b);
    EXPECT_EQ(b.GetState(), 2);
    Pump();
    EXPECT_EQ(page.host.Clicks(IDC_FIX_UNINSTALL), 1);
}

TEST(ImageButtonStates, DisabledButtonIgnoresTheMouseAndReturnsToNormalWhenEnabled) {
    FixPage page;
    CImageButton& b = page.uninstall;
    b.SetEnabled(FALSE);
    EXPECT_EQ(b.GetState(), 4);
    EXPECT_FALSE(b.IsWindowEnabled());
    Hover(b);
    Down(b);
    Leave(b);
    EXPECT_EQ(b.GetState(), 4);
    b.SetEnabled(TRUE);
    EXPECT_TRUE(b.IsWindowEnabled());
    EXPECT_EQ(b.GetState(), 1);
    Hover(b);
    EXPECT_EQ(b.GetState(), 2);
}

TEST(ImageButtonStates, SetEnabledFromAnotherThread) {
    FixPage page;
    CImageButton& b = page.uninstall;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        b.SetEnabled(FALSE);
        done = true;
    });
    while (!done) Pump(10);  // the enable messages are served here
    worker.join();
    EXPECT_EQ(b.GetState(), 4);
    EXPECT_FALSE(b.IsWindowEnabled());
    Pump();
    auto m = MatchOpaque(*ScreenOf(b), IDB_FIX_UNINSTALL_DISABLED);
    EXPECT_EQ(m.first, m.second);
}

TEST(ImageButtonStates, CursorInsideExcludesTheRightAndBottomEdges) {
    FixPage page;
    CImageButton& b = page.uninstall;
    auto inside = [&](int x, int y) {
        POINT pt = {x, y};
        b.ClientToScreen(&pt);
        ::SetCursorPos(pt.x, pt.y);
        POINT now;
        ::GetCursorPos(&now);
        EXPECT_EQ(now.x, pt.x);
        EXPECT_EQ(now.y, pt.y);
        return b.IsCursorInside() != FALSE;
    };
    EXPECT_TRUE(inside(0, 0));
    EXPECT_TRUE(inside(249, 47));
    EXPECT_FALSE(inside(250, 10));
    EXPECT_FALSE(inside(10, 48));
    EXPECT_FALSE(inside(-1, 10));
    b.SetHitMargins(CRect(3, 4, 5, 6));
    EXPECT_FALSE(inside(2, 10));
    EXPECT_TRUE(inside(3, 4));
    EXPECT_TRUE(inside(244, 41));
    EXPECT_FALSE(inside(245, 10));
    EXPECT_FALSE(inside(10, 42));
    ::SetCursorPos(1200, 1000);
}

TEST(ImageButtonStates, RestingCursorBringsHoverAndLeavingBringsNormal) {
    FixPage page;
    CImageButton& b = page.uninstall;
    POINT pt = {120, 20};
    b.ClientToScreen(&pt);
    ::SetCursorPos(pt.x, pt.y);
    b.SendMessageW(WM_MOUSEMOVE, 0, MAKELPARAM(120, 20));
    for (int i = 0; i < 50 && b.GetState() != 2; ++i) Pump(20);
    EXPECT_EQ(b.GetState(), 2);
    ::SetCursorPos(1200, 1000);
    for (int i = 0; i < 50 && b.GetState() != 1; ++i) Pump(20);
    EXPECT_EQ(b.GetState(), 1);
}
