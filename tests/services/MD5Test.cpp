#include "services/MD5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DigestCase {
    std::string text;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5, plus a text longer than one
// kilobyte (digested whole) and the million-"a" vector.
TEST(MD5Test, KnownVectors)
{
    const DigestCase cases[] = {
        { "", "d41d8cd98f00b204e9800998ecf8427e" },
        { "a", "0cc175b9c0f1b6a831c399e269772661" },
        { "abc", "900150983cd24fb0d6963f7d28e17f72" },
        { "message digest", "f96b697d7cb7938d525a2f31aaf161d0" },
        { "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b" },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f" },
        { "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
          "57edf4a22be3c955ac49da2e2107b67a" },
        { std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21" },
    };
    for (const DigestCase& c : cases)
        EXPECT_EQ(Md5Hex(c.text), c.digest) << "text of " << c.text.size() << " bytes";
}

// Feeding the bytes in pieces that straddle the 64-byte blocks and the
// 56-byte padding boundary gives the digest of the whole.
TEST(MD5Test, PiecewiseUpdateMatchesWhole)
{
    for (size_t length : { 55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u }) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>('!' + i % 90);
        for (size_t piece : { 1u, 7u, 63u, 64u }) {
            CMD5 md5;
            for (size_t at = 0; at < length; at += piece)
                md5.Update(reinterpret_cast<const unsigned char*>(text.data()) + at, std::min(piece, length - at));
            EXPECT_EQ(md5.Final(), Md5Hex(text)) << "length " << length << ", pieces of " << piece;
        }
    }
}

} // namespace
