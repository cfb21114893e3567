// The PNG loader, the drawing primitive and the three window helpers.
#include <gtest/gtest.h>

#include "controls/ControlsTestSupport.h"

using namespace ct;

namespace {
SIZE CatalogueSize(UINT id) {
    if (id == 144) return {434, 634};
    if (id == 145) return {400, 600};
    if (id == 146) return {48, 16};
    if (id == 151 || id == 152 || id == 165 || id == 166) return {348, 236};
    if (id == 187) return {434, 514};
    if (id == 188) return {400, 480};
    if ((id >= 147 && id <= 150) || (id >= 153 && id <= 156) || (id >= 171 && id <= 174) || (id >= 189 && id <= 192))
        return {13, 13};
    if (id >= 161 && id <= 164) return {54, 21};
    if ((id >= 167 && id <= 170) || (id >= 175 && id <= 186)) return {112, 38};
    if (id >= 197 && id <= 200) return {250, 48};
    return {258, 44};  // 157-160, 193-196, 201-204
}
}  // namespace

TEST(PngLoader, EveryCatalogueIdLoadsWithItsSize) {
    for (UINT id = IDB_PNG_FIRST; id <= IDB_PNG_LAST; ++id) {
        SCOPED_TRACE(id);
        gdip::Image* image = nullptr;
        ASSERT_EQ(LoadPngFromResource(image, id), 1);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetLastStatus(), gdip::Ok);
        SIZE want = CatalogueSize(id);
        EXPECT_EQ(image->GetWidth(), static_cast<UINT>(want.cx));
        EXPECT_EQ(image->GetHeight(), static_cast<UINT>(want.cy));
        delete image;
    }
}

TEST(PngLoader, IdsOutsideTheCatalogueFailAndLeaveTheHolderAsItWas) {
    for (UINT id : {143u, 205u, 0u, 100u /* a dialog, not a PNG */}) {
        SCOPED_TRACE(id);
        gdip::Image* image = nullptr;
        EXPECT_EQ(LoadPngFromResource(image, id), 0);
        EXPECT_EQ(image, nullptr);
    }
    gdip::Image* held = nullptr;
    ASSERT_EQ(LoadPngFromResource(held, 146), 1);
    gdip::Image* before = held;
    EXPECT_EQ(LoadPngFromResource(held, 205), 0);
    EXPECT_EQ(held, before);
    delete held;
}

TEST(PngLoader, ImagesStayDrawableAfterTheLoaderReturned) {
    // GDI+ may read the stream long after the load: draw late, twice.
    gdip::Image* image = nullptr;
    ASSERT_EQ(LoadPngFromResource(image, 145), 1);
    Pump();
    Canvas a(400, 600), b(400, 600);
    {
        gdip::Graphics g(a.dc());
        EXPECT_EQ(g.DrawImage(image, 0, 0, 400, 600), gdip::Ok);
    }
    {
        gdip::Graphics g(b.dc());
        EXPECT_EQ(g.DrawImage(image, 0, 0, 400, 600), gdip::Ok);
    }
    EXPECT_TRUE(SameImage(a, b, 0));
    EXPECT_FALSE(Near(a.At(200, 300), RGB(255, 0, 255), 30));  // something was drawn
    delete image;
}

TEST(DrawImagePart, DrawsTheSourceRectangleOfTheImage) {
    gdip::Image* image = nullptr;
    ASSERT_EQ(LoadPngFromResource(image, 145), 1);
    Canvas whole(400, 600), part(60, 40);
    {
        gdip::Graphics g(whole.dc());
        DrawImagePart(g, image, 0, 0, 400, 600, 0, 0, 400, 600);
    }
    {
        gdip::Graphics g(part.dc());
        DrawImagePart(g, image, 0, 0, 60, 40, 100, 470, 60, 40);
    }
    int same = 0;
    for (int y = 2; y < 38; y += 3) {
        for (int x = 2; x < 58; x += 3) same += Near(part.At(x, y), whole.At(100 + x, 470 + y), 6);
    }
    EXPECT_EQ(same, 12 * 19);
    delete image;
}

TEST(DrawImagePart, NullImageDrawsNothing) {
    Canvas c(20, 20, RGB(1, 2, 3));
    {
        gdip::Graphics g(c.dc());
        DrawImagePart(g, nullptr, 0, 0, 20, 20, 0, 0, 20, 20);
    }
    EXPECT_EQ(InkBox(c, RGB(1, 2, 3), 0).empty(), true);
}

namespace {
// A plain window with (or without) a font of its own.
HWND MakeStatic(HFONT font) {
    HWND h = ::CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (font) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}
LOGFONTW FontOf(HFONT font) {
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}
}  // namespace

