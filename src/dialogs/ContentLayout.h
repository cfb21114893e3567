#pragma once
// Where the controls of the prompt, execute-prompt and feedback contents go:
// a destination in client pixels and the piece of the background picture
// (unscaled) that lies under it.
#include "dialogs/ShadowLayout.h"

namespace layout {

struct Placement {
    Rect dest;    // client pixels
    Rect source;  // pixels of the content's background picture
};

// Message prompt (348 x 236 picture).
struct PromptLayout {
    Placement close;    // 1005
    Placement confirm;  // 1007, left of centre
    Placement cancel;   // 1008, right of centre
    Placement single;   // 1007 alone, bottom centre (types 1 and 3)
    Placement message;  // 1006
};
PromptLayout LayoutPrompt(const Rect& client, int picW, int picH, float s);

// Button images and visibility of a prompt type (1 to 4).
struct PromptButtons {
    int confirmFirstImage;  // normal; hover, pressed, disabled follow
    int cancelFirstImage;
    bool cancelShown;
    bool confirmAlone;
    // What a screen reader calls them: the words drawn in their pictures.
    const wchar_t* confirmName;
    const wchar_t* cancelName;
};
PromptButtons PromptButtonsFor(int type);

// Execute prompt's status band across the middle.
Placement LayoutExecuteLabel(const Rect& client, int picW, int picH, float s);

// Feedback content (400 x 480 picture).
struct FeedbackLayout {
    Placement close;      // 1001 (kept hidden)
    Placement solved;     // 1004
    Placement notSolved;  // 1003
    Placement other;      // 1002
};
FeedbackLayout LayoutFeedback(const Rect& client, int picW, int picH, float s);

}  // namespace layout
