#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "integration/DeviceInfoCipher.h"
#include "integration/LauncherClient.h"

namespace {

const std::wstring kCorvathExe = L"CV\\Corvath\\CorvathClient.exe";
const std::wstring kCorvathIni = L"CV\\Corvath\\DeviceInfo.ini";
const std::wstring kKestraExe = L"Kestra\\KestraKey\\KestraClient.exe";
const std::wstring kKestraIni = L"Kestra\\KestraKey\\DeviceInfo.ini";

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Enciphered(const std::string& plain) {
    CAes aes;
    return Widen(EncryptDeviceInfo(aes, plain, kDeviceInfoKeyText));
}

// A machine of files and ini values that records every question asked.
struct FakeMachine {
    std::set<std::wstring> files;
    std::map<std::wstring, std::wstring> types;  // device-information path -> "Type" value
    std::vector<std::wstring> asked;

    void AddClient(const std::wstring& root, const std::wstring& exe, const std::wstring& ini,
                   const std::wstring& value) {
        files.insert(root + exe);
        files.insert(root + ini);
        types[root + ini] = value;
    }

    LauncherScanHooks Hooks() {
        LauncherScanHooks hooks;
        hooks.exists = [this](const std::wstring& path) {
            asked.push_back(path);
            return files.count(path) != 0;
        };
        hooks.readIni = [this](const std::wstring& section, const std::wstring& key,
                               const std::wstring& path, std::wstring& value) {
            auto it = types.find(path);
            if (section != L"DeviceType" || key != L"Type" || it == types.end() ||
                it->second.empty())
                return 0;
            value = it->second;
            return 1;
        };
        return hooks;
    }

    bool Asked(const std::wstring& path) const {
        for (const auto& a : asked)
            if (a == path) return true;
        return false;
    }

    int Scan(const std::vector<std::wstring>& drives) {
        CAes aes;
        return ScanLauncherClient(drives, Hooks(), aes);
    }
};

}  // namespace

TEST(LauncherScan, NoDrivesMeansNoClient) {
    FakeMachine m;
    EXPECT_EQ(m.Scan({}), 0);
    EXPECT_TRUE(m.asked.empty());
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 0) << "drives without client folders";
}

TEST(LauncherScan, FirstCompleteDriveDecides) {
    FakeMachine m;
    m.AddClient(L"E:\\", kKestraExe, kKestraIni, Enciphered("2"));
    m.AddClient(L"F:\\", kCorvathExe, kCorvathIni, Enciphered("1"));
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 2);
    EXPECT_FALSE(m.Asked(L"F:\\" + kCorvathExe)) << "later drives are not examined";
    EXPECT_EQ(m.Scan({L"F:\\", L"E:\\"}), 1);
}

TEST(LauncherScan, CorvathProgramWithoutItsFilePassesTheDriveOver) {
    FakeMachine m;
    m.files.insert(L"E:\\" + kCorvathExe);
    m.AddClient(L"E:\\", kKestraExe, kKestraIni, Enciphered("2"));
    EXPECT_EQ(m.Scan({L"E:\\"}), 0);
    EXPECT_FALSE(m.Asked(L"E:\\" + kKestraExe));

    m.AddClient(L"G:\\", kCorvathExe, kCorvathIni, Enciphered("1"));
    EXPECT_EQ(m.Scan({L"E:\\", L"G:\\"}), 1) << "a later drive may still decide";

    // A Kestra program without its file also moves on to the next drive.
    FakeMachine k;
    k.files.insert(L"E:\\" + kKestraExe);
    k.AddClient(L"F:\\", kKestraExe, kKestraIni, Enciphered("2"));
    EXPECT_EQ(k.Scan({L"E:\\", L"F:\\"}), 2);
}

TEST(LauncherScan, KindComesFromTheFileNotTheFolder) {
    FakeMachine m;
    m.AddClient(L"E:\\", kCorvathExe, kCorvathIni, Enciphered("2"));
    EXPECT_EQ(m.Scan({L"E:\\"}), 2);
}

