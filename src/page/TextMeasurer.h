#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace vellora {

// Measures single-line text: its pixel width and height in a font. Layout
// rules take one of these so that tests can check them with exact numbers.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual QSize measure(const QFont& font, const QString& text) const = 0;
};

// The platform's text metrics.
class FontMetricsMeasurer : public TextMeasurer {
public:
    QSize measure(const QFont& font, const QString& text) const override;
};

}  // namespace vellora
