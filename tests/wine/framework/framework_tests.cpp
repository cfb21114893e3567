// The dialog framework under Wine: modal loop and result, owner handling,
// centring, keyboard pre-translation, control binding and owner-draw
// reflection, modeless dialogs, the application object.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Framework.h"
#include "framework/Placement.h"
#include "framework/framework_test_ids.h"

namespace {

const UINT_PTR kWatchdogTimer = 999;
const INT_PTR kTimedOut = -99;
const UINT WM_STEP = WM_APP + 1;

// The test program's application object; InitInstance is scripted per test.
class TestApp : public CWinApp {
public:
    std::function<BOOL()> init;
    BOOL InitInstance() override { return init ? init() : FALSE; }
};
TestApp g_app;

// A button that records what reaches its object.
class RecordingButton : public CButton {
public:
    std::vector<UINT> messages;
    int drawCalls = 0;
    HWND drawnWindow = nullptr;
    UINT drawnId = 0;

    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++drawCalls;
        drawnWindow = dis->hwndItem;
        drawnId = dis->CtlID;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_APP + 5) return 77;
        return CButton::WindowProc(message, wParam, lParam);
    }
};

// A dialog whose behaviour each test scripts.
class ScriptedDlg : public CDialog {
public:
    explicit ScriptedDlg(UINT id = IDD_FW_TEST, CWnd* parent = nullptr) : CDialog(id, parent) {}

    std::function<void(ScriptedDlg&)> onInit;
    std::function<bool(ScriptedDlg&, UINT, WPARAM, LPARAM, LRESULT&)> onMessage;
    std::function<bool(MSG*)> onPreTranslate;
    bool bindControls = true;
    bool watchdog = true;
    bool basePreTranslate = true;
    int missingBindResult = -1;
    RecordingButton m_btnDrawn;
    CStatic m_stcText;
    CStatic m_stcMissing;
    RECT rectAtInitEnd{};

    using CDialog::Default;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        if (!bindControls) return;
        DDX_Control(pDX, IDC_FW_DRAWN, m_btnDrawn);
        DDX_Control(pDX, IDC_FW_TEXT, m_stcText);
        missingBindResult = DDX_Control(pDX, 12345, m_stcMissing);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (watchdog) SetTimer(kWatchdogTimer, 10000);
        if (onInit) onInit(*this);
        GetWindowRect(&rectAtInitEnd);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kWatchdogTimer) {
            KillTimer(kWatchdogTimer);
            EndDialog(kTimedOut);
            return 0;
        }
        LRESULT result = 0;
        if (onMessage && onMessage(*this, message, wParam, lParam, result)) return result;
        return CDialog::WindowProc(message, wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (onPreTranslate && onPreTranslate(pMsg)) return TRUE;
        return basePreTranslate ? CDialog::PreTranslateMessage(pMsg) : FALSE;
    }
};

// Handles WM_STEP by running `step` once the modal loop is running.
std::function<bool(ScriptedDlg&, UINT, WPARAM, LPARAM, LRESULT&)> OnStep(std::function<void(ScriptedDlg&)> step) {
    return [step](ScriptedDlg& dlg, UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_STEP) return false;
        step(dlg);
        result = 0;
        return true;
    };
}

void PostStep(ScriptedDlg& dlg) { dlg.PostMessageW(WM_STEP); }

RECT WindowRect(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

RECT WorkArea() {
    RECT rc{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

// Top-left of a window of rc's size centred on `on` within `area`.
POINT Centred(const RECT& rc, const RECT& on, const RECT& area) {
    hr::PlacePoint pt = hr::CentreWindowIn(rc.right - rc.left, rc.bottom - rc.top,
                                           hr::PlaceRect{on.left, on.top, on.right, on.bottom},
                                           hr::PlaceRect{area.left, area.top, area.right, area.bottom});
    return POINT{pt.x, pt.y};
}

// A visible modeless owner window at a known place.
struct Owner {
    ScriptedDlg dlg{IDD_FW_OWNER};
    Owner(int x, int y) {
        dlg.bindControls = false;
        dlg.watchdog = false;
        EXPECT_TRUE(dlg.Create(IDD_FW_OWNER, nullptr));
        dlg.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dlg.ShowWindow(SW_SHOWNORMAL);
    }
};

void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

// ---------------------------------------------------------------- modal loop

TEST(DoModal, ReturnsTheValueGivenToEndDialogAndDestroysTheWindow) {
    ScriptedDlg dlg;
    HWND seen = nullptr;
    bool visibleInLoop = false;
    dlg.onInit = PostStep;
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        seen = d.m_hWnd;
        visibleInLoop = d.IsWindowVisible() != FALSE;
        d.EndDialog(42);
    });
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(visibleInLoop);
    ASSERT_NE(seen, nullptr);
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    // The same object can run again.
    EXPECT_EQ(dlg.DoModal(), 42);
}

TEST(DoModal, EndDialogDuringInitEndsWithoutShowingTheWindow) {
    ScriptedDlg dlg;
    bool shown = false;
    dlg.onInit = [](ScriptedDlg& d) { d.EndDialog(7); };
    dlg.onMessage = [&](ScriptedDlg&, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_SHOWWINDOW && wParam) shown = true;
        return false;
    };
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_FALSE(shown);
}