TEST(CreateFontFromWindow, ZeroDeltaCopiesTheWindowFontAndIgnoresTheWeight) {
    LOGFONTW lf = {};
    lf.lfHeight = -13;
    lf.lfWeight = 400;
    lf.lfCharSet = GB2312_CHARSET;
    wcscpy(lf.lfFaceName, L"宋体");
    CFont windowFont;
    ASSERT_TRUE(windowFont.CreateFontIndirectW(&lf));
    HWND h = MakeStatic(windowFont);
    CFont made;
    ASSERT_TRUE(CreateFontFromWindow(h, 0, 700, made));
    LOGFONTW got = FontOf(made);
    EXPECT_EQ(got.lfHeight, -13);
    EXPECT_EQ(got.lfWeight, 400);
    EXPECT_STREQ(got.lfFaceName, L"宋体");

    CFont bigger;
    ASSERT_TRUE(CreateFontFromWindow(h, 2, 700, bigger));
    got = FontOf(bigger);
    EXPECT_EQ(got.lfHeight, -15);
    EXPECT_EQ(got.lfWeight, 700);
    EXPECT_STREQ(got.lfFaceName, L"宋体");

    CFont sameWeight;
    ASSERT_TRUE(CreateFontFromWindow(h, 2, 0, sameWeight));
    EXPECT_EQ(FontOf(sameWeight).lfWeight, 400);
    ::DestroyWindow(h);
}

TEST(CreateFontFromWindow, WindowWithoutAFontGetsTheStockGuiFont) {
    HWND h = MakeStatic(nullptr);
    ASSERT_EQ(::SendMessageW(h, WM_GETFONT, 0, 0), 0);
    CFont made;
    ASSERT_TRUE(CreateFontFromWindow(h, 0, 0, made));
    LOGFONTW want = FontOf(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    LOGFONTW got = FontOf(made);
    EXPECT_EQ(got.lfHeight, want.lfHeight);
    EXPECT_STREQ(got.lfFaceName, want.lfFaceName);
    ::DestroyWindow(h);
}

TEST(MeasureTextWidth, NullWindowOrDcGivesMinusOne) {
    HWND h = MakeStatic(nullptr);
    CClientDC dc(h);
    EXPECT_EQ(MeasureTextWidth(static_cast<HWND>(nullptr), dc, L"abc", 0, 0), -1);
    EXPECT_EQ(MeasureTextWidth(h, nullptr, L"abc", 0, 0), -1);
    ::DestroyWindow(h);
}

TEST(MeasureTextWidth, TextWiderThanTheStartingRectangleReturnsItsFullWidth) {
    HWND h = MakeStatic(nullptr);
    CClientDC dc(h);
    std::wstring text;
    for (int i = 0; i < 12; ++i) text += L"Tessaro 服务卸载 ";
    int width = MeasureTextWidth(h, dc, text.c_str(), 0, 0);

    CFont font;
    CreateFontFromWindow(h, 0, 0, font);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    EXPECT_GT(width, 390);
    EXPECT_EQ(width, extent.cx);
    // The DC's own font is back afterwards.
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), old);
    // A larger font measures wider.
    EXPECT_GT(MeasureTextWidth(h, dc, text.c_str(), 6, 700), width);
    ::DestroyWindow(h);
}

TEST(SetRoundWindowRegion, ClipsAtTheWindowsOwnCornerWhereverItStands) {
    HWND h = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 333, 222, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(SetRoundWindowRegion(h, 18, 18));
    CRgn rgn;
    rgn.Attach(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(h, rgn), ERROR);
    // A rounded-rectangle region leaves out the right and bottom edge lines.
    RECT box;
    ::GetRgnBox(rgn, &box);
    EXPECT_EQ(CRect(box), CRect(0, 0, 199, 99));
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(::PtInRegion(rgn, 198, 98));
    EXPECT_FALSE(::PtInRegion(rgn, 1, 98));
    EXPECT_TRUE(::PtInRegion(rgn, 100, 0));
    EXPECT_TRUE(::PtInRegion(rgn, 0, 50));
    EXPECT_TRUE(::PtInRegion(rgn, 9, 9));

    // Moved elsewhere and rounded again: still the window's own corners.
    ::SetWindowPos(h, nullptr, 901, 640, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(SetRoundWindowRegion(h, 18, 18));
    ASSERT_NE(::GetWindowRgn(h, rgn), ERROR);
    ::GetRgnBox(rgn, &box);
    EXPECT_EQ(CRect(box), CRect(0, 0, 199, 99));
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
    EXPECT_TRUE(::PtInRegion(rgn, 100, 50));
    EXPECT_FALSE(SetRoundWindowRegion(nullptr, 18, 18));
    ::DestroyWindow(h);
}
