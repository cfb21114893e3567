#include "log/EventCore.h"

#include <gtest/gtest.h>

using namespace hrlog;

// The ids and levels are what fleet tools filter on: they never move.
TEST(RunEvents, EveryOutcomeHasItsIdAndLevel) {
    struct Case {
        const wchar_t* word;
        std::uint32_t id;
        EventLevel level;
    };
    const Case cases[] = {
        {L"removed", 1000, EventLevel::Information},
        {L"removed-after-restart", 1001, EventLevel::Warning},
        {L"not-present", 1002, EventLevel::Information},
        {L"failed", 1003, EventLevel::Error},
        {L"busy", 1004, EventLevel::Warning},
        {L"unsupported-os", 1005, EventLevel::Error},
        {L"companion-missing", 1006, EventLevel::Error},
        {L"companion-failed", 1007, EventLevel::Error},
        {L"companion-untrusted", 1008, EventLevel::Error},
        {L"bad-command-line", 1009, EventLevel::Error},
        {L"log-failed", 1010, EventLevel::Error},
        {L"check", 1011, EventLevel::Information},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.word);
        const RunEvent e = RunEventFor(c.word);
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.level, e.level);
    }
    // The table the message texts are checked against has these rows, in
    // this order.
    std::size_t count = 0;
    const RunEventRow* rows = RunEventTable(&count);
    ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), count);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(std::wstring(cases[i].word), rows[i].word);
        EXPECT_EQ(cases[i].id, rows[i].event.id);
    }
}

TEST(RunEvents, AnUnknownWordIsAFailure) {
    for (const wchar_t* word : {L"", L"Removed", L"removed ", L" removed", L"ok", L"removed\n"}) {
        const RunEvent e = RunEventFor(word);
        EXPECT_EQ(1003u, e.id);
        EXPECT_EQ(EventLevel::Error, e.level);
    }
}

TEST(EventSource, KeyLiesBelowTheApplicationLog) {
    EXPECT_EQ(std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\"
                           L"Tessaro Veride Hubrelay Uninstall"),
              EventSourceKeyPath());
}

TEST(EventSource, WrittenWhenMissingStaleOrForeign) {
    const std::wstring exe = L"C:\\Deploy\\HR.exe";
    const std::wstring other = L"C:\\Users\\a\\Downloads\\HR.exe";
    const std::uint32_t seven = 7, four = 4;
    EXPECT_TRUE(EventSourceNeedsWrite(nullptr, nullptr, exe));
    EXPECT_TRUE(EventSourceNeedsWrite(nullptr, &seven, exe));
    EXPECT_TRUE(EventSourceNeedsWrite(&exe, nullptr, exe));
    EXPECT_TRUE(EventSourceNeedsWrite(&other, &seven, exe));
    EXPECT_TRUE(EventSourceNeedsWrite(&exe, &four, exe));
    const std::wstring cut = exe.substr(0, exe.size() - 1);
    EXPECT_TRUE(EventSourceNeedsWrite(&cut, &seven, exe));
    EXPECT_FALSE(EventSourceNeedsWrite(&exe, &seven, exe));
}

TEST(EventTextShape, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(L"RESULT=0 removed", EventText(L"RESULT=0 removed"));
    EXPECT_EQ(L"a\r\nb\r\nc\r\nd", EventText(L"a\nb\r\nc\rd"));
    EXPECT_EQ(L"\r\n\r\nx\r\n", EventText(L"\n\rx\r"));
    EXPECT_EQ(L"\r\n\r\n", EventText(L"\r\n\n"));
    EXPECT_EQ(L"", EventText(L""));
}

TEST(EventTextShape, TextEndsAtAZeroCharacter) {
    EXPECT_EQ(L"abc", EventText(std::wstring(L"abc\0def", 7)));
}

TEST(EventTextShape, LongTextIsCutToTheLimitWithAMark) {
    const std::wstring mark(kEventTextCutMark);
    const std::wstring fits(kMaxEventTextChars, L'x');
    EXPECT_EQ(fits, EventText(fits));

    const std::wstring cut = EventText(fits + L"y");
    ASSERT_EQ(kMaxEventTextChars, cut.size());
    EXPECT_EQ(mark, cut.substr(cut.size() - mark.size()));
    EXPECT_EQ(std::wstring(kMaxEventTextChars - mark.size(), L'x'), cut.substr(0, cut.size() - mark.size()));

    // Line breaks that grow into CR LF can push a text over the limit.
    const std::wstring lines = EventText(std::wstring(kMaxEventTextChars, L'\n'));
    ASSERT_EQ(kMaxEventTextChars, lines.size());
    EXPECT_EQ(mark, lines.substr(lines.size() - mark.size()));
}

TEST(EventTextShape, CutNeverSplitsASurrogatePairOrCrLf) {
    const std::wstring mark(kEventTextCutMark);
    const std::size_t keep = kMaxEventTextChars - mark.size();
    // A pair (U+1F600) whose high half would be the last kept character.
    std::wstring pair(keep - 1, L'x');
    pair += L"\xD83D\xDE00";
    pair += std::wstring(100, L'z');
    const std::wstring a = EventText(pair);
    EXPECT_EQ(std::wstring(keep - 1, L'x') + mark, a);

    std::wstring crlf(keep - 1, L'x');
    crlf += L"\r\n";
    crlf += std::wstring(100, L'z');
    const std::wstring b = EventText(crlf);
    EXPECT_EQ(std::wstring(keep - 1, L'x') + mark, b);
}
