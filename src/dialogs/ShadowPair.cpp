#include "dialogs/ShadowPair.h"

namespace layout {

namespace {
// Templates and pictures, as numbered in the resources.
const PairTraits kMain{102, 144, 141, 145, true, true, true, false, true, 86, 18};
const PairTraits kExecute{131, 151, 129, 152, false, false, false, true, false, 0, 16};
const PairTraits kPrompt{137, 165, 136, 166, false, false, false, true, true, 26, 16};
const PairTraits kFeedback{135, 187, 132, 188, true, true, false, true, true, 0, 18};
}  // namespace

const PairTraits& TraitsOf(PairKind kind) {
    switch (kind) {
    case PairKind::Main: return kMain;
    case PairKind::ExecutePrompt: return kExecute;
    case PairKind::Prompt: return kPrompt;
    case PairKind::Feedback: break;
    }
    return kFeedback;
}

Rect ContentRectFor(const Rect& parent, const PairTraits& traits, float s) {
    return traits.shadowMargin ? InsetByShadow(parent, s) : parent;
}

Rect ParentRectFor(const Rect& content, const PairTraits& traits, float s) {
    return traits.shadowMargin ? OutsetByShadow(content, s) : content;
}

Rect ContentDragBand(const Rect& clientOnScreen, const PairTraits& traits, float s) {
    if (!traits.draggable) return Rect{};
    return DragBand(clientOnScreen, s, traits.dragRightCut);
}

}  // namespace layout
