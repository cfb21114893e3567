// A gallery of the skinned controls on the tool's own pictures at the scales
// 1, 1.25 and 1.5, written as PNGs to <win64 build>/gallery/ for a person to
// look at; the test checks that every sheet was written and that the controls
// blend into the page around them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "controls/ControlsTestSupport.h"

using namespace ct;

namespace {

std::wstring GalleryDir() {
    std::wstring dir;
    if (const char* build = std::getenv("HR_WIN_BUILD_DIR")) {
        dir = L"Z:";
        for (const char* p = build; *p; ++p) dir += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    } else {
        dir = L"..\\..\\..";  // the exe sits in <build>\tests\wine\controls
    }
    dir += L"\\gallery";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// Saves the canvas as a PNG through GDI+'s own encoder.
bool SavePng(const Canvas& canvas, const std::wstring& name) {
    using CreateFromHbitmap = gdip::Status(WINAPI*)(HBITMAP, HPALETTE, gdip::GpImage**);
    using SaveToFile = gdip::Status(WINAPI*)(gdip::GpImage*, const wchar_t*, const CLSID*, const void*);
    using Dispose = gdip::Status(WINAPI*)(gdip::GpImage*);
    auto create = reinterpret_cast<CreateFromHbitmap>(
        reinterpret_cast<void*>(gdip::GetProc("GdipCreateBitmapFromHBITMAP")));
    auto save = reinterpret_cast<SaveToFile>(reinterpret_cast<void*>(gdip::GetProc("GdipSaveImageToFile")));
    auto dispose = reinterpret_cast<Dispose>(reinterpret_cast<void*>(gdip::GetProc("GdipDisposeImage")));
    if (!create || !save || !dispose) return false;
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    ::GdiFlush();
    gdip::GpImage* image = nullptr;
    if (create(canvas.bitmap(), nullptr, &image) != gdip::Ok) return false;
    std::wstring path = GalleryDir() + L"\\" + name;
    bool ok = save(image, path.c_str(), &png, nullptr) == gdip::Ok;
    dispose(image);
    WIN32_FILE_ATTRIBUTE_DATA attr;
    return ok && ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attr) && attr.nFileSizeLow > 1000;
}

int T(float v) { return static_cast<int>(v); }

// The fix page's controls laid out and skinned the way the page does it.
struct FixPageAtScale {
    Host host{IDD_FIXPAGE, IDB_FIXPAGE_BK};
    CImageButton& close = host.Bind<CImageButton>(IDC_FIX_CLOSE);
    CImageButton& minimize = host.Bind<CImageButton>(IDC_FIX_MINIMIZE);
    CImageButton& uninstall = host.Bind<CImageButton>(IDC_FIX_UNINSTALL);
    CImageButton& moreTools = host.Bind<CImageButton>(IDC_FIX_MORETOOLS);
    CDrawTextStatic& version = host.Bind<CDrawTextStatic>(IDC_FIX_VERSION);
    CCheckBoxBtn& agree = host.Bind<CCheckBoxBtn>(IDC_FIX_AGREE);
    CDrawTextStatic& agreement = host.Bind<CDrawTextStatic>(IDC_FIX_AGREEMENT);
    CDrawTextStatic& feedback = host.Bind<CDrawTextStatic>(IDC_FIX_FEEDBACK);
    CFont font;  // the dialog font as the system would size it at this scale
    int cw, ch;

    explicit FixPageAtScale(float s) : cw(T(400 * s)), ch(T(600 * s)) {
        EXPECT_TRUE(host.Open(0, 0, cw, ch));
        LOGFONTW lf = {};
        ::GetObjectW(host.GetFont(), sizeof(lf), &lf);
        lf.lfHeight = T(lf.lfHeight * s);
        font.CreateFontIndirectW(&lf);
        host.SetReportedFont(font);

        const int W = 400, H = 600;
        gdip::Image* bk = host.background();
        CClientDC dc(host.m_hWnd);
        int wv = MeasureTextWidth(&host, dc, L"1.2.24.1010", 0, 0);
        int wa = MeasureTextWidth(&host, dc, L"同意《Tessaro服务工具使用许可协议》", 0, 0);
        int wf = MeasureTextWidth(&host, dc, L"反馈问题", 0, 0);
        int m = wa / 16;

        auto button = [&](CImageButton& b, CRect dst, CRect src, UINT first) {
            b.SetBkImage(bk);
            b.SetBkImageRect(src);
            b.SetHitMargins(CRect(0, 0, 0, 0));
            b.SetImages(first, first + 1, first + 2, first + 3);
            b.MoveWindow(dst);
        };
        int left = cw - T(26 * s), top = T(12 * s);
        button(close, CRect(left, top, left + T(13 * s), top + T(13 * s)), CRect(W - 26, 12, W - 13, 25), 147);
        left = cw - T(63 * s);
        button(minimize, CRect(left, top, left + T(13 * s), top + T(13 * s)), CRect(W - 63, 12, W - 50, 25), 153);

        version.SetWindowTextW(L"1.2.24.1010");
        version.SetBkImage(bk);
        version.SetBkImageRect(CRect(242, 12, 242 + T(wv / s), 27));
        version.SetFontFromParent(0, 0);
        version.SetAlignMode(1);
        version.SetBkColor(RGB(255, 255, 255));
        version.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255));
        left = T(242 * s);
        version.MoveWindow(CRect(left, top, left + wv, top + T(15 * s)));

