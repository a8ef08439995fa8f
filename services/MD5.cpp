// The MD5 message digest as published in RFC 1321: the four-word state, the
// 64-byte block transform, and the padding with the bit length at the end.
#include "services/MD5.h"

#include <cassert>
#include <cstring>

namespace {

// The per-round shift amounts of RFC 1321, section 3.4.
constexpr unsigned S11 = 7, S12 = 12, S13 = 17, S14 = 22;
constexpr unsigned S21 = 5, S22 = 9, S23 = 14, S24 = 20;
constexpr unsigned S31 = 4, S32 = 11, S33 = 16, S34 = 23;
constexpr unsigned S41 = 6, S42 = 10, S43 = 15, S44 = 21;

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

inline uint32_t RotateLeft(uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

// One step of a round: a = b + ((a + f(b, c, d) + x + ac) <<< s).
template<uint32_t (*Function)(uint32_t, uint32_t, uint32_t)>
inline void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, unsigned s, uint32_t ac)
{
    a += Function(b, c, d) + x + ac;
    a = RotateLeft(a, s) + b;
}

// Writes words as little-endian bytes, the digest's byte order.
void EncodeLittleEndian(unsigned char* out, const uint32_t* in, size_t words)
{
    for (size_t i = 0; i < words; ++i) {
        out[i * 4] = static_cast<unsigned char>(in[i]);
        out[i * 4 + 1] = static_cast<unsigned char>(in[i] >> 8);
        out[i * 4 + 2] = static_cast<unsigned char>(in[i] >> 16);
        out[i * 4 + 3] = static_cast<unsigned char>(in[i] >> 24);
    }
}

} // namespace

CMD5::CMD5()
    : m_count { 0, 0 }
    , m_state { 0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476 }
{
    std::memset(m_buffer, 0, sizeof(m_buffer));
}

CMD5::~CMD5() = default;

void CMD5::Update(const unsigned char* bytes, size_t length)
{
    if (length == 0)
        return;
    assert(bytes);

    // The bit count is kept modulo 2^64 in two words, low word first.
    size_t index = (m_count[0] >> 3) & 0x3f;
    uint64_t bits = (static_cast<uint64_t>(m_count[1]) << 32 | m_count[0]) + (static_cast<uint64_t>(length) << 3);
    m_count[0] = static_cast<uint32_t>(bits);
    m_count[1] = static_cast<uint32_t>(bits >> 32);

    // Complete the buffered block first, then digest whole blocks straight
    // from the input, and keep the tail for later.
    size_t room = 64 - index;
    size_t offset = 0;
    if (length >= room) {
        std::memcpy(m_buffer + index, bytes, room);
        Transform(m_buffer);
        for (offset = room; offset + 63 < length; offset += 64)
            Transform(bytes + offset);
        index = 0;
    }
    std::memcpy(m_buffer + index, bytes + offset, length - offset);
}

std::string CMD5::Final()
{
    // Pad to 56 bytes modulo 64 with a single 1 bit and zeros, then append
    // the bit count of the message before padding.
    static const unsigned char padding[64] = { 0x80 };
    unsigned char lengthBytes[8];
    EncodeLittleEndian(lengthBytes, m_count, 2);
    size_t index = (m_count[0] >> 3) & 0x3f;
    size_t padLength = index < 56 ? 56 - index : 120 - index;
    Update(padding, padLength);
    Update(lengthBytes, 8);
    assert(((m_count[0] >> 3) & 0x3f) == 0);

    unsigned char digest[16];
    EncodeLittleEndian(digest, m_state, 4);
    static const char hexDigits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (size_t i = 0; i < 16; ++i) {
        text[i * 2] = hexDigits[digest[i] >> 4];
        text[i * 2 + 1] = hexDigits[digest[i] & 0x0f];
    }
    return text;
}

