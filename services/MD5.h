// The MD5 message digest (RFC 1321).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CMD5 {
public:
    CMD5();
    virtual ~CMD5();

    void Update(const unsigned char* bytes, size_t length);

    // Returns the digest as 32 lower-case hexadecimal digits. The object is
    // not reused afterwards.
    std::string Final();

private:
    void Transform(const unsigned char block[64]);

    unsigned char m_buffer[64];
    uint32_t m_count[2]; // Bits so far, low word first.
    uint32_t m_state[4];
};

// The 32-digit lower-case MD5 text of the text's bytes.
std::string Md5Hex(const std::string& text);