        left = T(static_cast<float>(cw / 2) - 244 * s / 2);
        top = ch - T(122 * s);
        button(uninstall, CRect(left, top, left + T(244 * s), top + T(48 * s)),
               CRect(W / 2 - 122, H - 122, W / 2 + 122, H - 74), 197);
        left = T(306 * s);
        top = ch - T(210 * s);
        button(moreTools, CRect(left, top, left + T(54 * s), top + T(21 * s)), CRect(306, H - 210, 360, H - 189), 161);

        left = T(8 * s);
        top = ch - T(25 * s);
        CRect chk(left, top, left + T(16 * s + 2 * m + 2 * s), T(top + 20 * s));
        CRect chkSrc(8, H - 25, 26 + T(2 * m / s), H - 5);
        agree.m_fScale = s;
        agree.InitFontFromParent();
        agree.SetTextColor(RGB(255, 255, 255));
        agree.SetBkImage(bk);
        agree.SetBkImageRect(chkSrc);
        agree.SendMessageW(BM_SETCHECK, BST_CHECKED);
        agree.MoveWindow(chk);

        auto link = [&](CDrawTextStatic& t, CRect dst, CRect src) {
            t.SetFontFromParent(0, 0);
            t.SetAlignMode(2);
            t.SetBkColor(RGB(255, 255, 255));
            t.SetTextColors(0xFA6E3A, 0xFF2C0D);
            t.SetBkImage(bk);
            t.SetBkImageRect(src);
            t.MoveWindow(dst);
        };
        left = chk.right + T(2 * s);
        int srcLeft = chkSrc.right + 2;
        link(agreement, CRect(left, top, left + 14 * m, top + T(20 * s)),
             CRect(srcLeft, H - 25, srcLeft + T(14 * m / s), H - 5));
        left = cw - wf - T(8 * s);
        top = T(ch - 25 * s);
        srcLeft = W - T(wf / s) - 8;
        link(feedback, CRect(left, top, left + wf, T(top + 20 * s)), CRect(srcLeft, H - 25, srcLeft + T(wf / s), H - 5));
        Pump();
    }
};

// Pastes a canvas into a larger one.
void Paste(Canvas& into, const Canvas& piece, int x, int y) {
    ::BitBlt(into.dc(), x, y, piece.width(), piece.height(), piece.dc(), 0, 0, SRCCOPY);
}

}  // namespace

TEST(Gallery, FixPageAtEachScale) {
    for (float s : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(s);
        FixPageAtScale page(s);
        auto sheet = page.host.Compose();
        ASSERT_EQ(sheet->width(), page.cw);
        std::wstring name = L"fixpage_" + std::to_wstring(T(s * 100 + 0.5f)) + L".png";
        EXPECT_TRUE(SavePng(*sheet, name));
        if (s == 1.0f) {
            // At scale 1 every control's transparent surroundings are the page
            // itself: pixel for pixel outside the opaque parts of the close
            // button, the page is unchanged.
            auto bare = RenderPng(IDB_FIXPAGE_BK, RGB(255, 0, 255));
            EXPECT_TRUE(Near(sheet->At(374, 12), bare->At(374, 12), 4));
            EXPECT_TRUE(Near(sheet->At(386, 24), bare->At(386, 24), 4));
        }
    }
}

