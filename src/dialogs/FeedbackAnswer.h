#pragma once
// What each button of the problem-solving feedback dialog reports to the
// companion library, and the texts that go with the report.
#include <cstdint>
#include <string>

namespace feedback {

// Control IDs of the feedback content's buttons.
const int kCloseButton = 1001;
const int kOtherButton = 1002;
const int kNotSolvedButton = 1003;
const int kSolvedButton = 1004;

struct Answer {
    int kind;                 // answer code handed to CustomerFeedbackEx
    bool needsCursorInside;   // a click produced elsewhere (keyboard) is ignored
    bool asksQuestion;        // FeedbackQuestion follows the report
    const wchar_t* name;      // the words drawn in its picture, for screen readers
};

// The question as the background picture words it; the content window
// carries it, since nothing else on the screen reader's side says it.
extern const wchar_t kQuestion[];

// The answer of a button; false for an ID that is not one of the four.
bool AnswerForButton(int controlId, Answer* out);

// The library expects the time as a 32-bit signed decimal: the low 32 bits of
// the 64-bit seconds since 1970, as the tool always sent them.
std::wstring TimeText(std::int64_t secondsSince1970);

// The launcher-client kind as the library numbers it: kind + 1.
std::wstring ClientText(int clientKind);

}  // namespace feedback
