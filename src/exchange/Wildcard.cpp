#include "Wildcard.h"

namespace vellora {

namespace {

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Greedy match with one backtrack point per star: linear in practice and never
// recursive, so a long hostile pattern cannot exhaust the stack.
bool plainMatch(QStringView pattern, QStringView name) {
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}

}  // namespace

bool WildcardMatch(const QString& pattern, const QString& name) {
    if (plainMatch(pattern, name)) return true;
    if (pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')))
        return plainMatch(QStringView(pattern).chopped(2), name);
    return false;
}

bool HasWildcard(const QString& text) {
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

}  // namespace vellora
