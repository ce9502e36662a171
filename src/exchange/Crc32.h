#pragma once

#include <QtGlobal>
#include <cstddef>

namespace vellora {

// The CRC-32 of ZIP archives, continued over `length` more bytes: the same
// value as zlib's crc32(crc, data, length), so Crc32(0, nullptr, 0) is 0 and a
// buffer may be checked in pieces. Uses the processor's carry-less multiply
// where there is one, which is many times faster on large buffers.
quint32 Crc32(quint32 crc, const void* data, std::size_t length);

// The same without the fast path, to check it against.
quint32 Crc32Plain(quint32 crc, const void* data, std::size_t length);

}  // namespace vellora
