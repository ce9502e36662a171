#pragma once

#include <QString>

namespace vellora {

// Matches a file name against a wildcard pattern the way the program's users
// know it: "*" is any run of characters, "?" is one character, letters match
// without regard to case, and a pattern ending in ".*" also takes names without
// an extension ("*.*" takes every name).
bool WildcardMatch(const QString& pattern, const QString& name);

// True when the text holds a wildcard character.
bool HasWildcard(const QString& text);

}  // namespace vellora
