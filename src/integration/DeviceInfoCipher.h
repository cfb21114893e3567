#pragma once
// The launcher clients' device-information value: base64 of an AES-128
// counter-mode ciphertext. Deciphering is what the tool does; enciphering
// exists for the writer that makes test and demo files.
#include <cstddef>
#include <string>

#include "integration/Aes.h"

// Key text shared with the launcher clients; only its first 16 bytes key AES.
extern const char kDeviceInfoKeyText[19];

// Capacity of the output buffer the launcher-client scan deciphers into.
constexpr int kDeviceInfoOutputCapacity = 1024;

// Writes the initial counter block (16 bytes) the launcher clients use.
void BuildDeviceInfoCounter(unsigned char block[16]);

// Sizes for an input text of `length` characters: decoded-size bound B
// (length / 4 * 3) and processing length P (B rounded up to 16).
struct DeviceInfoSizes {
    size_t decodedBound;
    size_t processLength;
};
DeviceInfoSizes ComputeDeviceInfoSizes(size_t length);

// Deciphers zero-terminated base64 `input` into `output`. Returns the length
// of the deciphered text up to its first zero byte. Returns 0 and leaves
// `output` untouched when `capacity` is smaller than the input or cannot hold
// the deciphered blocks plus a terminating zero. Re-keys `aes` on every call.
int DecryptDeviceInfo(CAes& aes, const char* input, char* output, int capacity,
                      const char* keyText);

// Enciphers `plain` the way the launcher clients do: the text and a zero
// terminator padded with zero bytes to whole blocks, so the deciphered text
// ends where it should. With `terminate` false only the text's own bytes are
// enciphered, and a reader sees key stream after them.
std::string EncryptDeviceInfo(CAes& aes, const std::string& plain, const char* keyText,
                              bool terminate = true);
