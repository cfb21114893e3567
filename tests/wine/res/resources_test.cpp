// The compiled resources as a Windows program finds them: every PNG by ID
// with its size and pixel format, the dialog templates byte by byte, string
// 101, the icon group, the version block and the manifest. All of them must
// be found in the zh-CN language.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

const WORD kLangZhCn = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

struct Blob {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Blob FindBlob(LPCWSTR type, LPCWSTR name) {
    Blob b;
    HRSRC res = FindResourceExW(nullptr, type, name, kLangZhCn);
    if (!res) return b;
    HGLOBAL h = LoadResource(nullptr, res);
    if (!h) return b;
    b.data = static_cast<const BYTE*>(LockResource(h));
    b.size = SizeofResource(nullptr, res);
    return b;
}

DWORD BigEndian32(const BYTE* p) {
    return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | DWORD(p[3]);
}

struct PngSize {
    int first, last, width, height;
};

const PngSize kPngSizes[] = {
    {144, 144, 434, 634}, {145, 145, 400, 600}, {146, 146, 48, 16},
    {147, 150, 13, 13},   {151, 152, 348, 236}, {153, 156, 13, 13},
    {157, 160, 258, 44},  {161, 164, 54, 21},   {165, 166, 348, 236},
    {167, 186, 112, 38},  {171, 174, 13, 13},   {187, 187, 434, 514},
    {188, 188, 400, 480}, {189, 192, 13, 13},   {193, 196, 258, 44},
    {197, 200, 250, 48},  {201, 204, 258, 44},
};

// The filled close-button states are plain RGB; every other picture has alpha.
bool IsRgbOnly(int id) {
    return (id >= 148 && id <= 150) || (id >= 172 && id <= 174) || (id >= 190 && id <= 192);
}

void ExpectedPngSize(int id, int* w, int* h) {
    // Later rows override earlier ones (171-174 lie inside 167-186).
    for (const PngSize& s : kPngSizes) {
        if (id >= s.first && id <= s.last) {
            *w = s.width;
            *h = s.height;
        }
    }
}

TEST(PngResources, EveryIdLoadsWithItsSizeAndFormat) {
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int id = IDB_PNG_FIRST; id <= IDB_PNG_LAST; ++id) {
        SCOPED_TRACE(id);
        Blob b = FindBlob(L"PNG", MAKEINTRESOURCEW(id));
        ASSERT_NE(b.data, nullptr);
        ASSERT_GT(b.size, 33u);
        ASSERT_EQ(0, std::memcmp(b.data, kSignature, 8));
        ASSERT_EQ(0, std::memcmp(b.data + 12, "IHDR", 4));
        int w = 0, h = 0;
        ExpectedPngSize(id, &w, &h);
        EXPECT_EQ(BigEndian32(b.data + 16), DWORD(w));
        EXPECT_EQ(BigEndian32(b.data + 20), DWORD(h));
        EXPECT_EQ(b.data[24], 8) << "bit depth";
        EXPECT_EQ(b.data[25], IsRgbOnly(id) ? 2 : 6) << "colour type";
    }
}

TEST(PngResources, IdsOutsideTheCatalogueAreAbsent) {
    EXPECT_EQ(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(143), L"PNG"));
    EXPECT_EQ(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(205), L"PNG"));
}

// GDI+, the decoder the windows use, reads every picture with its size and
// pixel format, and the alpha of the shadow edge survives decoding.
class GdiPlus {
public:
    struct StartupInput {
        UINT32 version = 1;
        void* debugCallback = nullptr;
        BOOL suppressBackgroundThread = FALSE;
        BOOL suppressExternalCodecs = FALSE;
    };
    using StartupFn = int(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
    using ShutdownFn = void(WINAPI*)(ULONG_PTR);
    using LoadFn = int(WINAPI*)(IStream*, void**);
    using SizeFn = int(WINAPI*)(void*, UINT*);
    using FormatFn = int(WINAPI*)(void*, INT*);
    using PixelFn = int(WINAPI*)(void*, INT, INT, DWORD*);
    using DisposeFn = int(WINAPI*)(void*);

    GdiPlus() {
        dll_ = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll_) return;
        Resolve(startup_, "GdiplusStartup");
        Resolve(shutdown_, "GdiplusShutdown");
        Resolve(load, "GdipLoadImageFromStream");
        Resolve(width, "GdipGetImageWidth");
        Resolve(height, "GdipGetImageHeight");
        Resolve(format, "GdipGetImagePixelFormat");
        Resolve(pixel, "GdipBitmapGetPixel");
        Resolve(dispose, "GdipDisposeImage");
        StartupInput in;
        ok_ = startup_ && shutdown_ && load && width && height && format && pixel && dispose &&
              startup_(&token_, &in, nullptr) == 0;
    }
    ~GdiPlus() {
        if (ok_) shutdown_(token_);
        if (dll_) FreeLibrary(dll_);
    }
    bool ok() const { return ok_; }

