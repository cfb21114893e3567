#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/Base64.h"

namespace {

struct Decoded {
    int result;
    std::string bytes;  // what landed in the buffer before the first untouched byte
};

// Decodes into a buffer pre-filled with '#', so untouched bytes are visible.
Decoded Decode(const char* text, int capacity = 0) {
    std::vector<unsigned char> buffer(64, '#');
    Decoded d;
    d.result = Base64Decode(text, buffer.data(), capacity);
    size_t n = 0;
    while (n < buffer.size() && buffer[n] != '#') ++n;
    d.bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    return d;
}

}  // namespace

TEST(Base64Decode, GroupsYieldThreeTwoOrOneBytes) {
    EXPECT_EQ(Decode("TWFu").result, 3);
    EXPECT_EQ(Decode("TWFu").bytes, "Man");
    EXPECT_EQ(Decode("TWE=").bytes, "Ma");
    EXPECT_EQ(Decode("TQ==").result, 1);
    EXPECT_EQ(Decode("TQ==").bytes, "M");
    EXPECT_EQ(Decode("TWFuTWFu").bytes, "ManMan");
    // Most significant bit first, all of the alphabet's upper range.
    std::vector<unsigned char> out(3, 0);
    EXPECT_EQ(Base64Decode("+/+/", out.data(), 0), 3);
    EXPECT_EQ(out, (std::vector<unsigned char>{0xfb, 0xff, 0xbf}));
}

TEST(Base64Decode, LeadingPlusBlankIsSkippedButNotPlusAlone) {
    EXPECT_EQ(Decode("+ TWFu").bytes, "Man");
    EXPECT_EQ(Decode("+ TWFu").result, 3);
    // Without the blank the plus sign is an alphabet character of the first group.
    const Decoded d = Decode("+TWFu");
    EXPECT_EQ(d.result, -1);
    EXPECT_EQ(d.bytes.size(), 3u);
}

TEST(Base64Decode, StopsAtTerminatorCrOrPaddedGroup) {
    EXPECT_EQ(Decode("").result, 0);
    EXPECT_EQ(Decode("\rTWFu").result, 0);
    EXPECT_EQ(Decode("+ \rTWFu").result, 0);
    EXPECT_EQ(Decode("+ \rTWFu").bytes, "");
    EXPECT_EQ(Decode("TWFu\rTWFu").result, 3);
    EXPECT_EQ(Decode("TWFu\r\n").result, 3);
    const Decoded padded = Decode("TWE=TWFu");
    EXPECT_EQ(padded.result, 2);
    EXPECT_EQ(padded.bytes, "Ma");
}

TEST(Base64Decode, MalformedGroupGivesMinusOneAndKeepsEarlierBytes) {
    EXPECT_EQ(Decode("*WFu").result, -1);
    EXPECT_EQ(Decode("T*Fu").result, -1);
    EXPECT_EQ(Decode("TW*u").result, -1);
    EXPECT_EQ(Decode("TWF*").result, -1);
    EXPECT_EQ(Decode("=WFu").result, -1) << "padding only in the last two places";
    EXPECT_EQ(Decode("T=Fu").result, -1);
    // A terminator inside a group.
    EXPECT_EQ(Decode("TWF").result, -1);
    EXPECT_EQ(Decode("T").result, -1);
    const Decoded shortTail = Decode("TWFuTW");
    EXPECT_EQ(shortTail.result, -1);
    EXPECT_EQ(shortTail.bytes, "Man");
    // A line feed is not a stop character: it spoils its group.
    const Decoded lineFeed = Decode("TWFuTWFu\nTWFu");
    EXPECT_EQ(lineFeed.result, -1);
    EXPECT_EQ(lineFeed.bytes, "ManMan");
    EXPECT_EQ(Decode(nullptr).result, -1);
}

TEST(Base64Decode, CapacityIsCheckedBeforeEveryByte) {
    const Decoded exact = Decode("TWFuTWFu", 6);
    EXPECT_EQ(exact.result, 6);
    const Decoded over = Decode("TWFuTWFu", 4);
    EXPECT_EQ(over.result, -1);
    EXPECT_EQ(over.bytes, "ManM") << "bytes up to the capacity stay, nothing past it";
    EXPECT_EQ(Decode("TWE=", 1).result, -1);
    EXPECT_EQ(Decode("TWFuTWFuTWFu", 0).result, 9) << "capacity 0 is unlimited";
}

TEST(Base64Encode, PadsAndRoundTripsEveryTailLength) {
    EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>("Man"), 3), "TWFu");
    EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>("Ma"), 2), "TWE=");
    EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>("M"), 1), "TQ==");
    EXPECT_EQ(Base64Encode(reinterpret_cast<const unsigned char*>(""), 0), "");
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(255 - i);
    for (size_t n = 1; n <= all.size(); n += 37) {
        const std::string text = Base64Encode(all.data(), n);
        std::vector<unsigned char> back(n + 3, 0);
        ASSERT_EQ(Base64Decode(text.c_str(), back.data(), 0), static_cast<int>(n));
        EXPECT_TRUE(std::equal(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n), back.begin()));
    }
}
