#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace vellora {

// Font name, size (points), colour and StyleCode of a text.
struct FontAttributes {
    QString name;
    int size = 0;
    QColor color;
    int style = 0;
};

// The text that the font tools act on in a domain. A read answers nothing
// when the target has nothing to show at the moment (a page without words);
// `word` is the page window's current word where that matters.
class TextTarget {
public:
    virtual ~TextTarget() = default;
    virtual std::optional<QString> fontName(int word) const = 0;
    virtual std::optional<int> fontSize(int word) const = 0;
    virtual std::optional<QColor> fontColor(int word) const = 0;
    virtual std::optional<int> fontStyle(int word) const = 0;
    virtual void setFontName(const QString& name, int word) = 0;
    virtual void setFontSize(int size, int word) = 0;
    virtual void setFontColor(const QColor& color, int word) = 0;
    virtual void setFontStyle(int code, int word) = 0;
};

}  // namespace vellora
