#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "integration/Aes.h"

namespace {

std::vector<unsigned char> Hex(const std::string& hex) {
    std::vector<unsigned char> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<unsigned char> Sequence(int n) {
    std::vector<unsigned char> out;
    for (int i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(i));
    return out;
}

std::vector<unsigned char> Encrypt(const CAes& aes, const std::vector<unsigned char>& block) {
    std::vector<unsigned char> out(16, 0);
    aes.EncryptBlock(block.data(), out.data());
    return out;
}

const std::string kPlain = "00112233445566778899aabbccddeeff";

}  // namespace

// FIPS-197 appendix C: the same plaintext under 128-, 192- and 256-bit keys.
TEST(Aes, Fips197AppendixCVectors) {
    struct Case { int keyLength; int rounds; const char* expected; };
    const Case cases[] = {
        {16, 10, "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {24, 12, "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {32, 14, "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const Case& c : cases) {
        CAes aes;
        aes.MakeKey(Sequence(c.keyLength).data(), c.keyLength);
        ASSERT_TRUE(aes.KeyReady());
        EXPECT_EQ(aes.KeyLength(), c.keyLength);
        EXPECT_EQ(aes.Rounds(), c.rounds);
        EXPECT_EQ(Encrypt(aes, Hex(kPlain)), Hex(c.expected)) << "key length " << c.keyLength;
    }
}

TEST(Aes, MakeKeyIgnoresNullKeyAndOtherLengths) {
    CAes fresh;
    fresh.MakeKey(nullptr, 16);
    fresh.MakeKey(Sequence(20).data(), 20);
    EXPECT_FALSE(fresh.KeyReady());

    CAes aes;
    aes.MakeKey(Sequence(16).data(), 16);
    aes.MakeKey(Sequence(32).data(), 31);
    aes.MakeKey(nullptr, 32);
    EXPECT_EQ(aes.KeyLength(), 16);
    EXPECT_EQ(Encrypt(aes, Hex(kPlain)), Hex("69c4e0d86a7b0430d8cdb78070b4c55a"));
}

TEST(Aes, CounterIncrementsFromByteZeroWithCarries) {
    std::vector<unsigned char> block(16, 0x00);
    block[0] = 0x41;
    CAes::IncrementCounter(block.data());
    EXPECT_EQ(block[0], 0x42);
    EXPECT_EQ(block[1], 0x00);

    block.assign(16, 0x00);
    block[0] = 0xff;
    block[1] = 0x07;
    CAes::IncrementCounter(block.data());
    EXPECT_EQ(block[0], 0x00);
    EXPECT_EQ(block[1], 0x08);

    block.assign(16, 0x00);
    block[0] = block[1] = block[2] = 0xff;
    block[15] = 0x99;
    CAes::IncrementCounter(block.data());
    EXPECT_EQ(block, Hex("00000001000000000000000000000099"));

    block.assign(16, 0xff);
    CAes::IncrementCounter(block.data());
    EXPECT_EQ(block, std::vector<unsigned char>(16, 0x00));
}

// SP 800-38A F.5.1, first block: the key stream is AES of the counter itself.
TEST(Aes, CtrFirstBlockMatchesPublishedVector) {
    CAes aes;
    aes.MakeKey(Hex("2b7e151628aed2a6abf7158809cf4f3c").data(), 16);
    aes.SetCounter(Hex("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff").data());
    const auto plain = Hex("6bc1bee22e409f96e93d7e117393172a");
    std::vector<unsigned char> out(16, 0);
    aes.CtrCrypt(plain.data(), out.data(), 16);
    EXPECT_EQ(out, Hex("874d6191b620e3261bef6864990db6ce"));
}

TEST(Aes, CtrLaterBlocksUseLittleEndianCounterAndEveryCallRestarts) {
    CAes aes;
    aes.MakeKey(Sequence(16).data(), 16);
    auto counter = Hex("ff112233445566778899aabbccddee10");
    aes.SetCounter(counter.data());

    std::vector<unsigned char> zeros(48, 0), out(48, 0);
    aes.CtrCrypt(zeros.data(), out.data(), zeros.size());

    std::vector<unsigned char> expected;
    for (int block = 0; block < 3; ++block) {
        const auto stream = Encrypt(aes, counter);
        expected.insert(expected.end(), stream.begin(), stream.end());
        CAes::IncrementCounter(counter.data());
    }
    EXPECT_EQ(out, expected);
    // The second counter is 00 12 22 ...: byte 0 wrapped and carried into byte 1.
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + 16, out.begin() + 32),
              Encrypt(aes, Hex("00122233445566778899aabbccddee10")));

    std::vector<unsigned char> again(48, 0);
    aes.CtrCrypt(zeros.data(), again.data(), zeros.size());
    EXPECT_EQ(again, out);

    // In place, deciphering what was enciphered.
    aes.CtrCrypt(again.data(), again.data(), again.size());
    EXPECT_EQ(again, zeros);
}

TEST(Aes, CtrDoesNothingWithoutKeyCounterOrWholeBlocks) {
    const std::vector<unsigned char> input(32, 0x5a);
    const std::vector<unsigned char> untouched(32, 0xee);
    std::vector<unsigned char> out = untouched;

    CAes noKey;
    noKey.SetCounter(Sequence(16).data());
    noKey.CtrCrypt(input.data(), out.data(), 16);
    EXPECT_EQ(out, untouched);

    CAes aes;
    aes.MakeKey(Sequence(16).data(), 16);
    aes.CtrCrypt(input.data(), out.data(), 16);
    EXPECT_EQ(out, untouched) << "no counter yet";

    aes.SetCounter(Sequence(16).data());
    for (size_t length : {size_t(0), size_t(15), size_t(17), size_t(31)}) {
        aes.CtrCrypt(input.data(), out.data(), length);
        EXPECT_EQ(out, untouched) << "length " << length;
    }
    aes.CtrCrypt(nullptr, out.data(), 16);
    EXPECT_EQ(out, untouched);

    aes.SetCounter(nullptr);
    EXPECT_FALSE(aes.CounterReady());
    aes.CtrCrypt(input.data(), out.data(), 16);
    EXPECT_EQ(out, untouched) << "counter forgotten";
}