    // Decodes PNG resource `id`; the caller disposes of the image.
    void* Load(int id) {
        Blob b = FindBlob(L"PNG", MAKEINTRESOURCEW(id));
        if (!b.data) return nullptr;
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, b.size);
        if (!mem) return nullptr;
        std::memcpy(GlobalLock(mem), b.data, b.size);
        GlobalUnlock(mem);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(mem, TRUE, &stream))) {
            GlobalFree(mem);
            return nullptr;
        }
        void* image = nullptr;
        if (load(stream, &image) != 0) image = nullptr;
        stream->Release();  // the image holds its own reference
        return image;
    }

    LoadFn load = nullptr;
    SizeFn width = nullptr, height = nullptr;
    FormatFn format = nullptr;
    PixelFn pixel = nullptr;
    DisposeFn dispose = nullptr;

private:
    template <typename F>
    void Resolve(F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
    }
    HMODULE dll_ = nullptr;
    StartupFn startup_ = nullptr;
    ShutdownFn shutdown_ = nullptr;
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

TEST(PngResources, GdiPlusDecodesEveryPicture) {
    GdiPlus gdip;
    ASSERT_TRUE(gdip.ok());
    const INT kArgb = 0x0026200A, kRgb = 0x00021808;
    for (int id = IDB_PNG_FIRST; id <= IDB_PNG_LAST; ++id) {
        SCOPED_TRACE(id);
        void* image = gdip.Load(id);
        ASSERT_NE(image, nullptr);
        UINT w = 0, h = 0;
        INT format = 0;
        gdip.width(image, &w);
        gdip.height(image, &h);
        gdip.format(image, &format);
        int ew = 0, eh = 0;
        ExpectedPngSize(id, &ew, &eh);
        EXPECT_EQ(w, UINT(ew));
        EXPECT_EQ(h, UINT(eh));
        EXPECT_EQ(format, IsRgbOnly(id) ? kRgb : kArgb);
        gdip.dispose(image);
    }
    // the shadow starts at alpha 1 on the outer edge and the body is opaque
    void* shadow = gdip.Load(IDB_MAIN_SHADOW);
    ASSERT_NE(shadow, nullptr);
    DWORD argb = 0;
    gdip.pixel(shadow, 0, 317, &argb);
    EXPECT_EQ(argb >> 24, 1u);
    gdip.pixel(shadow, 16, 317, &argb);
    EXPECT_EQ(argb >> 24, 119u);
    gdip.pixel(shadow, 217, 317, &argb);
    EXPECT_EQ(argb >> 24, 255u);
    gdip.dispose(shadow);
}

// ---------------------------------------------------------------- dialogs

struct Control {
    int id;
    std::wstring cls;   // "Button" / "Static" (ordinals resolved)
    DWORD style;
    short x, y, cx, cy;
    std::wstring text;  // "#128" for an ordinal
};

struct Dialog {
    DWORD style = 0, exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0, weight = 0;
    BYTE charset = 0;
    std::wstring face;
    std::vector<Control> controls;
};

