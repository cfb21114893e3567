#include "log/LogBase.h"
#include "log/LogCore.h"

#include <gtest/gtest.h>

#include <vector>

using namespace hrlog;

namespace {

LogTime SampleTime() { return LogTime{2024, 3, 7, 9, 5, 4, 12}; }

}  // namespace

TEST(LogRecord, PrefixPadsEveryFieldAndEndsWithThreeBlanks) {
    EXPECT_EQ("[2024-03-07 09:05:04 012ms]   ", FormatLogPrefix(SampleTime()));
    EXPECT_EQ("[0999-12-31 23:59:59 999ms]   ", FormatLogPrefix(LogTime{999, 12, 31, 23, 59, 59, 999}));
}

TEST(LogRecord, RecordIsPrefixTextAndOneCrLf) {
    const std::string gbk = "\xb2\xe2\xca\xd4";  // two GBK characters, kept byte for byte
    EXPECT_EQ("[2024-03-07 09:05:04 012ms]   " + gbk + "\r\n", FormatLogRecord(SampleTime(), gbk));
    EXPECT_EQ("[2024-03-07 09:05:04 012ms]   \r\n", FormatLogRecord(SampleTime(), ""));
}

TEST(LogRecord, TextEndsAtItsFirstZeroByte) {
    const std::string text("abc\0def", 7);
    EXPECT_EQ("[2024-03-07 09:05:04 012ms]   abc\r\n", FormatLogRecord(SampleTime(), text));
}

TEST(LogPrintSwitch, OnlyTheNumberOneSwitchesOn) {
    EXPECT_TRUE(ParsePrintSwitch(L"1"));
    EXPECT_TRUE(ParsePrintSwitch(L" 1 "));
    EXPECT_TRUE(ParsePrintSwitch(L"\t1\t"));
    EXPECT_TRUE(ParsePrintSwitch(L"1abc"));
    EXPECT_TRUE(ParsePrintSwitch(L"+1"));
    EXPECT_TRUE(ParsePrintSwitch(L"01"));

    EXPECT_FALSE(ParsePrintSwitch(L"0"));
    EXPECT_FALSE(ParsePrintSwitch(L"2"));
    EXPECT_FALSE(ParsePrintSwitch(L"11"));
    EXPECT_FALSE(ParsePrintSwitch(L"-1"));  // the default of a missing key
    EXPECT_FALSE(ParsePrintSwitch(L"abc"));
    EXPECT_FALSE(ParsePrintSwitch(L"a1"));
    EXPECT_FALSE(ParsePrintSwitch(L""));
    EXPECT_FALSE(ParsePrintSwitch(L"   "));
    EXPECT_FALSE(ParsePrintSwitch(L"+"));
}

TEST(LogPrintSwitch, HugeNumbersNeverWrapToOne) {
    EXPECT_FALSE(ParsePrintSwitch(L"4294967297"));            // 2^32 + 1
    EXPECT_FALSE(ParsePrintSwitch(L"18446744073709551617"));  // 2^64 + 1
}

TEST(LogRollover, OnlyALengthPastTheLimitRollsOver) {
    EXPECT_FALSE(ShouldRollOver(0));
    EXPECT_FALSE(ShouldRollOver(6020000));
    EXPECT_TRUE(ShouldRollOver(6020001));
    EXPECT_TRUE(ShouldRollOver(6100000));  // the limit is 6,020,000 bytes, not 6 MiB
    // A file beyond 4 GiB is over the limit too, whatever its low 32 bits say.
    EXPECT_TRUE(ShouldRollOver((std::uint64_t{1} << 32) + 10));
}

TEST(LogRollover, BackupNameHasBakRightAfterTheExtension) {
    EXPECT_EQ(L"C:\\ProgramData\\ToolLog\\a.txtbak", BackupPathOf(L"C:\\ProgramData\\ToolLog\\a.txt"));
}

TEST(LogWriteGate, ForcedRecordsIgnoreTheSwitch) {
    EXPECT_TRUE(ShouldWriteRecord(true, false));
    EXPECT_TRUE(ShouldWriteRecord(true, true));
    EXPECT_TRUE(ShouldWriteRecord(false, true));
    EXPECT_FALSE(ShouldWriteRecord(false, false));
}

TEST(LogHex, BytesBecomeUpperCaseGroupsWithoutLineBreaks) {
    const unsigned char bytes[] = {0x00, 0x0a, 0xff, 0x5c};
    EXPECT_EQ("00 0A FF 5C ", FormatHexBytes(bytes, 4));
    EXPECT_EQ("", FormatHexBytes(bytes, 0));
    EXPECT_EQ("", FormatHexBytes(bytes, -3));
    EXPECT_EQ("", FormatHexBytes(nullptr, 4));
}

namespace {

class RecordingLog : public CLogBase {
public:
    RecordingLog() : CLogBase(L"X:\\ToolLog\\") {}
    void WritePacket(const CPacketLog& packet) override { packets.push_back(packet); }
    void WriteHex(const unsigned char* bytes, std::int32_t count, std::string fileName) override {
        PacketFromHex(bytes, count, std::move(fileName));
    }
    void WriteText(std::string text, std::string fileName) override {
        PacketFromText(std::move(text), std::move(fileName));
    }
    std::vector<CPacketLog> packets;
};

}  // namespace

TEST(LogStrategy, TextAndHexReachWritePacketWithTheirFileName) {
    RecordingLog log;
    CLogBase& base = log;
    base.WriteText("record", "a.txt");
    const unsigned char bytes[] = {0xab, 0x01};
    base.WriteHex(bytes, 2, "b.txt");
    ASSERT_EQ(2u, log.packets.size());
    EXPECT_EQ("record", log.packets[0].GetContent());
    EXPECT_EQ("a.txt", log.packets[0].GetFileName());
    EXPECT_EQ("AB 01 ", log.packets[1].GetContent());
    EXPECT_EQ("b.txt", log.packets[1].GetFileName());
}