TEST(Gallery, StatesSheet) {
    FixPageAtScale page(1.0f);
    Canvas sheet(560, 260, RGB(40, 40, 48));
    CImageButton& b = page.uninstall;
    // Uninstall button: normal, hover, pressed, disabled.
    Paste(sheet, *PrintControl(b), 10, 10);
    b.SendMessageW(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    Paste(sheet, *PrintControl(b), 280, 10);
    b.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Paste(sheet, *PrintControl(b), 10, 70);
    b.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    b.SendMessageW(WM_MOUSELEAVE);
    b.SetEnabled(FALSE);
    Paste(sheet, *PrintControl(b), 280, 70);
    // Close and minimise in their four states.
    for (int i = 0; i < 4; ++i) {
        CImageButton* pair[2] = {&page.close, &page.minimize};
        for (int j = 0; j < 2; ++j) {
            CImageButton& c = *pair[j];
            if (i == 1) c.SendMessageW(WM_MOUSEHOVER, 0, MAKELPARAM(2, 2));
            if (i == 2) c.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            if (i == 3) c.SetEnabled(FALSE);
            Paste(sheet, *PrintControl(c), 10 + i * 30, 130 + j * 20);
        }
    }
    // Checkbox checked and unchecked; links normal and hovered.
    Paste(sheet, *PrintControl(page.agree), 150, 130);
    page.agree.SendMessageW(BM_SETCHECK, BST_UNCHECKED);
    Paste(sheet, *PrintControl(page.agree), 150, 160);
    Paste(sheet, *PrintControl(page.agreement), 150, 190);
    CRect rc;
    page.agreement.GetWindowRect(&rc);
    page.agreement.UpdateHover(POINT{rc.left + 1, rc.top + 1});
    Paste(sheet, *PrintControl(page.agreement), 150, 220);
    Paste(sheet, *PrintControl(page.version), 420, 130);
    Paste(sheet, *PrintControl(page.feedback), 420, 160);
    EXPECT_TRUE(SavePng(sheet, L"states.png"));
}

TEST(Gallery, PromptsAtEachScale) {
    for (float s : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(s);
        int w = T(348 * s), h = T(236 * s);
        Host prompt(IDD_PROMPT_CHILD, IDB_PROMPT_BK);
        auto& message = prompt.Bind<CDrawTextStatic>(IDC_PROMPT_MESSAGE);
        auto& ok = prompt.Bind<CImageButton>(IDC_PROMPT_CONFIRM);
        auto& cancel = prompt.Bind<CImageButton>(IDC_PROMPT_CANCEL);
        auto& close = prompt.Bind<CImageButton>(IDC_PROMPT_CLOSE);
        ASSERT_TRUE(prompt.Open(0, 0, w, h));
        CFont font;
        LOGFONTW lf = {};
        ::GetObjectW(prompt.GetFont(), sizeof(lf), &lf);
        lf.lfHeight = T(lf.lfHeight * s);
        font.CreateFontIndirectW(&lf);
        prompt.SetReportedFont(font);
        gdip::Image* bk = prompt.background();
        message.SetFontFromParent(0, 0);
        message.SetBkImage(bk);
        message.SetBkImageRect(CRect(20, 70, 328, 150));
        message.SetAlignMode(5);
        message.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255));
        message.SetWindowTextW(L"因为未能在系统中找到Tessaro Veride Hubrelay 服务，所以无需进行卸载");
        message.MoveWindow(T(20 * s), T(70 * s), T(308 * s), T(80 * s));
        auto button = [&](CImageButton& b, CRect src, UINT first) {
            b.SetBkImage(bk);
            b.SetBkImageRect(src);
            b.SetImages(first, first + 1, first + 2, first + 3);
            b.MoveWindow(T(src.left * s), T(src.top * s), T(src.Width() * s), T(src.Height() * s));
        };
        button(ok, CRect(52, 172, 164, 210), 179);
        button(cancel, CRect(184, 172, 296, 210), 167);
        button(close, CRect(322, 12, 335, 25), 171);
        Pump();
        auto sheet = prompt.Compose();
        EXPECT_TRUE(SavePng(*sheet, L"prompt_" + std::to_wstring(T(s * 100 + 0.5f)) + L".png"));

        Host exec(IDD_EXECUTE_PROMPT_CHILD, IDB_EXEC_BK);
        auto& status = exec.Bind<CDrawStateInfoStatic>(IDC_EXEC_STATUS);
        ASSERT_TRUE(exec.Open(0, 0, w, h));
        exec.SetReportedFont(font);
        status.SetWindowTextW(L"Tessaro Veride Hubrelay 服务卸载中，请稍等");
        status.SetAlignMode(5);
        status.SetTextColor(RGB(255, 255, 255));
        status.SetFontFromParent(0, 0);
        status.SetBkImage(exec.background());
        status.SetBkImageRect(CRect(10, 236 / 2 - 20, 348 - 10, 236 / 2 + 20));
        status.MoveWindow(T(10 * s), T(h / 2 - 20 * s), w - 2 * T(10 * s), T(40 * s));
        status.SendMessageW(WM_TIMER, CDrawStateInfoStatic::DotsTimerId);
        status.SendMessageW(WM_TIMER, CDrawStateInfoStatic::DotsTimerId);
        status.SendMessageW(WM_TIMER, CDrawStateInfoStatic::DotsTimerId);
        Pump();
        EXPECT_TRUE(SavePng(*exec.Compose(), L"execute_" + std::to_wstring(T(s * 100 + 0.5f)) + L".png"));
    }
}
