#include "Crc32.h"

#include <zlib.h>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VELLORA_CRC_FOLD 1
#endif

namespace vellora {

namespace {

#ifdef VELLORA_CRC_FOLD

#define VELLORA_CLMUL __attribute__((target("pclmul,sse4.1")))

VELLORA_CLMUL inline __m128i load16(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// a times the power of x in k (its two halves for a's two halves), added to b.
VELLORA_CLMUL inline __m128i fold(__m128i a, __m128i k, __m128i b) {
    const __m128i lo = _mm_clmulepi64_si128(a, k, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(a, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(hi, lo), b);
}

// Folds the data into four 128-bit lanes by carry-less multiplication, then
// reduces them to the 32-bit remainder (Barrett reduction). The constants are
// powers of x modulo the bit-reflected ZIP polynomial 0x1DB710641: x^(512+64)
// and x^512 for the fold over 64 bytes, x^(128+64) and x^128 for the fold over
// 16 bytes, x^64 for the last 64 bits, and the polynomial with its Barrett
// quotient. `state` is the CRC register, before and after (not inverted);
// `length` is at least 64 and a multiple of 16.
VELLORA_CLMUL quint32 foldCrc(quint32 state, const unsigned char* p, std::size_t length) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

    __m128i x1 = _mm_xor_si128(load16(p), _mm_cvtsi32_si128(int(state)));
    __m128i x2 = load16(p + 16);
    __m128i x3 = load16(p + 32);
    __m128i x4 = load16(p + 48);
    p += 64;
    length -= 64;
    while (length >= 64) {
        x1 = fold(x1, k1k2, load16(p));
        x2 = fold(x2, k1k2, load16(p + 16));
        x3 = fold(x3, k1k2, load16(p + 32));
        x4 = fold(x4, k1k2, load16(p + 48));
        p += 64;
        length -= 64;
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    while (length >= 16) {
        x1 = fold(x1, k3k4, load16(p));
        p += 16;
        length -= 16;
    }

    // 128 bits to 64.
    __m128i x2r = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
    x2r = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, low32);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k5, 0x00), x2r);

    // 64 bits to 32.
    __m128i t = _mm_and_si128(x1, low32);
    t = _mm_clmulepi64_si128(t, poly, 0x10);
    t = _mm_and_si128(t, low32);
    t = _mm_clmulepi64_si128(t, poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    return quint32(_mm_extract_epi32(x1, 1));
}

bool canFold() {
    static const bool yes = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return yes;
}

#endif

}  // namespace

quint32 Crc32Plain(quint32 crc, const void* data, std::size_t length) {
    return quint32(crc32_z(crc, static_cast<const Bytef*>(data), length));
}

quint32 Crc32(quint32 crc, const void* data, std::size_t length) {
    const auto* p = static_cast<const unsigned char*>(data);
#ifdef VELLORA_CRC_FOLD
    if (length >= 64 && canFold()) {
        const std::size_t bulk = length & ~std::size_t(15);
        crc = ~foldCrc(~crc, p, bulk);
        p += bulk;
        length -= bulk;
    }
#endif
    return Crc32Plain(crc, p, length);
}

}  // namespace vellora