class Reader {
public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD Word() { WORD v; std::memcpy(&v, p_, 2); p_ += 2; return v; }
    DWORD Dword() { DWORD v; std::memcpy(&v, p_, 4); p_ += 4; return v; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    std::wstring StringOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring s;
        for (WORD c = first; c; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    void AlignDword(const BYTE* base) {
        while ((p_ - base) % 4) ++p_;
    }
    const BYTE* p_;
};

Dialog ParseDialog(int id) {
    Dialog d;
    Blob b = FindBlob(MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(id));
    if (!b.data) return d;
    Reader r(b.data);
    EXPECT_EQ(r.Word(), 1) << "not an extended template";
    EXPECT_EQ(r.Word(), 0xFFFF);
    r.Dword();  // help ID
    d.exStyle = r.Dword();
    d.style = r.Dword();
    WORD count = r.Word();
    EXPECT_EQ(r.Short(), 0) << "x";
    EXPECT_EQ(r.Short(), 0) << "y";
    d.cx = r.Short();
    d.cy = r.Short();
    EXPECT_EQ(r.StringOrOrdinal(), L"") << "menu";
    EXPECT_EQ(r.StringOrOrdinal(), L"") << "class";
    d.caption = r.String();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.Word();
        d.weight = r.Word();
        r.Byte();  // italic
        d.charset = r.Byte();
        d.face = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(b.data);
        Control c;
        r.Dword();  // help ID
        EXPECT_EQ(r.Dword(), 0u) << "control extended style";
        c.style = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = static_cast<int>(r.Dword());
        c.cls = r.StringOrOrdinal();
        if (c.cls == L"#128") c.cls = L"Button";
        if (c.cls == L"#130") c.cls = L"Static";
        c.text = r.StringOrOrdinal();
        WORD extra = r.Word();
        r.p_ += extra;
        d.controls.push_back(c);
    }
    return d;
}

const DWORD kOwnerDraw = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;   // 0x5001000B
const DWORD kTextStatic = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;         // 0x50020000
const DWORD kContent = WS_POPUP | WS_SYSMENU | DS_SETFONT;

void ExpectSongTi(const Dialog& d) {
    EXPECT_EQ(d.pointSize, 10);
    EXPECT_EQ(d.weight, 400);
    EXPECT_EQ(d.charset, GB2312_CHARSET);
    EXPECT_EQ(d.face, L"宋体");
}

void ExpectControls(const Dialog& d, const std::vector<Control>& want) {
    ASSERT_EQ(d.controls.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].id);
        const Control& got = d.controls[i];
        EXPECT_EQ(got.id, want[i].id);
        EXPECT_EQ(got.cls, want[i].cls);
        EXPECT_EQ(got.style, want[i].style);
        EXPECT_EQ(got.x, want[i].x);
        EXPECT_EQ(got.y, want[i].y);
        EXPECT_EQ(got.cx, want[i].cx);
        EXPECT_EQ(got.cy, want[i].cy);
        EXPECT_EQ(got.text, want[i].text);
    }
}

TEST(DialogTemplates, ShadowParentsHaveNoControls) {
    struct { int id; DWORD style, exStyle; short cx, cy; } parents[] = {
        {IDD_MAIN_DIALOG, WS_POPUP | WS_VISIBLE | WS_SYSMENU | DS_SETFONT, WS_EX_APPWINDOW, 500, 350},
        {IDD_EXECUTE_PROMPT, kContent, 0, 240, 120},
        {IDD_PROMPT, kContent, 0, 240, 120},
        {IDD_FEEDBACK, kContent, 0, 360, 300},
    };
    for (const auto& p : parents) {
        SCOPED_TRACE(p.id);
        Dialog d = ParseDialog(p.id);
        EXPECT_EQ(d.style, p.style);
        EXPECT_EQ(d.exStyle, p.exStyle);
        EXPECT_EQ(d.cx, p.cx);
        EXPECT_EQ(d.cy, p.cy);
        EXPECT_EQ(d.caption, L"");
        ExpectSongTi(d);
        EXPECT_TRUE(d.controls.empty());
    }
}

TEST(DialogTemplates, FixPage) {
    Dialog d = ParseDialog(IDD_FIXPAGE);
    EXPECT_EQ(d.style, kContent);
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.cx, 500);
    EXPECT_EQ(d.cy, 350);
    ExpectSongTi(d);
    ExpectControls(d, {
        {IDC_FIX_UNINSTALL, L"Button", kOwnerDraw, 203, 294, 99, 24, L"卸载"},
        {IDC_FIX_MORETOOLS, L"Button", kOwnerDraw, 343, 195, 50, 14, L"更多工具"},
        {IDC_FIX_VERSION, L"Static", kTextStatic, 227, 5, 25, 8, L"Static"},
        {IDC_FIX_CLOSE, L"Button", kOwnerDraw, 480, 4, 14, 14, L"关闭"},
        {IDC_FIX_MINIMIZE, L"Button", kOwnerDraw, 450, 4, 14, 14, L"最小化"},
        {IDC_FIX_AGREE, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 334, 31, 10, L"同意"},
        {IDC_FIX_AGREEMENT, L"Static", kTextStatic, 32, 335, 109, 8, L"《Tessaro服务工具使用许可协议》"},
        {IDC_FIX_FEEDBACK, L"Static", kTextStatic, 446, 335, 32, 8, L"反馈问题"},
    });
    EXPECT_EQ(d.controls[5].style, 0x50010003u);
}

