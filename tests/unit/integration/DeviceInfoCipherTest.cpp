#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "integration/Base64.h"
#include "integration/DeviceInfoCipher.h"

namespace {

struct Deciphered {
    int result;
    std::vector<unsigned char> output;
};

Deciphered Decipher(const std::string& value, int capacity = kDeviceInfoOutputCapacity,
                    unsigned char fill = 0xaa) {
    CAes aes;
    Deciphered d;
    d.output.assign(static_cast<size_t>(capacity), fill);
    d.result = DecryptDeviceInfo(aes, value.c_str(), reinterpret_cast<char*>(d.output.data()),
                                 capacity, kDeviceInfoKeyText);
    return d;
}

std::string Text(const Deciphered& d) {
    return std::string(reinterpret_cast<const char*>(d.output.data()));
}

// Key stream block `index` of the device-information cipher, from the block
// cipher directly.
std::vector<unsigned char> KeyStream(int index) {
    CAes aes;
    aes.MakeKey(reinterpret_cast<const unsigned char*>(kDeviceInfoKeyText), 16);
    unsigned char counter[16];
    BuildDeviceInfoCounter(counter);
    for (int i = 0; i < index; ++i) CAes::IncrementCounter(counter);
    std::vector<unsigned char> block(16);
    aes.EncryptBlock(counter, block.data());
    return block;
}

std::string Encipher(const std::string& plain, bool terminate = true) {
    CAes aes;
    return EncryptDeviceInfo(aes, plain, kDeviceInfoKeyText, terminate);
}

}  // namespace

TEST(DeviceInfoCipher, SizesFollowTheInputLength) {
    const DeviceInfoSizes s24 = ComputeDeviceInfoSizes(24);
    EXPECT_EQ(s24.decodedBound, 18u);
    EXPECT_EQ(s24.processLength, 32u);
    EXPECT_EQ(ComputeDeviceInfoSizes(3).processLength, 0u);
    EXPECT_EQ(ComputeDeviceInfoSizes(4).processLength, 16u);
    EXPECT_EQ(ComputeDeviceInfoSizes(23).decodedBound, 15u);
    EXPECT_EQ(ComputeDeviceInfoSizes(23).processLength, 16u);
    EXPECT_EQ(ComputeDeviceInfoSizes(255).processLength, 192u);
}

TEST(DeviceInfoCipher, WriterAndReaderRoundTrip) {
    for (const std::string plain : {"1", "2", "12abc", "", "123456789012345"}) {
        const std::string value = Encipher(plain);
        const Deciphered d = Decipher(value);
        EXPECT_EQ(Text(d), plain);
        EXPECT_EQ(d.result, static_cast<int>(plain.size()));
    }
    // One block of text plus its terminator needs two blocks.
    EXPECT_EQ(Text(Decipher(Encipher("0123456789abcdef"))), "0123456789abcdef");
    EXPECT_EQ(Encipher("2").size(), 24u);
}

TEST(DeviceInfoCipher, TwentyFourCharactersUseTwoCounterBlocks) {
    // 18 arbitrary cipher bytes: the first 16 decipher with block 0 of the key
    // stream, the next two with block 1, and the 14 zero bytes after them
    // come out as raw key stream.
    std::vector<unsigned char> cipher(18);
    for (size_t i = 0; i < cipher.size(); ++i) cipher[i] = static_cast<unsigned char>(0x31 + 7 * i);
    const std::string value = Base64Encode(cipher.data(), cipher.size());
    ASSERT_EQ(value.size(), 24u);

    const Deciphered d = Decipher(value, 64, 0xaa);
    const auto k0 = KeyStream(0), k1 = KeyStream(1);
    std::vector<unsigned char> expected(64, 0);
    for (int i = 0; i < 16; ++i) expected[i] = cipher[i] ^ k0[i];
    for (int i = 0; i < 16; ++i) expected[16 + i] = (i < 2 ? cipher[16 + i] : 0) ^ k1[i];
    EXPECT_EQ(d.output, expected);

    // Block 1 differs from block 0's counter only in byte 0.
    unsigned char c0[16], c1[16];
    BuildDeviceInfoCounter(c0);
    std::memcpy(c1, c0, 16);
    CAes::IncrementCounter(c1);
    EXPECT_EQ(std::memcmp(c0 + 1, c1 + 1, 15), 0);
    EXPECT_NE(c0[0], c1[0]);
}

TEST(DeviceInfoCipher, SmallCapacityLeavesOutputUntouched) {
    const std::string value = Encipher("2");  // 24 characters, 32 bytes processed
    const std::vector<unsigned char> untouched(40, 0xaa);
    EXPECT_EQ(Decipher(value, 23).result, 0);
    EXPECT_EQ(Decipher(value, 23).output, std::vector<unsigned char>(23, 0xaa));
    // Enough for the text but not for the 32 deciphered bytes and a terminator.
    EXPECT_EQ(Decipher(value, 32).output, std::vector<unsigned char>(32, 0xaa));
    EXPECT_EQ(Text(Decipher(value, 33)), "2");
    // Four characters make a whole block: a capacity of 4 must not be overrun.
    EXPECT_EQ(Decipher("MTIz", 4).output, std::vector<unsigned char>(4, 0xaa));
}

TEST(DeviceInfoCipher, ShortOrEmptyInputDeciphersNothing) {
    for (const std::string value : {"", "M", "MT", "MTI"}) {
        const Deciphered d = Decipher(value, 32);
        EXPECT_EQ(d.result, 0) << value;
        EXPECT_EQ(d.output, std::vector<unsigned char>(32, 0)) << value;
    }
}

TEST(DeviceInfoCipher, DamagedValuesDecipherWhatWasDecoded) {
    const std::string value = Encipher("12abc");
    EXPECT_EQ(Text(Decipher("+ " + value)), "12abc");

    // A line feed after the first group: three bytes decode, the rest of the
    // block is key stream over zero bytes.
    const std::string broken = value.substr(0, 4) + "\n" + value.substr(4);
    const Deciphered d = Decipher(broken);
    const auto k0 = KeyStream(0);
    EXPECT_EQ(std::string(d.output.begin(), d.output.begin() + 3), "12a");
    for (int i = 3; i < 16; ++i) EXPECT_EQ(d.output[i], k0[i]) << i;

    // Without the writer's terminator, key stream follows the text.
    const Deciphered raw = Decipher(Encipher("7", false));
    EXPECT_EQ(raw.output[0], '7');
    EXPECT_EQ(raw.output[1], KeyStream(0)[1]);
}

TEST(DeviceInfoCipher, EveryCallIsIndependentOfTheLast) {
    CAes aes;
    std::vector<char> out(64, 0);
    aes.MakeKey(reinterpret_cast<const unsigned char*>("some other key!!"), 16);
    aes.SetCounter(nullptr);
    ASSERT_EQ(DecryptDeviceInfo(aes, Encipher("2").c_str(), out.data(), 64, kDeviceInfoKeyText), 1);
    EXPECT_STREQ(out.data(), "2");
    ASSERT_EQ(DecryptDeviceInfo(aes, Encipher("1").c_str(), out.data(), 64, kDeviceInfoKeyText), 1);
    EXPECT_STREQ(out.data(), "1");
    // Only the first 16 bytes of the key text take part.
    ASSERT_EQ(DecryptDeviceInfo(aes, Encipher("1").c_str(), out.data(), 64, "sparkbox2019marlXY"), 1);
    EXPECT_STREQ(out.data(), "1");
}
