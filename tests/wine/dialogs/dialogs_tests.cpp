// The shadowed window pairs in-process under Wine: the layer's pixels, the
// keyboard filter, the drag bands and the parent following its content, the
// prompt's answers, the execute prompt's end, and a parent whose picture is
// missing. Each case runs a pair modally and acts from inside its loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GdiplusSession.h"
#include "controls/ImageHelpers.h"
#include "dialogs/DialogImage.h"
#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/ProblemSolvingFeedbackDlg.h"
#include "dialogs/PromptDlg.h"
#include "framework/App.h"
#include "res/resource.h"

namespace {

CWinApp g_app;

// GDI+ for the whole program.
class GraphicsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ::SetProcessDPIAware();
        session_ = new GdiplusSession;
    }
    void TearDown() override {
        delete session_;
        session_ = nullptr;
    }

private:
    GdiplusSession* session_ = nullptr;
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new GraphicsEnvironment);

// Messages of the loop as the framework's own loop treats them: keys first
// pass the windows' PreTranslateMessage.
void Pump(DWORD ms) {
    const DWORD until = ::GetTickCount() + ms;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (!CWnd::WalkPreTranslateTree(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::Sleep(5);
    } while (static_cast<LONG>(::GetTickCount() - until) < 0);
}

// Runs the dialog modally; `script` runs once inside its loop, after the
// pair is up. A dialog the script leaves open is closed with WM_CLOSE a
// moment later and reported as left open.
struct Outcome {
    INT_PTR result = -100;
    bool leftOpen = false;
};

CShadowParentDlg* g_pRunning = nullptr;
std::function<void(CShadowParentDlg&)> g_script;
bool g_leftOpen = false;
UINT_PTR g_leftOpenTimer = 0;

void CALLBACK CloseLeftOpen(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_leftOpenTimer = 0;
    if (g_pRunning != nullptr && g_pRunning->m_hWnd != nullptr) {
        g_leftOpen = true;
        ::PostMessageW(g_pRunning->m_hWnd, WM_CLOSE, 0, 0);
        // The execute prompt ends on its completion only; the others ignore it.
        ::PostMessageW(g_pRunning->m_hWnd, WM_EXECUTE_DONE, 0, 0);
    }
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_pRunning == nullptr) return;
    if (g_script) g_script(*g_pRunning);
    // Still running once the loop has had its turn: the script left it open.
    g_leftOpenTimer = ::SetTimer(nullptr, 0, 200, CloseLeftOpen);
}

Outcome RunModal(CShadowParentDlg& dlg, std::function<void(CShadowParentDlg&)> script) {
    g_pRunning = &dlg;
    g_script = std::move(script);
    g_leftOpen = false;
    ::SetTimer(nullptr, 0, 30, RunScript);
    Outcome out;
    out.result = dlg.DoModal();
    if (g_leftOpenTimer != 0) ::KillTimer(nullptr, g_leftOpenTimer);
    g_leftOpenTimer = 0;
    out.leftOpen = g_leftOpen;
    g_pRunning = nullptr;
    g_script = nullptr;
    return out;
}

HWND Content(CShadowParentDlg& dlg) { return dlg.m_pContentDlg ? dlg.m_pContentDlg->m_hWnd : nullptr; }

