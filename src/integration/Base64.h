#pragma once
// Base64 (standard alphabet with "=" padding) as the launcher clients write it.
#include <cstddef>
#include <string>

// Decodes zero-terminated narrow text into `output`. A leading "+ " is
// skipped; decoding stops at the terminator, at a CR, or after a group that
// ended in "=". Returns the number of bytes written, or -1 when a group is
// malformed or `capacity` (0: unlimited) would be exceeded; the bytes written
// before that stay in `output`. Null text or output gives -1.
int Base64Decode(const char* text, unsigned char* output, int capacity);

// Encodes bytes with "=" padding (the writer's side).
std::string Base64Encode(const unsigned char* data, size_t length);