TEST(DialogTemplates, PromptContents) {
    Dialog exec = ParseDialog(IDD_EXECUTE_PROMPT_CHILD);
    EXPECT_EQ(exec.style, kContent);
    EXPECT_EQ(exec.cx, 240);
    EXPECT_EQ(exec.cy, 120);
    ExpectSongTi(exec);
    ExpectControls(exec, {{IDC_EXEC_STATUS, L"Static", kTextStatic, 105, 56, 25, 8, L"Static"}});

    Dialog prompt = ParseDialog(IDD_PROMPT_CHILD);
    EXPECT_EQ(prompt.style, kContent);
    EXPECT_EQ(prompt.cx, 240);
    EXPECT_EQ(prompt.cy, 120);
    ExpectSongTi(prompt);
    ExpectControls(prompt, {
        {IDC_PROMPT_CONFIRM, L"Button", kOwnerDraw, 129, 99, 50, 14, L"确定"},
        {IDC_PROMPT_CANCEL, L"Button", kOwnerDraw, 183, 99, 50, 14, L"取消"},
        {IDC_PROMPT_CLOSE, L"Button", kOwnerDraw, 219, 7, 14, 14, L"关闭"},
        {IDC_PROMPT_MESSAGE, L"Static", kTextStatic, 103, 55, 25, 8, L"Static"},
    });
    EXPECT_EQ(prompt.controls[0].style, 0x5001000Bu);
    EXPECT_EQ(prompt.controls[3].style, 0x50020000u);
}

TEST(DialogTemplates, FeedbackContent) {
    Dialog d = ParseDialog(IDD_FEEDBACK_CHILD);
    EXPECT_EQ(d.style, kContent);
    EXPECT_EQ(d.cx, 360);
    EXPECT_EQ(d.cy, 300);
    ExpectSongTi(d);
    ExpectControls(d, {
        {IDC_FB_SOLVED, L"Button", kOwnerDraw, 136, 97, 96, 20, L"解决"},
        {IDC_FB_UNSOLVED, L"Button", kOwnerDraw, 136, 155, 96, 20, L"未解决"},
        {IDC_FB_OTHER, L"Button", kOwnerDraw, 136, 213, 96, 20, L"更多方案"},
        {IDC_FB_CLOSE, L"Button", kOwnerDraw, 339, 7, 14, 14, L"关闭"},
    });
}

TEST(DialogTemplates, AboutBox) {
    Dialog d = ParseDialog(IDD_ABOUTBOX);
    EXPECT_EQ(d.style, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT);
    EXPECT_EQ(d.cx, 170);
    EXPECT_EQ(d.cy, 62);
    EXPECT_EQ(d.caption, L"关于 RemedoTessaroModernHubrelayServiceUninstalled");
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_EQ(d.face, L"MS Shell Dlg");
    ASSERT_EQ(d.controls.size(), 4u);
    EXPECT_EQ(d.controls[0].text, L"#128");
    EXPECT_EQ(d.controls[0].style & SS_TYPEMASK, DWORD(SS_ICON));
    EXPECT_EQ(d.controls[0].cx, 21);
    EXPECT_EQ(d.controls[0].cy, 20);
    EXPECT_EQ(d.controls[1].text, L"RemedoTessaroModernHubrelayServiceUninstalled，版本 1.0");
    EXPECT_TRUE(d.controls[1].style & SS_NOPREFIX);
    EXPECT_EQ(d.controls[2].cy, 8);
    EXPECT_FALSE(d.controls[2].text.empty());
    EXPECT_EQ(d.controls[3].id, IDOK);
    EXPECT_EQ(d.controls[3].style & 0xF, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_EQ(d.controls[3].text, L"确定");
}

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

// The system itself builds every template into a window with all controls.
TEST(DialogTemplates, SystemCreatesEveryTemplate) {
    struct { int id; std::vector<int> controls; } dialogs[] = {
        {IDD_ABOUTBOX, {IDOK}},
        {IDD_MAIN_DIALOG, {}},
        {IDD_EXECUTE_PROMPT_CHILD, {IDC_EXEC_STATUS}},
        {IDD_EXECUTE_PROMPT, {}},
        {IDD_FEEDBACK_CHILD, {IDC_FB_CLOSE, IDC_FB_OTHER, IDC_FB_UNSOLVED, IDC_FB_SOLVED}},
        {IDD_FEEDBACK, {}},
        {IDD_PROMPT_CHILD, {IDC_PROMPT_CLOSE, IDC_PROMPT_MESSAGE, IDC_PROMPT_CONFIRM, IDC_PROMPT_CANCEL}},
        {IDD_PROMPT, {}},
        {IDD_FIXPAGE, {IDC_FIX_CLOSE, IDC_FIX_MINIMIZE, IDC_FIX_AGREE, IDC_FIX_VERSION,
                       IDC_FIX_MORETOOLS, IDC_FIX_UNINSTALL, IDC_FIX_AGREEMENT, IDC_FIX_FEEDBACK}},
    };
    for (const auto& dlg : dialogs) {
        SCOPED_TRACE(dlg.id);
        HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dlg.id), nullptr,
                                    QuietProc, 0);
        ASSERT_NE(h, nullptr) << GetLastError();
        for (int id : dlg.controls) EXPECT_NE(GetDlgItem(h, id), nullptr) << id;
        DestroyWindow(h);
    }
}

