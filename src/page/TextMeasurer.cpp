#include "TextMeasurer.h"

#include <QFontMetrics>

namespace vellora {

QSize FontMetricsMeasurer::measure(const QFont& font, const QString& text) const {
    const QFontMetrics fm(font);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

}  // namespace vellora
