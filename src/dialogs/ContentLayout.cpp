#include "dialogs/ContentLayout.h"

namespace layout {

namespace {
float F(int v) { return static_cast<float>(v); }
}  // namespace

PromptLayout LayoutPrompt(const Rect& rc, int w, int h, float s) {
    PromptLayout l;
    const int halfW = rc.Width() / 2;

    l.close.dest.left = rc.right - T(26 * s);
    l.close.dest.top = rc.top + T(8 * s);
    l.close.dest.right = l.close.dest.left + T(13 * s);
    l.close.dest.bottom = l.close.dest.top + T(13 * s);
    l.close.source = Rect{w - 26, 8, w - 13, 21};

    auto bottomRow = [&](Placement& p, int left) {
        p.dest.left = left;
        p.dest.top = rc.bottom - T(50 * s);
        p.dest.right = left + T(112 * s);
        p.dest.bottom = p.dest.top + T(38 * s);
    };
    bottomRow(l.confirm, T(F(halfW) - 112 * s - 12 * s));
    l.confirm.source = Rect{w / 2 - 124, h - 50, w / 2 - 12, h - 12};
    bottomRow(l.cancel, T(F(halfW) + 12 * s));
    l.cancel.source = Rect{w / 2 + 12, h - 50, w / 2 + 124, h - 12};
    bottomRow(l.single, T(F(halfW) - 112 * s / 2));
    l.single.source = Rect{w / 2 - 56, h - 50, w / 2 + 56, h - 12};

    l.message.dest = Rect{rc.left + T(10 * s), rc.top + T(30 * s), rc.right - T(10 * s),
                          rc.bottom - T(60 * s)};
    l.message.source = Rect{10, 30, w - 10, h - 60};
    return l;
}

PromptButtons PromptButtonsFor(int type) {
    switch (type) {
    case 1: return PromptButtons{183, 175, false, true, L"是", L"否"};
    case 2: return PromptButtons{183, 175, true, false, L"是", L"否"};
    case 4: return PromptButtons{179, 167, true, false, L"确定", L"取消"};
    case 3:
    default: return PromptButtons{179, 167, false, true, L"确定", L"取消"};
    }
}

Placement LayoutExecuteLabel(const Rect& rc, int w, int h, float s) {
    Placement p;
    p.dest.left = rc.left + T(10 * s);
    p.dest.top = rc.top + T(F(rc.Height() / 2) - 20 * s);
    p.dest.right = rc.right - T(10 * s);
    p.dest.bottom = p.dest.top + T(40 * s);
    p.source = Rect{10, h / 2 - 20, w - 10, h / 2 + 20};
    return p;
}

FeedbackLayout LayoutFeedback(const Rect& rc, int w, int h, float s) {
    FeedbackLayout l;
    l.close.dest.left = rc.right - T(26 * s);
    l.close.dest.top = rc.top + T(12 * s);
    l.close.dest.right = l.close.dest.left + T(13 * s);
    l.close.dest.bottom = l.close.dest.top + T(13 * s);
    l.close.source = Rect{w - 26, 12, w - 13, 25};

    const int left = rc.left + T(F(rc.Width() / 2) - 258 * s / 2);
    const int right = left + T(258 * s);
    const int midY = rc.top + rc.Height() / 2;
    auto row = [&](Placement& p, int top, int srcTop) {
        p.dest = Rect{left, top, right, top + T(44 * s)};
        p.source = Rect{w / 2 - 129, h / 2 + srcTop, w / 2 + 129, h / 2 + srcTop + 44};
    };
    row(l.solved, midY - T(44 * s), -44);
    row(l.notSolved, midY + T(40 * s), 40);
    row(l.other, midY + T(124 * s), 124);
    return l;
}

}  // namespace layout