void CMD5::Transform(const unsigned char block[64])
{
    uint32_t x[16];
    for (size_t i = 0; i < 16; ++i)
        x[i] = static_cast<uint32_t>(block[i * 4]) | static_cast<uint32_t>(block[i * 4 + 1]) << 8
            | static_cast<uint32_t>(block[i * 4 + 2]) << 16 | static_cast<uint32_t>(block[i * 4 + 3]) << 24;

    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];

    // Round 1.
    Step<F>(a, b, c, d, x[0], S11, 0xd76aa478);
    Step<F>(d, a, b, c, x[1], S12, 0xe8c7b756);
    Step<F>(c, d, a, b, x[2], S13, 0x242070db);
    Step<F>(b, c, d, a, x[3], S14, 0xc1bdceee);
    Step<F>(a, b, c, d, x[4], S11, 0xf57c0faf);
    Step<F>(d, a, b, c, x[5], S12, 0x4787c62a);
    Step<F>(c, d, a, b, x[6], S13, 0xa8304613);
    Step<F>(b, c, d, a, x[7], S14, 0xfd469501);
    Step<F>(a, b, c, d, x[8], S11, 0x698098d8);
    Step<F>(d, a, b, c, x[9], S12, 0x8b44f7af);
    Step<F>(c, d, a, b, x[10], S13, 0xffff5bb1);
    Step<F>(b, c, d, a, x[11], S14, 0x895cd7be);
    Step<F>(a, b, c, d, x[12], S11, 0x6b901122);
    Step<F>(d, a, b, c, x[13], S12, 0xfd987193);
    Step<F>(c, d, a, b, x[14], S13, 0xa679438e);
    Step<F>(b, c, d, a, x[15], S14, 0x49b40821);

    // Round 2.
    Step<G>(a, b, c, d, x[1], S21, 0xf61e2562);
    Step<G>(d, a, b, c, x[6], S22, 0xc040b340);
    Step<G>(c, d, a, b, x[11], S23, 0x265e5a51);
    Step<G>(b, c, d, a, x[0], S24, 0xe9b6c7aa);
    Step<G>(a, b, c, d, x[5], S21, 0xd62f105d);
    Step<G>(d, a, b, c, x[10], S22, 0x02441453);
    Step<G>(c, d, a, b, x[15], S23, 0xd8a1e681);
    Step<G>(b, c, d, a, x[4], S24, 0xe7d3fbc8);
    Step<G>(a, b, c, d, x[9], S21, 0x21e1cde6);
    Step<G>(d, a, b, c, x[14], S22, 0xc33707d6);
    Step<G>(c, d, a, b, x[3], S23, 0xf4d50d87);
    Step<G>(b, c, d, a, x[8], S24, 0x455a14ed);
    Step<G>(a, b, c, d, x[13], S21, 0xa9e3e905);
    Step<G>(d, a, b, c, x[2], S22, 0xfcefa3f8);
    Step<G>(c, d, a, b, x[7], S23, 0x676f02d9);
    Step<G>(b, c, d, a, x[12], S24, 0x8d2a4c8a);

    // Round 3.
    Step<H>(a, b, c, d, x[5], S31, 0xfffa3942);
    Step<H>(d, a, b, c, x[8], S32, 0x8771f681);
    Step<H>(c, d, a, b, x[11], S33, 0x6d9d6122);
    Step<H>(b, c, d, a, x[14], S34, 0xfde5380c);
    Step<H>(a, b, c, d, x[1], S31, 0xa4beea44);
    Step<H>(d, a, b, c, x[4], S32, 0x4bdecfa9);
    Step<H>(c, d, a, b, x[7], S33, 0xf6bb4b60);
    Step<H>(b, c, d, a, x[10], S34, 0xbebfbc70);
    Step<H>(a, b, c, d, x[13], S31, 0x289b7ec6);
    Step<H>(d, a, b, c, x[0], S32, 0xeaa127fa);
    Step<H>(c, d, a, b, x[3], S33, 0xd4ef3085);
    Step<H>(b, c, d, a, x[6], S34, 0x04881d05);
    Step<H>(a, b, c, d, x[9], S31, 0xd9d4d039);
    Step<H>(d, a, b, c, x[12], S32, 0xe6db99e5);
    Step<H>(c, d, a, b, x[15], S33, 0x1fa27cf8);
    Step<H>(b, c, d, a, x[2], S34, 0xc4ac5665);

    // Round 4.
    Step<I>(a, b, c, d, x[0], S41, 0xf4292244);
    Step<I>(d, a, b, c, x[7], S42, 0x432aff97);
    Step<I>(c, d, a, b, x[14], S43, 0xab9423a7);
    Step<I>(b, c, d, a, x[5], S44, 0xfc93a039);
    Step<I>(a, b, c, d, x[12], S41, 0x655b59c3);
    Step<I>(d, a, b, c, x[3], S42, 0x8f0ccc92);
    Step<I>(c, d, a, b, x[10], S43, 0xffeff47d);
    Step<I>(b, c, d, a, x[1], S44, 0x85845dd1);
    Step<I>(a, b, c, d, x[8], S41, 0x6fa87e4f);
    Step<I>(d, a, b, c, x[15], S42, 0xfe2ce6e0);
    Step<I>(c, d, a, b, x[6], S43, 0xa3014314);
    Step<I>(b, c, d, a, x[13], S44, 0x4e0811a1);
    Step<I>(a, b, c, d, x[4], S41, 0xf7537e82);
    Step<I>(d, a, b, c, x[11], S42, 0xbd3af235);
    Step<I>(c, d, a, b, x[2], S43, 0x2ad7d2bb);
    Step<I>(b, c, d, a, x[9], S44, 0xeb86d391);

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

std::string Md5Hex(const std::string& text)
{
    // The whole text is digested, whatever its length.
    CMD5 md5;
    md5.Update(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return md5.Final();
}
