#include "integration/LauncherClient.h"

#include <climits>
#include <vector>

#include "integration/DeviceInfoCipher.h"

const LauncherProbe kLauncherProbes[2] = {
    {L"CV\\Corvath\\CorvathClient.exe", L"CV\\Corvath\\DeviceInfo.ini"},
    {L"Kestra\\KestraKey\\KestraClient.exe", L"Kestra\\KestraKey\\DeviceInfo.ini"},
};

const wchar_t kDeviceInfoSection[] = L"DeviceType";
const wchar_t kDeviceInfoKey[] = L"Type";

namespace {

std::string AsciiNarrow(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0x7f) return std::string();
        out += static_cast<char>(c);
    }
    return out;
}

std::wstring BytewiseWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

bool Exists(const LauncherScanHooks& hooks, const std::wstring& path) {
    return hooks.exists && hooks.exists(path);
}

}  // namespace

int ParseLeadingInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (text[i] - L'0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int ReadLauncherClientKind(const std::wstring& deviceInfoPath, const LauncherScanHooks& hooks,
                           CAes& aes) {
    std::wstring value;
    if (hooks.readIni) hooks.readIni(kDeviceInfoSection, kDeviceInfoKey, deviceInfoPath, value);
    const std::string narrow = hooks.toNarrow ? hooks.toNarrow(value) : AsciiNarrow(value);

    std::vector<char> output(kDeviceInfoOutputCapacity, 0);
    DecryptDeviceInfo(aes, narrow.c_str(), output.data(), kDeviceInfoOutputCapacity,
                      kDeviceInfoKeyText);
    size_t length = 0;
    while (length < output.size() && output[length] != '\0') ++length;
    const std::string plain(output.data(), length);
    return ParseLeadingInt(hooks.toWide ? hooks.toWide(plain) : BytewiseWide(plain));
}

int ScanLauncherClient(const std::vector<std::wstring>& drives, const LauncherScanHooks& hooks,
                       CAes& aes) {
    const LauncherProbe& corvath = kLauncherProbes[0];
    const LauncherProbe& kestra = kLauncherProbes[1];
    for (const std::wstring& root : drives) {
        if (Exists(hooks, root + corvath.program)) {
            const std::wstring info = root + corvath.deviceInfo;
            if (Exists(hooks, info)) return ReadLauncherClientKind(info, hooks, aes);
            continue;  // a Corvath drive without its file is passed over entirely
        }
        if (Exists(hooks, root + kestra.program)) {
            const std::wstring info = root + kestra.deviceInfo;
            if (Exists(hooks, info)) return ReadLauncherClientKind(info, hooks, aes);
        }
    }
    return kClientKindNone;
}
