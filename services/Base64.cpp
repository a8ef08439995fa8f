// Base64 encoding with a caller-chosen alphabet and "=" padding.
#include "services/Base64.h"

#include <cassert>
#include <cstring>

const char kToolBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@!";

std::string Base64Encode(const unsigned char* bytes, size_t length, const char* alphabet)
{
    assert(alphabet && std::strlen(alphabet) >= 64);
    std::string out;
    if (!bytes || length == 0)
        return out;
    out.reserve((length + 2) / 3 * 4);

    // Whole groups of three bytes give four characters each.
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned group = static_cast<unsigned>(bytes[i]) << 16 | static_cast<unsigned>(bytes[i + 1]) << 8 | bytes[i + 2];
        out += alphabet[(group >> 18) & 0x3f];
        out += alphabet[(group >> 12) & 0x3f];
        out += alphabet[(group >> 6) & 0x3f];
        out += alphabet[group & 0x3f];
    }

    // A final group of one or two bytes is completed with zero bytes; only
    // the characters that carry input bits are kept, then "=" pads to four.
    size_t rest = length - i;
    if (rest > 0) {
        unsigned group = static_cast<unsigned>(bytes[i]) << 16;
        if (rest == 2)
            group |= static_cast<unsigned>(bytes[i + 1]) << 8;
        out += alphabet[(group >> 18) & 0x3f];
        out += alphabet[(group >> 12) & 0x3f];
        out += rest == 2 ? alphabet[(group >> 6) & 0x3f] : '=';
        out += '=';
    }
    assert(out.size() % 4 == 0);
    return out;
}