TEST(LauncherScan, LeadingDigitsOfTheDecipheredTextAreTheKind) {
    FakeMachine m;
    m.AddClient(L"E:\\", kKestraExe, kKestraIni, Enciphered("12abc"));
    EXPECT_EQ(m.Scan({L"E:\\"}), 12);
    m.types[L"E:\\" + kKestraIni] = Enciphered(" -3 devices");
    EXPECT_EQ(m.Scan({L"E:\\"}), -3);
}

TEST(LauncherScan, CompleteFolderWithUnusableValueEndsTheScanWithZero) {
    FakeMachine m;
    m.AddClient(L"E:\\", kKestraExe, kKestraIni, L"!!!! not base64 !!!!");
    m.AddClient(L"F:\\", kKestraExe, kKestraIni, Enciphered("2"));
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 0);
    EXPECT_FALSE(m.Asked(L"F:\\" + kKestraExe));

    m.types[L"E:\\" + kKestraIni] = L"";  // key missing or empty
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 0);
    m.types[L"E:\\" + kKestraIni] = Enciphered("two");
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 0);
    // Text the ANSI code page cannot carry is dropped before deciphering.
    m.types[L"E:\\" + kKestraIni] = Enciphered("2") + L"\u00e9";
    EXPECT_EQ(m.Scan({L"E:\\", L"F:\\"}), 0);
}

TEST(LauncherScan, LeadingIntegerParsing) {
    EXPECT_EQ(ParseLeadingInt(L"2"), 2);
    EXPECT_EQ(ParseLeadingInt(L" \t+17x"), 17);
    EXPECT_EQ(ParseLeadingInt(L"-5"), -5);
    EXPECT_EQ(ParseLeadingInt(L"x5"), 0);
    EXPECT_EQ(ParseLeadingInt(L"-"), 0);
    EXPECT_EQ(ParseLeadingInt(L""), 0);
    EXPECT_EQ(ParseLeadingInt(L"99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseLeadingInt(L"-99999999999999999999"), -2147483647 - 1);
}

// Values a damaged or foreign file may hold: the kind is 0 or the leading
// digits of whatever deciphers, and nothing reads or writes out of bounds
// (this suite also runs under the address sanitizer).
TEST(LauncherScan, AnyValueGivesZeroOrItsLeadingDigits) {
    FakeMachine m;
    auto kindOf = [&m](const std::wstring& value) {
        m.AddClient(L"E:\\", kKestraExe, kKestraIni, value);
        return m.Scan({L"E:\\"});
    };
    EXPECT_EQ(kindOf(L""), 0);
    EXPECT_EQ(kindOf(std::wstring(255, L'A')), 0);
    EXPECT_EQ(kindOf(std::wstring(255, L'%')), 0);
    EXPECT_EQ(kindOf(L"====" + std::wstring(251, L'/')), 0);
    // The longest plain text whose value still fits 255 characters.
    const std::string longPlain = "2" + std::string(170, 'x');
    const std::wstring longValue = Enciphered(longPlain);
    ASSERT_LE(longValue.size(), 255u);
    EXPECT_EQ(kindOf(longValue), 2);
    EXPECT_EQ(kindOf(Enciphered("17 and then some")), 17);

    // Well-formed base64 of random bytes deciphers to garbage of every
    // length; the sanitizers watch the buffers, and a value read again after
    // another one gives the same kind (nothing of the last call is left over).
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring previous = longValue;
    for (int length = 1; length <= 255; ++length) {
        std::wstring value;
        for (int i = 0; i < length; ++i) value += static_cast<wchar_t>(alphabet[(next() >> 16) % 64]);
        const int kind = kindOf(value);
        kindOf(previous);
        EXPECT_EQ(kindOf(value), kind) << length;
        previous = value;
    }
}