TEST(DoModal, OkButtonEndsWithIdokAndCloseWithIdcancel) {
    ScriptedDlg ok;
    ok.onInit = [](ScriptedDlg& d) { ::PostMessageW(::GetDlgItem(d.m_hWnd, IDOK), BM_CLICK, 0, 0); };
    EXPECT_EQ(ok.DoModal(), IDOK);

    ScriptedDlg close;
    close.onInit = [](ScriptedDlg& d) { d.PostMessageW(WM_CLOSE); };
    EXPECT_EQ(close.DoModal(), IDCANCEL);
}

TEST(DoModal, MissingTemplateFailsWithMinusOne) {
    ScriptedDlg dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(DoModal, EndDialogInsideAnotherThreadsSendMessageWakesTheLoop) {
    // The uninstall worker ends the progress prompt with a sent message while
    // the loop waits in GetMessage with nothing posted.
    ScriptedDlg dlg;
    std::thread worker;
    dlg.onInit = [&](ScriptedDlg& d) {
        HWND hWnd = d.m_hWnd;
        worker = std::thread([hWnd] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::SendMessageW(hWnd, WM_STEP, 0, 0);
        });
    };
    dlg.onMessage = OnStep([](ScriptedDlg& d) { d.EndDialog(9); });
    auto start = std::chrono::steady_clock::now();
    INT_PTR result = dlg.DoModal();
    auto elapsed = std::chrono::steady_clock::now() - start;
    worker.join();
    EXPECT_EQ(result, 9);
    EXPECT_LT(elapsed, std::chrono::seconds(3));
}

TEST(DoModal, NestedDialogEndsOnlyItself) {
    ScriptedDlg outer;
    INT_PTR innerResult = 0;
    bool outerDisabledDuringInner = false;
    outer.onInit = PostStep;
    outer.onMessage = OnStep([&](ScriptedDlg& o) {
        ScriptedDlg inner(IDD_FW_TEST, &o);
        inner.onInit = [&](ScriptedDlg& i) {
            outerDisabledDuringInner = !o.IsWindowEnabled();
            i.EndDialog(3);
        };
        innerResult = inner.DoModal();
        EXPECT_TRUE(o.IsWindowEnabled());
        o.EndDialog(4);
    });
    EXPECT_EQ(outer.DoModal(), 4);
    EXPECT_EQ(innerResult, 3);
    EXPECT_TRUE(outerDisabledDuringInner);
}

TEST(DoModal, QuitMessageEndsTheLoopAndIsPassedOn) {
    ScriptedDlg dlg;
    dlg.onInit = [](ScriptedDlg&) { ::PostQuitMessage(6); };
    EXPECT_EQ(dlg.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 6u);
}

// -------------------------------------------------------------------- owners

TEST(Owner, GivenParentIsDisabledWhileTheDialogRunsAndEnabledAfter) {
    Owner owner(100, 100);
    HWND ownerSeen = nullptr;
    BOOL enabledDuring = TRUE;
    ScriptedDlg dlg(IDD_FW_TEST, &owner.dlg);
    dlg.onInit = PostStep;
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        ownerSeen = ::GetWindow(d.m_hWnd, GW_OWNER);
        enabledDuring = owner.dlg.IsWindowEnabled();
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(ownerSeen, owner.dlg.m_hWnd);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(owner.dlg.IsWindowEnabled());
}

TEST(Owner, AnOwnerDisabledBeforehandStaysDisabled) {
    Owner owner(100, 100);
    owner.dlg.EnableWindow(FALSE);
    ScriptedDlg dlg(IDD_FW_TEST, &owner.dlg);
    dlg.onInit = [](ScriptedDlg& d) { d.EndDialog(1); };
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_FALSE(owner.dlg.IsWindowEnabled());
}

