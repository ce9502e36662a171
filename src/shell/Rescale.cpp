#include "Rescale.h"

#include <QFrame>
#include <QGroupBox>
#include <QWidget>
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

namespace {

constexpr const char* kHoldsControls = "vellora_holdsControls";

bool holdsControls(const QWidget* w) {
    const QMetaObject* type = w->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject ||
           type == &QGroupBox::staticMetaObject || w->property(kHoldsControls).toBool();
}

void collect(QWidget* holder, const std::function<bool(const QWidget*)>& skip, QList<QWidget*>& out) {
    for (QWidget* w : holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // Pop-up windows of a control (a combo box's list) are not inside it.
        if (w->isWindow() || (skip && skip(w))) continue;
        out.append(w);
        if (holdsControls(w)) collect(w, skip, out);
    }
}

}  // namespace

void setHoldsControls(QWidget* w) { w->setProperty(kHoldsControls, true); }

QList<QWidget*> scaledControls(QWidget* root, const std::function<bool(const QWidget*)>& skip) {
    QList<QWidget*> out;
    collect(root, skip, out);
    return out;
}

}  // namespace vellora
