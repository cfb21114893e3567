#pragma once
// Portable decisions of the skinned controls: the image button's states, the
// statics' layout modes and dot cycle, the checkbox's geometry at a scale,
// and the small rectangle rules they share. No Windows headers here.

namespace hr {

struct CtlRect {
    int left;
    int top;
    int right;
    int bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Right and bottom edges lie outside, as in Win32's PtInRect.
bool RectContains(const CtlRect& rc, int x, int y);

// The client rectangle less four insets (left, top, right, bottom).
CtlRect ShrinkByInsets(const CtlRect& client, const CtlRect& insets);

// ---- image button ----

enum ButtonState { ButtonNormal = 1, ButtonHover = 2, ButtonPressed = 3, ButtonDisabled = 4 };

enum class ButtonEvent {
    Hover,        // WM_MOUSEHOVER
    LButtonUp,    // shares the hover handler
    LButtonDown,
    MouseLeave,
};

// The state after a mouse event; `pointInClient` is ignored for MouseLeave.
// A disabled window keeps its state.
int NextButtonState(int state, ButtonEvent event, bool enabled, bool pointInClient);

// Which of the four state images (0 normal .. 3 disabled) a draw shows, or -1
// for none: a disabled window always shows the disabled image; an enabled
// one shows its state's image, and none for the disabled state (a window
// enabled behind the button's back).
int StateImageIndex(int state, bool windowEnabled);

// ---- text statics ----

struct TextLayout {
    bool drawsText;        // false: only the background is drawn
    bool centredByOffset;  // measure first, then move the top by the offset
    unsigned measureFlags; // DrawText flags of the measuring pass
    unsigned drawFlags;    // DrawText flags of the drawing pass
};

// CDrawTextStatic's modes 0 to 7; any other mode draws no text.
TextLayout DrawTextStaticLayout(int mode);
// CDrawStateInfoStatic's modes 1 to 6; any other mode lays out as mode 1.
TextLayout StateInfoStaticLayout(int mode);

// How far the text block moves down to sit in the middle: half the spare
// height, truncated toward zero; negative when the text is taller.
int CentreOffset(int clientHeight, int measuredHeight);

// The progress dots: 0, 1, 2, 3, then 0 again.
int NextDotCount(int dots);
// "" / "." / ".." / "..." for 0 to 3; "" for anything else.
const wchar_t* DotSuffix(int dots);

// ---- checkbox ----

struct CheckBoxGeometry {
    CtlRect box;      // where the 16 x 16 frame is stretched
    int captionLeft;  // left edge of the caption's rectangle
};

// Box and caption of the checkbox in a client rectangle at scale `scale`:
// box at the client's left, its top half the client height less 8*scale, its
// side 16*scale; caption 2 pixels right of the box. Products are truncated.
CheckBoxGeometry CheckBoxLayout(const CtlRect& client, float scale);

// Source frame of the mark strip (x offset in the 48 x 16 strip): the tick
// for exactly checked (1), the empty box for anything else.
int CheckFrameX(long checkState);

// ---- fonts ----

// A logical font height enlarged by `delta` units: character heights are
// negative, cell heights positive, so the magnitude grows either way.
// A height of 0 (the font's default size) is left alone.
int AdjustFontHeight(int height, int delta);

}  // namespace hr
