#include "integration/DeviceInfoCipher.h"

#include <cstring>
#include <vector>

#include "integration/Base64.h"

const char kDeviceInfoKeyText[19] = "sparkbox2019marlin";

namespace {

// The counter block is not kept as bytes anywhere: it is assembled from these
// words (least significant byte first) each time a value is processed. The
// launcher clients use the same block; changing it breaks every existing file.
const uint32_t kCounterWords[4] = {0x7A3C915Eu, 0x0B62D4F1u, 0x9E4815C7u, 0x3D2AF086u};

// First 16 bytes of the key text; a shorter text is padded with zero bytes
// instead of being read past its end.
void KeyFromText(const char* keyText, unsigned char key[16]) {
    std::memset(key, 0, 16);
    if (keyText == nullptr) return;
    for (int i = 0; i < 16 && keyText[i] != '\0'; ++i) key[i] = static_cast<unsigned char>(keyText[i]);
}

void PrepareCipher(CAes& aes, const char* keyText) {
    unsigned char counter[16];
    BuildDeviceInfoCounter(counter);
    unsigned char key[16];
    KeyFromText(keyText, key);
    aes.MakeKey(key, 16);
    aes.SetCounter(counter);
}

}  // namespace

void BuildDeviceInfoCounter(unsigned char block[16]) {
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            block[4 * w + b] = static_cast<unsigned char>((kCounterWords[w] >> (8 * b)) & 0xff);
}

DeviceInfoSizes ComputeDeviceInfoSizes(size_t length) {
    DeviceInfoSizes sizes;
    sizes.decodedBound = length / 4 * 3;
    sizes.processLength = (sizes.decodedBound + 15) / 16 * 16;
    return sizes;
}

int DecryptDeviceInfo(CAes& aes, const char* input, char* output, int capacity,
                      const char* keyText) {
    if (input == nullptr || output == nullptr || capacity <= 0) return 0;
    PrepareCipher(aes, keyText);

    const size_t length = std::strlen(input);
    const DeviceInfoSizes sizes = ComputeDeviceInfoSizes(length);
    // The deciphered blocks can be longer than the input (four characters
    // give a whole block), and readers take the output as terminated text.
    const size_t cap = static_cast<size_t>(capacity);
    if (cap < length || cap < sizes.processLength + 1) return 0;

    // Bytes after the decoded ones stay zero and decipher to raw key stream.
    std::vector<unsigned char> cipher(sizes.processLength, 0);
    if (sizes.decodedBound > 0)
        Base64Decode(input, cipher.data(), static_cast<int>(sizes.decodedBound));

    std::memset(output, 0, cap);
    if (sizes.processLength > 0)
        aes.CtrCrypt(cipher.data(), reinterpret_cast<unsigned char*>(output), sizes.processLength);
    size_t text = 0;
    while (text < cap && output[text] != '\0') ++text;
    return static_cast<int>(text);
}

std::string EncryptDeviceInfo(CAes& aes, const std::string& plain, const char* keyText,
                              bool terminate) {
    PrepareCipher(aes, keyText);
    const size_t used = terminate ? plain.size() + 1 : plain.size();
    const size_t blocks = (used + 15) / 16 * 16;
    if (blocks == 0) return std::string();
    std::vector<unsigned char> buffer(blocks, 0);
    std::memcpy(buffer.data(), plain.data(), plain.size());
    aes.CtrCrypt(buffer.data(), buffer.data(), blocks);
    return Base64Encode(buffer.data(), terminate ? blocks : plain.size());
}