TEST(Owner, WithoutParentTheMainWindowsLastActivePopupOwnsTheDialog) {
    Owner main(50, 50);
    ScriptedDlg page(IDD_FW_OWNER, &main.dlg);
    page.bindControls = false;
    ASSERT_TRUE(page.Create(IDD_FW_OWNER, &main.dlg));
    page.ShowWindow(SW_SHOWNORMAL);
    ::SetActiveWindow(page.m_hWnd);
    PumpPending();
    ASSERT_EQ(::GetLastActivePopup(main.dlg.m_hWnd), page.m_hWnd);

    g_app.m_pMainWnd = &main.dlg;
    HWND ownerSeen = nullptr;
    BOOL pageEnabled = TRUE, mainEnabled = TRUE;
    ScriptedDlg dlg;
    dlg.onInit = PostStep;
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        ownerSeen = ::GetWindow(d.m_hWnd, GW_OWNER);
        pageEnabled = page.IsWindowEnabled();
        mainEnabled = main.dlg.IsWindowEnabled();
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    g_app.m_pMainWnd = nullptr;
    EXPECT_EQ(ownerSeen, page.m_hWnd);
    // Both the owner and the top of its owner chain are blocked meanwhile.
    EXPECT_FALSE(pageEnabled);
    EXPECT_FALSE(mainEnabled);
    EXPECT_TRUE(page.IsWindowEnabled());
    EXPECT_TRUE(main.dlg.IsWindowEnabled());
}

// ------------------------------------------------------------------ centring

namespace {
// Runs a modal dialog owned by `owner` and returns its window rectangle as the
// loop saw it.
RECT ModalRect(CWnd* owner, std::function<void(ScriptedDlg&)> init = nullptr) {
    RECT seen{};
    ScriptedDlg dlg(IDD_FW_TEST, owner);
    dlg.onInit = [init](ScriptedDlg& d) {
        if (init) init(d);
        PostStep(d);
    };
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        d.GetWindowRect(&seen);
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    return seen;
}
}  // namespace