// ---------------------------------------------------------------- the rest

TEST(OtherResources, AboutMenuString) {
    wchar_t text[128] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128), 0);
    EXPECT_STREQ(text, L"关于 RemedoTessaroModernHubrelayServiceUninstalled(&A)...");
    EXPECT_EQ(ID_SYSMENU_ABOUT, 0x0010);
    EXPECT_EQ(ID_SYSMENU_ABOUT & 0xFFF0, ID_SYSMENU_ABOUT) << "must survive the system-menu mask";
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(OtherResources, IconHasThirteenImages) {
    Blob group = FindBlob(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(group.data, nullptr);
    WORD count;
    std::memcpy(&count, group.data + 4, 2);
    ASSERT_EQ(count, 13);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, group.data + 6 + i * sizeof(GroupIconEntry), sizeof e);
        int size = e.width ? e.width : 256;
        sizes.push_back(size);
        EXPECT_EQ(e.bitCount, 32);
        Blob image = FindBlob(MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(e.id));
        ASSERT_NE(image.data, nullptr) << size;
        EXPECT_EQ(image.size, e.bytes);
        // The large entries are PNG-compressed, the small ones plain DIBs.
        EXPECT_EQ(size >= 64, std::memcmp(image.data, "\x89PNG", 4) == 0) << size;
    }
    for (int want : {16, 32, 48, 256})
        EXPECT_NE(std::find(sizes.begin(), sizes.end(), want), sizes.end()) << want;
    EXPECT_EQ(*std::min_element(sizes.begin(), sizes.end()), 16);
    EXPECT_EQ(*std::max_element(sizes.begin(), sizes.end()), 256);

    // Each size loads from its own entry, DIB or PNG, at that size.
    for (int s : {16, 32, 48, 64, 128, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
            MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, s, s, 0));
        EXPECT_NE(icon, nullptr) << s;
        if (!icon) continue;
        ICONINFO info{};
        BITMAP bm{};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << s;
        EXPECT_TRUE(GetObjectW(info.hbmColor, sizeof bm, &bm)) << s;
        EXPECT_EQ(bm.bmWidth, s);
        EXPECT_EQ(bm.bmHeight, s);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    void* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &len) || !value) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

TEST(OtherResources, VersionInformation) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD((1 << 16) | 2));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD((24 << 16) | 1010));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    EXPECT_EQ(VersionString(info, L"FileVersion"), L"1.2.24.1010");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"1.2.24.1010");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Remedo");
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"RemedoTessaroModernHubrelayServiceUninstalled");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"RemedoTessaroModernHubrelayServiceUninstalled");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"RemedoTessaroModernHubrelayServiceUninstalled.exe");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_GE(len, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
}

// A system callback: stdcall in the 32-bit build, which a lambda cannot be.
BOOL CALLBACK CountResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(OtherResources, ManifestAsksForElevationAndCommonControls6) {
    Blob b = FindBlob(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1));
    ASSERT_NE(b.data, nullptr);
    std::string xml(reinterpret_cast<const char*>(b.data), b.size);
    EXPECT_NE(xml.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
#ifdef _WIN64
    EXPECT_NE(xml.find("processorArchitecture=\"amd64\""), std::string::npos);
#else
    EXPECT_NE(xml.find("processorArchitecture=\"x86\""), std::string::npos);
#endif
    EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);
    // Exactly one manifest: a second one (say, a toolchain default) would be
    // picked by ID order and lose the elevation request.
    int manifests = 0;
    EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(24), &CountResource, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
}

}  // namespace
