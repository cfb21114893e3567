#include "integration/Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Six-bit value of an alphabet character, or -1.
int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

int Base64Decode(const char* text, unsigned char* output, int capacity) {
    if (text == nullptr || output == nullptr) return -1;
    const char* p = text;
    if (p[0] == '+' && p[1] == ' ') p += 2;
    if (*p == '\r') return 0;

    int count = 0;
    bool padded = false;
    for (;;) {
        if (*p == '\0' || *p == '\r' || padded) return count;
        // Validate the whole group before writing, so a terminator inside a
        // group is never read past.
        const int a = SextetOf(p[0]);
        if (a < 0) return -1;
        const int b = SextetOf(p[1]);
        if (b < 0) return -1;
        const bool thirdPad = p[2] == '=';
        const int c = thirdPad ? 0 : SextetOf(p[2]);
        if (c < 0) return -1;
        const bool fourthPad = p[3] == '=';
        const int d = fourthPad ? 0 : SextetOf(p[3]);
        if (d < 0) return -1;

        const unsigned long bits = (static_cast<unsigned long>(a) << 18) |
                                   (static_cast<unsigned long>(b) << 12) |
                                   (static_cast<unsigned long>(c) << 6) |
                                   static_cast<unsigned long>(d);
        const int bytes = thirdPad ? 1 : (fourthPad ? 2 : 3);
        for (int i = 0; i < bytes; ++i) {
            if (capacity != 0 && count >= capacity) return -1;
            output[count++] = static_cast<unsigned char>((bits >> (16 - 8 * i)) & 0xff);
        }
        padded = fourthPad;
        p += 4;
    }
}

std::string Base64Encode(const unsigned char* data, size_t length) {
    std::string out;
    if (data == nullptr) return out;
    out.reserve((length + 2) / 3 * 4);
    for (size_t i = 0; i < length; i += 3) {
        const size_t n = length - i < 3 ? length - i : 3;
        unsigned long bits = static_cast<unsigned long>(data[i]) << 16;
        if (n > 1) bits |= static_cast<unsigned long>(data[i + 1]) << 8;
        if (n > 2) bits |= static_cast<unsigned long>(data[i + 2]);
        out += kAlphabet[(bits >> 18) & 0x3f];
        out += kAlphabet[(bits >> 12) & 0x3f];
        out += n > 1 ? kAlphabet[(bits >> 6) & 0x3f] : '=';
        out += n > 2 ? kAlphabet[bits & 0x3f] : '=';
    }
    return out;
}