TEST(Centring, OverAVisibleOwner) {
    Owner owner(300, 200);
    RECT rc = ModalRect(&owner.dlg);
    POINT want = Centred(rc, WindowRect(owner.dlg.m_hWnd), WorkArea());
    EXPECT_EQ(rc.left, want.x);
    EXPECT_EQ(rc.top, want.y);
    // Not merely somewhere: the two centres coincide within a pixel.
    RECT o = WindowRect(owner.dlg.m_hWnd);
    EXPECT_NEAR((rc.left + rc.right) / 2, (o.left + o.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (o.top + o.bottom) / 2, 1);
}

TEST(Centring, HiddenOrMinimisedOwnerCentresInThePrimaryWorkArea) {
    RECT area = WorkArea();
    {
        Owner owner(20, 20);
        owner.dlg.ShowWindow(SW_HIDE);
        RECT rc = ModalRect(&owner.dlg);
        POINT want = Centred(rc, area, area);
        EXPECT_EQ(rc.left, want.x);
        EXPECT_EQ(rc.top, want.y);
    }
    {
        Owner owner(20, 20);
        owner.dlg.ShowWindow(SW_MINIMIZE);
        ASSERT_TRUE(owner.dlg.IsIconic());
        RECT rc = ModalRect(&owner.dlg);
        POINT want = Centred(rc, area, area);
        EXPECT_EQ(rc.left, want.x);
        EXPECT_EQ(rc.top, want.y);
    }
}

TEST(Centring, TopLeftMovedDuringInitIsKept) {
    Owner owner(300, 200);
    RECT rc = ModalRect(&owner.dlg, [](ScriptedDlg& d) { d.SetWindowPos(nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
    EXPECT_EQ(rc.left, 37);
    EXPECT_EQ(rc.top, 41);
}

TEST(Centring, ResizedButNotMovedDuringInitIsCentredAtItsNewSize) {
    // The layered prompts set their size in OnInitDialog and rely on this.
    Owner owner(300, 200);
    RECT rc = ModalRect(&owner.dlg, [](ScriptedDlg& d) { d.SetWindowPos(nullptr, 0, 0, 348, 236, SWP_NOMOVE | SWP_NOZORDER); });
    EXPECT_EQ(rc.right - rc.left, 348);
    EXPECT_EQ(rc.bottom - rc.top, 236);
    POINT want = Centred(rc, WindowRect(owner.dlg.m_hWnd), WorkArea());
    EXPECT_EQ(rc.left, want.x);
    EXPECT_EQ(rc.top, want.y);
}

// ------------------------------------------------------------------ keyboard

TEST(Keyboard, EnterAndEscReachPreTranslateMessageAndCanBeSwallowed) {
    ScriptedDlg dlg;
    std::vector<WPARAM> keys;
    dlg.onPreTranslate = [&](MSG* m) {
        if (m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE)) {
            keys.push_back(m->wParam);
            return true;
        }
        return false;
    };
    dlg.onInit = [](ScriptedDlg& d) {
        HWND ok = ::GetDlgItem(d.m_hWnd, IDOK);
        ::PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0);
        PostStep(d);
    };
    dlg.onMessage = OnStep([](ScriptedDlg& d) { d.EndDialog(5); });
    EXPECT_EQ(dlg.DoModal(), 5);  // neither key ended the dialog
    EXPECT_EQ(keys, (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE}));
}

TEST(Keyboard, UnfilteredEscapeAndEnterWorkThroughTheDialogManager) {
    ScriptedDlg esc;
    esc.onInit = [](ScriptedDlg& d) { ::PostMessageW(::GetDlgItem(d.m_hWnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); };
    EXPECT_EQ(esc.DoModal(), IDCANCEL);

    ScriptedDlg enter;
    enter.onInit = [](ScriptedDlg& d) { ::PostMessageW(::GetDlgItem(d.m_hWnd, IDOK), WM_KEYDOWN, VK_RETURN, 0); };
    EXPECT_EQ(enter.DoModal(), IDOK);
}

TEST(Keyboard, ModelessContentSeesKeysBeforeTheModalWindowThatOwnsIt) {
    ScriptedDlg parent;
    ScriptedDlg content(IDD_FW_TEST);
    content.basePreTranslate = false;  // lets unhandled keys climb to the owner
    std::vector<std::string> order;
    content.onPreTranslate = [&](MSG* m) {
        if (m->message != WM_KEYDOWN) return false;
        order.push_back("content");
        return m->wParam == VK_RETURN;  // swallows Enter only
    };
    parent.onPreTranslate = [&](MSG* m) {
        if (m->message != WM_KEYDOWN) return false;
        order.push_back("parent");
        return true;
    };
    parent.onInit = [&](ScriptedDlg& p) {
        ASSERT_TRUE(content.Create(IDD_FW_TEST, &p));
        content.ShowWindow(SW_SHOW);
        HWND ok = ::GetDlgItem(content.m_hWnd, IDOK);
        ::PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0);
        PostStep(p);
    };
    parent.onMessage = OnStep([](ScriptedDlg& p) { p.EndDialog(2); });
    EXPECT_EQ(parent.DoModal(), 2);
    EXPECT_EQ(order, (std::vector<std::string>{"content", "content", "parent"}));
    // The owned content went with its owner.
    EXPECT_EQ(content.m_hWnd, nullptr);
}

// ------------------------------------------------------------ control binding

TEST(Binding, DataExchangeSubclassesTheControlSoItsObjectGetsItsMessages) {
    ScriptedDlg dlg;
    LRESULT answer = 0;
    CWnd* bound = nullptr;
    std::wstring textViaObject;
    dlg.onInit = PostStep;
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        HWND hBtn = ::GetDlgItem(d.m_hWnd, IDC_FW_DRAWN);
        bound = CWnd::FromHandlePermanent(hBtn);
        answer = ::SendMessageW(hBtn, WM_APP + 5, 0, 0);
        d.m_stcText.SetWindowTextW(L"绑定");
        wchar_t buf[16] = {};
        ::GetWindowTextW(::GetDlgItem(d.m_hWnd, IDC_FW_TEXT), buf, 16);
        textViaObject = buf;
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(bound, &dlg.m_btnDrawn);
    EXPECT_EQ(answer, 77);
    EXPECT_EQ(textViaObject, L"绑定");
    // Messages the object does not handle still reach the button itself.
    EXPECT_NE(std::find(dlg.m_btnDrawn.messages.begin(), dlg.m_btnDrawn.messages.end(), static_cast<UINT>(WM_APP + 5)),
              dlg.m_btnDrawn.messages.end());
    // The window's end unbinds the control object.
    EXPECT_EQ(dlg.m_btnDrawn.m_hWnd, nullptr);
    EXPECT_EQ(dlg.missingBindResult, FALSE);
    EXPECT_EQ(dlg.m_stcMissing.m_hWnd, nullptr);
}

TEST(Binding, OwnerDrawRequestIsReflectedToTheControlsDrawItem) {
    ScriptedDlg dlg;
    HWND hBtn = nullptr;
    dlg.onInit = PostStep;
    dlg.onMessage = OnStep([&](ScriptedDlg& d) {
        hBtn = d.m_btnDrawn.m_hWnd;
        d.m_btnDrawn.drawCalls = 0;
        d.m_btnDrawn.Invalidate();
        d.m_btnDrawn.UpdateWindow();
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_GE(dlg.m_btnDrawn.drawCalls, 1);
    EXPECT_EQ(dlg.m_btnDrawn.drawnWindow, hBtn);
    EXPECT_EQ(dlg.m_btnDrawn.drawnId, static_cast<UINT>(IDC_FW_DRAWN));
}

TEST(Binding, AnUnboundControlIgnoresItsOperations) {
    CButton loose;
    loose.Invalidate();
    loose.SetWindowTextW(L"x");
    EXPECT_EQ(loose.GetWindowTextW(), L"");
    EXPECT_EQ(loose.SendMessageW(WM_GETTEXTLENGTH), 0);
    EXPECT_FALSE(loose.MoveWindow(0, 0, 10, 10));
    EXPECT_EQ(loose.GetParent(), nullptr);
}

// ------------------------------------------------------------------ modeless

TEST(Modeless, CreateBindsControlsAndDeletingTheObjectDestroysTheWindow) {
    Owner owner(100, 100);
    auto* content = new ScriptedDlg(IDD_FW_TEST);
    bool initRan = false;
    content->onInit = [&](ScriptedDlg&) { initRan = true; };
    ASSERT_TRUE(content->Create(IDD_FW_TEST, &owner.dlg));
    HWND hWnd = content->m_hWnd;
    EXPECT_TRUE(initRan);
    EXPECT_EQ(::GetWindow(hWnd, GW_OWNER), owner.dlg.m_hWnd);
    EXPECT_EQ(content->m_btnDrawn.m_hWnd, ::GetDlgItem(hWnd, IDC_FW_DRAWN));
    // GetParent of a popup is its owner, as the content dialogs rely on.
    EXPECT_EQ(content->GetParent(), &owner.dlg);
    delete content;
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(Modeless, ContentGoesWithItsOwnerAndItsObjectIsUnbound) {
    auto* owner = new Owner(100, 100);
    ScriptedDlg content(IDD_FW_TEST);
    ASSERT_TRUE(content.Create(IDD_FW_TEST, &owner->dlg));
    HWND hWnd = content.m_hWnd;
    delete owner;
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(content.m_hWnd, nullptr);
    EXPECT_EQ(content.m_btnDrawn.m_hWnd, nullptr);
}

// ------------------------------------------------------------- application

TEST(App, AfxWinMainRunsInitInstanceAndEndsWithTheExitCode) {
    int calls = 0;
    g_app.init = [&] {
        ++calls;
        return FALSE;  // the tool's way: all work done inside InitInstance
    };
    EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(AfxGetApp(), &g_app);

    g_app.init = [] {
        ::PostQuitMessage(3);
        return TRUE;
    };
    EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW), 3);
    g_app.init = nullptr;
}

// ---------------------------------------------------------------------- DCs

TEST(Gdi, MemoryDcPutsBackWhatItDisplacedBeforeObjectsAreDeleted) {
    CClientDC screen(nullptr);
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(screen, 8, 8));
    CFont font;
    LOGFONTW lf{};
    lf.lfHeight = -12;
    ASSERT_TRUE(font.CreateFontIndirectW(&lf));
    HDC hdc = nullptr;
    HGDIOBJ originalBitmap = nullptr;
    {
        CMemoryDC mem(screen);
        hdc = mem;
        originalBitmap = ::GetCurrentObject(mem, OBJ_BITMAP);
        EXPECT_EQ(mem.SelectObject(bmp), originalBitmap);
        mem.SelectObject(font);
        CFont other;
        lf.lfHeight = -20;
        other.CreateFontIndirectW(&lf);
        EXPECT_EQ(mem.SelectObject(other), static_cast<HGDIOBJ>(font));
        mem.RestoreObjects();
        EXPECT_EQ(::GetCurrentObject(mem, OBJ_BITMAP), originalBitmap);
        EXPECT_NE(::GetCurrentObject(mem, OBJ_FONT), static_cast<HGDIOBJ>(other));
        mem.SelectObject(bmp);
    }
    EXPECT_EQ(::GetObjectType(hdc), 0u);  // deleted
    // The bitmap came back out of the DC, so it can be selected elsewhere.
    CMemoryDC again(screen);
    EXPECT_NE(again.SelectObject(bmp), nullptr);
}
