#include "dialogs/FeedbackAnswer.h"

namespace feedback {

const wchar_t kQuestion[] = L"本工具是否解决了您的问题？";

bool AnswerForButton(int controlId, Answer* out) {
    Answer a{};
    switch (controlId) {
    case kSolvedButton: a = Answer{1, true, false, L"问题已解决，继续保持！"}; break;
    case kNotSolvedButton: a = Answer{2, true, true, L"问题未解决，我要吐槽！"}; break;
    case kOtherButton: a = Answer{3, false, true, L"其他"}; break;
    case kCloseButton: a = Answer{3, false, true, L"关闭"}; break;
    default: return false;
    }
    if (out != nullptr) *out = a;
    return true;
}

std::wstring TimeText(std::int64_t secondsSince1970) {
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(secondsSince1970) & 0xFFFFFFFFu);
    // Two's-complement reinterpretation without relying on a narrowing cast.
    const std::int64_t asSigned = low >= 0x80000000u ? static_cast<std::int64_t>(low) - 0x100000000LL
                                                    : static_cast<std::int64_t>(low);
    return std::to_wstring(asSigned);
}

std::wstring ClientText(int clientKind) {
    return std::to_wstring(static_cast<long long>(clientKind) + 1);
}

}  // namespace feedback
