#include "Rescale.h"

#include <cstdlib>

namespace vellora {

int mulDiv(int a, int b, int c) {
    if (c == 0) return a;
    const long long p = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const long long q = negative ? -((std::llabs(p) + half) / std::llabs(c)) : (std::llabs(p) + half) / std::llabs(c);
    return static_cast<int>(q);
}

int StatusFontSize(int clientHeight) {
    // Exact integer arithmetic: 2% of the height, halves to the even neighbour.
    const int twice = clientHeight * 2;
    int size = twice / 100;
    const int rest = twice % 100;
    if (rest > 50 || (rest == 50 && size % 2 != 0)) ++size;
    return size < 5 ? 5 : size;
}

QRect scaleRect(const QRect& r, int oldWidth, int oldHeight, int newWidth, int newHeight) {
    // Edges are scaled, not sizes, so neighbouring controls stay flush.
    const int left = mulDiv(r.left(), newWidth, oldWidth);
    const int right = mulDiv(r.left() + r.width(), newWidth, oldWidth);
    const int top = mulDiv(r.top(), newHeight, oldHeight);
    const int bottom = mulDiv(r.top() + r.height(), newHeight, oldHeight);
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace vellora
