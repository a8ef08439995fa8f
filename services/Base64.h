// Base64 with a caller-chosen alphabet.
#pragma once

#include <cstddef>
#include <string>

// The tool's alphabet: standard base64 with "@" for 62 and "!" for 63.
extern const char kToolBase64Alphabet[];

// Encodes bytes with the 64-character alphabet and "=" padding, without line
// breaks.
std::string Base64Encode(const unsigned char* bytes, size_t length, const char* alphabet);
