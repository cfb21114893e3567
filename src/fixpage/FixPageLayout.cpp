#include "fixpage/FixPageLayout.h"

namespace layout {

namespace {
float F(int v) { return static_cast<float>(v); }

Rect Sized(int left, int top, int width, int height) {
    return Rect{left, top, left + width, top + height};
}
}  // namespace

FixPageLayout LayoutFixPage(int cw, int ch, int pw, int ph, float s, const FixPageTextWidths& tw) {
    FixPageLayout l;
    const int W = pw, H = ph;
    const int m = tw.agreement / 16;  // one character of the agreement line

    l.close.dest = Sized(cw - T(26 * s), T(12 * s), T(13 * s), T(13 * s));
    l.close.source = Rect{W - 26, 12, W - 13, 25};

    l.minimize.dest = Sized(cw - T(63 * s), T(12 * s), T(13 * s), T(13 * s));
    l.minimize.source = Rect{W - 63, 12, W - 50, 25};

    l.version.dest = Rect{T(242 * s), T(12 * s), T(242 * s) + tw.version, T(12 * s) + T(15 * s)};
    l.version.source = Rect{242, 12, 242 + T(F(tw.version) / s), 27};

    // Cw div 2 in integers first, then the scaled half width in floating point.
    const int uninstallLeft = T(F(cw / 2) - 244 * s / 2);
    l.uninstall.dest = Sized(uninstallLeft, ch - T(122 * s), T(244 * s), T(48 * s));
    const unsigned halfW = static_cast<unsigned>(W) / 2u;
    l.uninstall.source = Rect{static_cast<int>(halfW) - 122, H - 122, static_cast<int>(halfW) + 122, H - 74};

    l.moreTools.dest = Sized(T(306 * s), ch - T(210 * s), T(54 * s), T(21 * s));
    l.moreTools.source = Rect{306, H - 210, 360, H - 189};

    // The checkbox's right edge and bottom add in floating point, then truncate once.
    const int agreeLeft = T(8 * s);
    const int agreeTop = ch - T(25 * s);
    l.agree.dest = Rect{agreeLeft, agreeTop, T(F(agreeLeft) + 16 * s + F(2 * m) + 2 * s),
                        T(F(agreeTop) + 20 * s)};
    l.agree.source = Rect{8, H - 25, 26 + T(F(2 * m) / s), H - 5};

    const int linkLeft = l.agree.dest.right + T(2 * s);
    l.agreement.dest = Rect{linkLeft, ch - T(25 * s), linkLeft + 14 * m, ch - T(25 * s) + T(20 * s)};
    const int linkSrcLeft = l.agree.source.right + 2;
    l.agreement.source = Rect{linkSrcLeft, H - 25, linkSrcLeft + T(F(14 * m) / s), H - 5};

    const int fbLeft = cw - tw.feedback - T(8 * s);
    const int fbTop = T(F(ch) - 25 * s);
    l.feedback.dest = Rect{fbLeft, fbTop, fbLeft + tw.feedback, T(F(fbTop) + 20 * s)};
    const int fbSrcLeft = W - T(F(tw.feedback) / s) - 8;
    l.feedback.source = Rect{fbSrcLeft, H - 25, fbSrcLeft + T(F(tw.feedback) / s), H - 5};
    return l;
}

}  // namespace layout
