#pragma once
// What distinguishes the four shadowed window pairs (main window, execute
// prompt, prompt, feedback): one table row each, read by the shared parent and
// content classes, plus the rectangles that tie a parent to its content.
#include "dialogs/ShadowLayout.h"

namespace layout {

enum class PairKind { Main, ExecutePrompt, Prompt, Feedback };

struct PairTraits {
    int parentTemplate;   // dialog template of the shadow parent
    int parentPicture;    // PNG rendered into the layered parent
    int contentTemplate;  // dialog template of the content
    int contentPicture;   // PNG painted as the content's background
    bool shadowMargin;    // content inset by 17·s (main, feedback) or covering the parent
    bool measuresScale;   // the parent reads the screen's DPI itself
    bool centresOnScreen; // the parent places itself on the primary screen
    bool moveContentAtStart;  // initial m_bMoveContent
    bool draggable;       // the content has a drag band
    int dragRightCut;     // unscaled width cut from the band's right end
    int cornerEllipse;    // unscaled corner ellipse of the content's region
};

const PairTraits& TraitsOf(PairKind kind);

// Where the content goes for a parent window rectangle.
Rect ContentRectFor(const Rect& parent, const PairTraits& traits, float s);

// Where the parent goes when the content (window rectangle) leads.
Rect ParentRectFor(const Rect& content, const PairTraits& traits, float s);

// Drag band in screen coordinates for the content's client rectangle on
// screen; an empty rectangle when the content cannot be dragged.
Rect ContentDragBand(const Rect& clientOnScreen, const PairTraits& traits, float s);

// Whether a point lies in a rectangle, right and bottom edges excluded.
inline bool Contains(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace layout
