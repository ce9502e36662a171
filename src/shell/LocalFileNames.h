#pragma once

#include <QString>

// The file-name rule of media files and lesson directories, kept here until
// the store's own FileNames.h takes its place.
namespace vellora::local {

// Prefix + the first (8 - length(prefix) - length(number)) characters of
// "00000000" + number + extension; no zeros when that count is 0 or less,
// and nothing is cut: FilePath("L", "123", ".WAV") = "L0000123.WAV",
// FilePath("", "123", "") = "00000123".
QString FilePath(const QString& prefix, const QString& number, const QString& extension);

}  // namespace vellora::local
