#pragma once
// Pixel arithmetic of the shadowed window pairs and their contents. Every
// scaled term is computed in single precision and truncated toward zero, as
// the windows are measured on screen; offsets inside pictures stay unscaled.

namespace layout {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Truncation toward zero of a single-precision value.
inline int T(float v) { return static_cast<int>(v); }

// Scale factor from the screen's LOGPIXELSY: above 100 it is dpi / 96, else 1.
float ScaleFromLogPixels(int logPixelsY);

// Layer size of a parent picture of w x h pixels at scale s.
int ScaledLength(int length, float s);

// Top-left that centres a w x h picture (scaled) on a screen of the given size.
void CentredOrigin(int screenW, int screenH, int w, int h, float s, int* x, int* y);

// Shadow margin of the main and feedback pairs: 17 pixels at scale 1.
const int kShadowMargin = 17;

// Content rectangle inside a parent rectangle, inset by 17·s on every side.
Rect InsetByShadow(const Rect& parent, float s);

// Parent rectangle that keeps its shadow around a content rectangle.
Rect OutsetByShadow(const Rect& content, float s);

// Drag band of a content: its client rectangle (screen coordinates) cut to
// the top 30·s and reduced by `rightCut`·s at the right.
Rect DragBand(const Rect& clientOnScreen, float s, int rightCut);

// Corner ellipse of a content's rounded region.
inline int CornerEllipse(int atScaleOne, float s) { return T(static_cast<float>(atScaleOne) * s); }

}  // namespace layout
