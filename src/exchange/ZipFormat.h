#pragma once

#include <QtGlobal>

// Record signatures and fixed sizes of the ZIP format, shared by the archive
// writer and the directory reader.
namespace vellora::zipsupport {

inline constexpr quint32 kLocalSignature = 0x04034b50;
inline constexpr quint32 kCentralSignature = 0x02014b50;
inline constexpr quint32 kEndSignature = 0x06054b50;
inline constexpr qsizetype kLocalHeaderSize = 30;
inline constexpr qsizetype kCentralHeaderSize = 46;
inline constexpr qsizetype kEndRecordSize = 22;

}  // namespace vellora::zipsupport
