#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "TextMeasurer.h"

namespace vellora {

// The blank screen shown when neither the title nor a page is. It holds the
// lesson's default font sample and measures text in its own current font.
class TUtil : public QWidget {
    Q_OBJECT
public:
    explicit TUtil(QWidget* parent = nullptr);
    ~TUtil() override;

    // The lesson's default font for new pages, shown in domain 1.
    QLabel* DefaultFont;
    // The offer of the sample lesson, shown in the Start domain.
    QPushButton* btnSample;

    // Sets MeasuredHeight and MeasuredWidth to the size of `text` in this
    // window's current font.
    void Measure(const QString& text);
    int MeasuredHeight = 0;
    int MeasuredWidth = 0;

    // Replaces the platform measuring (tests give exact numbers); nullptr
    // goes back to the platform's. Not owned.
    void setMeasurer(const TextMeasurer* measurer);
    const TextMeasurer& measurer() const { return *measurer_; }

signals:
    void clicked();
    void rightPressed();
    // Every measurement, for the page window's word layout.
    void measured(int width, int height);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    FontMetricsMeasurer platform_;
    const TextMeasurer* measurer_;
};

}  // namespace vellora
