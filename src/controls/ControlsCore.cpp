#include "controls/ControlsCore.h"

namespace hr {

namespace {
// Text-drawing flags (the system's values).
const unsigned DT_CENTER_ = 0x1;
const unsigned DT_RIGHT_ = 0x2;
const unsigned DT_VCENTER_ = 0x4;
const unsigned DT_WORDBREAK_ = 0x10;
const unsigned DT_SINGLELINE_ = 0x20;
const unsigned DT_EXTERNALLEADING_ = 0x200;
const unsigned DT_CALCRECT_ = 0x400;
const unsigned DT_EDITCONTROL_ = 0x2000;

TextLayout OneLine(unsigned drawFlags) { return TextLayout{true, false, 0, drawFlags}; }
TextLayout Wrapped(unsigned measureFlags, unsigned drawFlags) { return TextLayout{true, true, measureFlags, drawFlags}; }
}  // namespace

bool RectContains(const CtlRect& rc, int x, int y) {
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

CtlRect ShrinkByInsets(const CtlRect& client, const CtlRect& insets) {
    return CtlRect{client.left + insets.left, client.top + insets.top, client.right - insets.right,
                   client.bottom - insets.bottom};
}

int NextButtonState(int state, ButtonEvent event, bool enabled, bool pointInClient) {
    if (!enabled) return state;
    switch (event) {
    case ButtonEvent::Hover:
    case ButtonEvent::LButtonUp:
        return pointInClient ? ButtonHover : state;
    case ButtonEvent::LButtonDown:
        return pointInClient ? ButtonPressed : state;
    case ButtonEvent::MouseLeave:
        return ButtonNormal;
    }
    return state;
}

int StateImageIndex(int state, bool windowEnabled) {
    if (!windowEnabled) return 3;
    switch (state) {
    case ButtonNormal: return 0;
    case ButtonHover: return 1;
    case ButtonPressed: return 2;
    default: return -1;
    }
}

TextLayout DrawTextStaticLayout(int mode) {
    const unsigned measure = DT_CALCRECT_ | DT_EXTERNALLEADING_ | DT_WORDBREAK_;  // 0x610
    const unsigned wrap = DT_EXTERNALLEADING_ | DT_WORDBREAK_;                     // 0x210
    switch (mode) {
    case 0: return Wrapped(measure, wrap | DT_VCENTER_);                                  // 0x214
    case 1:
    case 4: return OneLine(DT_EXTERNALLEADING_ | DT_SINGLELINE_ | DT_VCENTER_);         // 0x224
    case 2: return OneLine(DT_SINGLELINE_ | DT_VCENTER_ | DT_CENTER_);                  // 0x25
    case 3: return Wrapped(measure, wrap | DT_VCENTER_ | DT_RIGHT_);                     // 0x216
    case 5: return Wrapped(measure, wrap | DT_VCENTER_ | DT_CENTER_);                    // 0x215
    case 6: return OneLine(wrap);                                                         // 0x210
    case 7: return Wrapped(measure | DT_EDITCONTROL_, wrap | DT_EDITCONTROL_);           // 0x2610 / 0x2210
    default: return TextLayout{false, false, 0, 0};
    }
}

TextLayout StateInfoStaticLayout(int mode) {
    const unsigned measure = DT_CALCRECT_ | DT_WORDBREAK_;  // 0x410
    switch (mode) {
    case 2: return OneLine(DT_SINGLELINE_ | DT_VCENTER_ | DT_CENTER_);     // 0x25
    case 3: return OneLine(DT_SINGLELINE_ | DT_VCENTER_ | DT_RIGHT_);      // 0x26
    case 4: return Wrapped(measure, DT_WORDBREAK_ | DT_VCENTER_);          // 0x14
    case 5: return Wrapped(measure, DT_WORDBREAK_ | DT_VCENTER_ | DT_CENTER_);  // 0x15
    case 6: return Wrapped(measure, DT_WORDBREAK_ | DT_VCENTER_ | DT_RIGHT_);   // 0x16
    default: return OneLine(DT_SINGLELINE_ | DT_VCENTER_);                 // 0x24, mode 1 and any other
    }
}

int CentreOffset(int clientHeight, int measuredHeight) { return (clientHeight - measuredHeight) / 2; }

int NextDotCount(int dots) {
    int next = dots + 1;
    return next >= 4 || next < 0 ? 0 : next;
}

const wchar_t* DotSuffix(int dots) {
    switch (dots) {
    case 1: return L".";
    case 2: return L"..";
    case 3: return L"...";
    default: return L"";
    }
}

CheckBoxGeometry CheckBoxLayout(const CtlRect& client, float scale) {
    const int side = static_cast<int>(16.0f * scale);
    const int half = static_cast<int>(8.0f * scale);
    const int top = client.Height() / 2 - half;
    return CheckBoxGeometry{CtlRect{client.left, top, client.left + side, top + side}, client.left + side + 2};
}

int CheckFrameX(long checkState) { return checkState == 1 ? 16 : 0; }

int AdjustFontHeight(int height, int delta) {
    if (height < 0) return height - delta;
    if (height > 0) return height + delta;
    return height;
}

}  // namespace hr
