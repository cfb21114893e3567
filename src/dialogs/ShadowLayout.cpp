#include "dialogs/ShadowLayout.h"

namespace layout {

float ScaleFromLogPixels(int logPixelsY) {
    if (logPixelsY > 100) return static_cast<float>(static_cast<double>(logPixelsY) / 96.0);
    return 1.0f;
}

int ScaledLength(int length, float s) { return T(static_cast<float>(length) * s); }

void CentredOrigin(int screenW, int screenH, int w, int h, float s, int* x, int* y) {
    *x = screenW / 2 - T(static_cast<float>(w) * s / 2.0f);
    *y = screenH / 2 - T(static_cast<float>(h) * s / 2.0f);
}

Rect InsetByShadow(const Rect& parent, float s) {
    const float m = static_cast<float>(kShadowMargin) * s;
    Rect r;
    r.left = T(static_cast<float>(parent.left) + m);
    r.top = T(static_cast<float>(parent.top) + m);
    r.right = r.left + T(static_cast<float>(parent.Width()) - 34.0f * s);
    r.bottom = r.top + T(static_cast<float>(parent.Height()) - 34.0f * s);
    return r;
}

Rect OutsetByShadow(const Rect& content, float s) {
    const int m = T(static_cast<float>(kShadowMargin) * s);
    return Rect{content.left - m, content.top - m, content.right + m, content.bottom + m};
}

Rect DragBand(const Rect& clientOnScreen, float s, int rightCut) {
    Rect band = clientOnScreen;
    band.bottom = band.top + T(30.0f * s);
    band.right -= T(static_cast<float>(rightCut) * s);
    return band;
}

}  // namespace layout