RECT WindowRect(HWND h) {
    RECT rc{};
    ::GetWindowRect(h, &rc);
    return rc;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

LRESULT HitTest(HWND h, int x, int y) {
    return ::SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// ---------------------------------------------------------------------------

TEST(Layer, PictureIsRenderedWithPremultipliedAlpha) {
    gdip::Image* image = nullptr;
    ASSERT_TRUE(LoadPngFromResource(image, static_cast<UINT>(IDB_FB_SHADOW)));
    const SIZE size = dlg::PictureSize(image);
    ASSERT_EQ(434, size.cx);
    ASSERT_EQ(514, size.cy);

    HBITMAP hLayer = dlg::RenderLayer(image, size.cx, size.cy);
    ASSERT_NE(nullptr, hLayer);
    DIBSECTION ds{};
    ASSERT_EQ(static_cast<int>(sizeof(ds)), ::GetObjectW(hLayer, sizeof(ds), &ds));
    EXPECT_EQ(32, ds.dsBm.bmBitsPixel);
    EXPECT_EQ(434, ds.dsBm.bmWidth);
    EXPECT_EQ(514, ds.dsBm.bmHeight);
    ASSERT_NE(nullptr, ds.dsBm.bmBits);
    ::GdiFlush();
    const auto* px = static_cast<const DWORD*>(ds.dsBm.bmBits);
    auto at = [&](int x, int y) { return px[y * 434 + x]; };  // top-down rows
    auto alpha = [](DWORD v) { return static_cast<int>(v >> 24); };

    // Nothing at the outermost corner, a soft shadow rising inwards, an
    // opaque picture in the middle.
    EXPECT_EQ(0, alpha(at(0, 0)));
    const int a8 = alpha(at(217, 8)), a14 = alpha(at(217, 14));
    EXPECT_GT(a8, 0);
    EXPECT_LT(a8, a14);
    EXPECT_LT(a14, 255);
    EXPECT_EQ(255, alpha(at(217, 257)));
    EXPECT_NE(0u, at(217, 257) & 0x00FFFFFFu);

    // Premultiplied: no colour channel exceeds its alpha anywhere.
    int violations = 0, partial = 0;
    for (int y = 0; y < 514; ++y) {
        for (int x = 0; x < 434; ++x) {
            const DWORD v = at(x, y);
            const int a = alpha(v);
            if (a > 0 && a < 255) ++partial;
            if (static_cast<int>((v >> 16) & 255) > a || static_cast<int>((v >> 8) & 255) > a ||
                static_cast<int>(v & 255) > a) {
                ++violations;
            }
        }
    }
    EXPECT_EQ(0, violations);
    EXPECT_GT(partial, 1000);  // the whole shadow ring is translucent

    // Scaled: the layer takes the scaled size and stays opaque in the middle.
    HBITMAP hScaled = dlg::RenderLayer(image, 542, 642);
    ASSERT_NE(nullptr, hScaled);
    DIBSECTION ds2{};
    ::GetObjectW(hScaled, sizeof(ds2), &ds2);
    EXPECT_EQ(542, ds2.dsBm.bmWidth);
    EXPECT_EQ(642, ds2.dsBm.bmHeight);
    EXPECT_EQ(255u, static_cast<const DWORD*>(ds2.dsBm.bmBits)[321 * 542 + 271] >> 24);
    ::DeleteObject(hScaled);
    ::DeleteObject(hLayer);
    dlg::FreePicture(image);
    EXPECT_EQ(nullptr, image);
}

TEST(Layer, UnknownPictureIsNotLoaded) {
    gdip::Image* image = nullptr;
    EXPECT_FALSE(LoadPngFromResource(image, static_cast<UINT>(9999)));
    EXPECT_EQ(nullptr, image);
}

// A pair whose parent picture does not exist.
class CMissingPictureDlg : public CShadowParentDlg {
public:
    CMissingPictureDlg() : CShadowParentDlg(Row()) {}
    int contentsMade = 0;

protected:
    CShadowContentDlg* NewContent() override {
        ++contentsMade;
        return new CPromptChildDlg;
    }

private:
    static const layout::PairTraits& Row() {
        static layout::PairTraits row = [] {
            layout::PairTraits t = layout::TraitsOf(layout::PairKind::Prompt);
            t.parentPicture = 9999;
            return t;
        }();
        return row;
    }
};

TEST(ShadowParent, MissingPictureLeavesAPlainPopupWithoutContent) {
    CMissingPictureDlg dlg;
    bool layered = true;
    Outcome out = RunModal(dlg, [&](CShadowParentDlg& d) {
        layered = (::GetWindowLongW(d.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        ::SendMessageW(d.m_hWnd, WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(layered);
    EXPECT_EQ(0, dlg.contentsMade);
    EXPECT_EQ(nullptr, dlg.m_pContentDlg);
    EXPECT_EQ(IDCANCEL, out.result);
    EXPECT_FALSE(out.leftOpen);
}

// Enter and Esc, wherever the focus is, end none of the pairs.
TEST(KeyboardFilter, EnterAndEscapeChangeNothing) {
    auto keys = [](CShadowParentDlg& d) {
        HWND content = Content(d);
        ASSERT_NE(nullptr, content);
        HWND targets[] = {d.m_hWnd, content, ::GetWindow(content, GW_CHILD)};
        for (HWND target : targets) {
            for (WPARAM vk : {VK_RETURN, VK_ESCAPE}) {
                ::PostMessageW(target, WM_KEYDOWN, vk, 0x00000001);
                ::PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
                Pump(30);
                ASSERT_TRUE(::IsWindowVisible(d.m_hWnd));
                ASSERT_TRUE(::IsWindowVisible(content));
            }
        }
    };
    {
        CPromptDlg dlg;
        dlg.SetPromptText(L"按键测试");
        dlg.SetPromptType(4);
        Outcome out = RunModal(dlg, keys);
        EXPECT_TRUE(out.leftOpen);
        EXPECT_EQ(IDCANCEL, out.result);
    }
    {
        CExecutePromptDlg dlg;
        Outcome out = RunModal(dlg, keys);
        EXPECT_TRUE(out.leftOpen);
    }
    {
        CProblemSolvingFeedbackDlg dlg;
        Outcome out = RunModal(dlg, keys);
        EXPECT_TRUE(out.leftOpen);
        EXPECT_EQ(IDCANCEL, out.result);
    }
}

TEST(Prompt, AnswersEndTheDialog) {
    struct Case {
        int type;
        int control;
        INT_PTR expected;
    };
    const Case cases[] = {
        {3, IDC_PROMPT_CONFIRM, IDOK},   {4, IDC_PROMPT_CONFIRM, IDOK}, {4, IDC_PROMPT_CANCEL, IDCANCEL},
        {3, IDC_PROMPT_CLOSE, IDCANCEL}, {1, IDC_PROMPT_CONFIRM, IDOK}, {2, IDC_PROMPT_CANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " control " + std::to_string(c.control));
        CPromptDlg dlg;
        dlg.SetPromptText(L"Tessaro Veride Hubrelay 服务卸载失败");
        dlg.SetPromptType(c.type);
        Outcome out = RunModal(dlg, [&](CShadowParentDlg& d) {
            HWND button = ::GetDlgItem(Content(d), c.control);
            ASSERT_NE(nullptr, button);
            ::SendMessageW(button, BM_CLICK, 0, 0);
        });
        EXPECT_FALSE(out.leftOpen);
        EXPECT_EQ(c.expected, out.result);
    }
}

TEST(Prompt, ResultMessageAndCloseRequests) {
    const std::pair<WPARAM, INT_PTR> results[] = {{1, IDOK}, {2, IDCANCEL}, {0, IDCANCEL}, {7, IDCANCEL}};
    for (const auto& r : results) {
        CPromptDlg dlg;
        Outcome out = RunModal(dlg, [&](CShadowParentDlg& d) {
            EXPECT_EQ(0, ::SendMessageW(d.m_hWnd, WM_PROMPT_RESULT, r.first, 0));
        });
        EXPECT_EQ(r.second, out.result) << "wParam " << r.first;
    }
    // The system's Close on the content (Alt+F4) ends the pair instead of
    // hiding the content and leaving the modal parent behind.
    CPromptDlg dlg;
    Outcome out = RunModal(dlg, [](CShadowParentDlg& d) {
        ::SendMessageW(Content(d), WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump(50);
    });
    EXPECT_FALSE(out.leftOpen);
    EXPECT_EQ(IDCANCEL, out.result);
}

// The prompts do not place themselves: the framework centres them over a
// visible owner (or in the work area), and the content comes along.
TEST(Placement, CentredOverTheOwnerWithTheContentAlong) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 60, 80, 900, 700, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    CWnd ownerWnd;
    ASSERT_TRUE(ownerWnd.SubclassWindow(owner));
    auto check = [](CShadowParentDlg& d) {
        const RECT parent = WindowRect(d.m_hWnd);
        EXPECT_NEAR(60 + 450, (parent.left + parent.right) / 2, 1) << Describe(parent);
        EXPECT_NEAR(80 + 350, (parent.top + parent.bottom) / 2, 1) << Describe(parent);
        const RECT content = WindowRect(Content(d));
        const layout::Rect expected = layout::ContentRectFor(
            layout::Rect{parent.left, parent.top, parent.right, parent.bottom}, d.Traits(), d.m_fScale);
        EXPECT_EQ(expected.left, content.left);
        EXPECT_EQ(expected.top, content.top);
        EXPECT_EQ(expected.right, content.right);
        EXPECT_EQ(expected.bottom, content.bottom);
        EXPECT_TRUE(::IsWindowVisible(Content(d)));
        // Owned by the parent, so always above it.
        EXPECT_EQ(d.m_hWnd, ::GetWindow(Content(d), GW_OWNER));
        ::SendMessageW(d.m_hWnd, WM_CLOSE, 0, 0);
    };
    {
        CPromptDlg dlg(&ownerWnd);
        dlg.m_fScale = 1.5f;
        EXPECT_EQ(IDCANCEL, RunModal(dlg, check).result);
    }
    {
        CExecutePromptDlg dlg(&ownerWnd);
        dlg.m_fScale = 1.25f;
        RunModal(dlg, check);
    }
    {
        CProblemSolvingFeedbackDlg dlg(&ownerWnd);
        RunModal(dlg, check);
    }
    // The owner is disabled while a prompt runs and enabled again after it.
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ownerWnd.DestroyWindow();
}

TEST(Moving, PromptBandDragsTheParentToTheSameRectangle) {
    CPromptDlg dlg;
    dlg.m_fScale = 1.25f;
    Outcome out = RunModal(dlg, [](CShadowParentDlg& d) {
        HWND content = Content(d);
        RECT rc = WindowRect(content);
        EXPECT_TRUE(SameRect(rc, WindowRect(d.m_hWnd))) << Describe(rc);
        EXPECT_EQ(435, rc.right - rc.left);
        EXPECT_EQ(295, rc.bottom - rc.top);
        // Band: 37 high, the right 32 left to the close button.
        EXPECT_EQ(HTCAPTION, HitTest(content, rc.left + 1, rc.top + 1));
        EXPECT_EQ(HTCAPTION, HitTest(content, rc.right - 33, rc.top + 36));
        EXPECT_NE(HTCAPTION, HitTest(content, rc.right - 32, rc.top + 5));
        EXPECT_NE(HTCAPTION, HitTest(content, rc.left + 100, rc.top + 37));
        EXPECT_EQ(TRUE, d.m_bMoveContent);

        // Grabbed: the content moves, the parent follows to the very same place.
        EXPECT_EQ(HTCAPTION, HitTest(content, rc.left + 50, rc.top + 10));
        ::MoveWindow(content, rc.left + 40, rc.top + 25, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        const RECT moved = WindowRect(content);
        EXPECT_EQ(rc.left + 40, moved.left);
        EXPECT_TRUE(SameRect(moved, WindowRect(d.m_hWnd))) << Describe(WindowRect(d.m_hWnd));
        EXPECT_EQ(FALSE, d.m_bMoveContent);

        // From then on the parent's own moves no longer carry the content.
        ::SetWindowPos(d.m_hWnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(SameRect(moved, WindowRect(content)));
        ::SendMessageW(d.m_hWnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, out.result);
}

TEST(Moving, ParentCarriesTheContentUntilTheContentIsGrabbed) {
    CProblemSolvingFeedbackDlg dlg;
    Outcome out = RunModal(dlg, [](CShadowParentDlg& d) {
        HWND content = Content(d);
        const int m = layout::T(17 * d.m_fScale);
        ::SetWindowPos(d.m_hWnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT parent = WindowRect(d.m_hWnd);
        const RECT rc = WindowRect(content);
        EXPECT_EQ(30 + m, rc.left);
        EXPECT_EQ(40 + m, rc.top);
        EXPECT_EQ(layout::T(static_cast<float>(parent.right - parent.left) - 34 * d.m_fScale), rc.right - rc.left);

        // The band spans the full width, 30·s high.
        const int band = layout::T(30 * d.m_fScale);
        EXPECT_EQ(HTCAPTION, HitTest(content, rc.right - 1, rc.top + band - 1));
        EXPECT_NE(HTCAPTION, HitTest(content, rc.right - 1, rc.top + band));
        // Grabbed and moved: the parent keeps its shadow margin around it.
        EXPECT_EQ(HTCAPTION, HitTest(content, rc.left + 5, rc.top + 5));
        ::MoveWindow(content, rc.left + 70, rc.top + 15, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        const RECT moved = WindowRect(content);
        const RECT follow = WindowRect(d.m_hWnd);
        EXPECT_EQ(moved.left - m, follow.left);
        EXPECT_EQ(moved.top - m, follow.top);
        EXPECT_EQ(moved.right + m, follow.right);
        EXPECT_EQ(moved.bottom + m, follow.bottom);
        ::SendMessageW(d.m_hWnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(IDCANCEL, out.result);
}

TEST(ExecutePrompt, CannotBeGrabbedAndEndsOnCompletion) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 60, 80, 400, 600, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    CWnd ownerWnd;
    ASSERT_TRUE(ownerWnd.SubclassWindow(owner));
    CExecutePromptDlg dlg(&ownerWnd);
    dlg.SetPromptText(L"Tessaro Veride Hubrelay 服务卸载中，请稍等");
    int dotsTicks = 0;
    BOOL timerAfterDone = TRUE;
    Outcome out = RunModal(dlg, [&](CShadowParentDlg& d) {
        HWND content = Content(d);
        const RECT rc = WindowRect(content);
        EXPECT_TRUE(SameRect(rc, WindowRect(d.m_hWnd)));
        for (int y : {rc.top + 1, rc.top + 20, (rc.top + rc.bottom) / 2}) {
            EXPECT_NE(HTCAPTION, HitTest(content, rc.left + 20, y));
        }
        // Even a move of the content does not drag the parent.
        const RECT parent = WindowRect(d.m_hWnd);
        ::MoveWindow(content, rc.left + 30, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        EXPECT_TRUE(SameRect(parent, WindowRect(d.m_hWnd)));

        // The dots advance once a second.
        HWND label = ::GetDlgItem(content, IDC_EXEC_STATUS);
        ASSERT_NE(nullptr, label);
        const DWORD until = ::GetTickCount() + 1300;
        while (static_cast<LONG>(::GetTickCount() - until) < 0) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_TIMER && msg.hwnd == label && msg.wParam == 36) ++dotsTicks;
                if (!CWnd::WalkPreTranslateTree(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            ::Sleep(10);
        }
        EXPECT_EQ(0, ::SendMessageW(d.m_hWnd, WM_EXECUTE_DONE, 0, 0));
        // Stopped at once: no timer left to kill.
        timerAfterDone = ::KillTimer(label, 36);
        // The outcome prompt follows before this loop ends: the pair has
        // left the screen already, the owner taking its input and the
        // activation back first.
        EXPECT_TRUE(::IsWindowEnabled(owner));
        EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
        EXPECT_FALSE(::IsWindowVisible(content));
        EXPECT_EQ(owner, ::GetActiveWindow());
    });
    EXPECT_GE(dotsTicks, 1);
    EXPECT_FALSE(timerAfterDone);
    EXPECT_FALSE(out.leftOpen);
    EXPECT_EQ(IDOK, out.result);
    ownerWnd.DestroyWindow();
}

TEST(Feedback, AnswersWithoutLibraryStillClose) {
    for (int control : {IDC_FB_OTHER}) {
        CProblemSolvingFeedbackDlg dlg;
        Outcome out = RunModal(dlg, [&](CShadowParentDlg& d) {
            HWND content = Content(d);
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(content, IDC_FB_CLOSE)));
            ::SendMessageW(::GetDlgItem(content, control), BM_CLICK, 0, 0);
        });
        EXPECT_FALSE(out.leftOpen);
        EXPECT_EQ(IDCANCEL, out.result);
    }
}

}  // namespace
