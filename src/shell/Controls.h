#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>

namespace vellora {

// A pie gauge: a circle filled clockwise from twelve o'clock to `percent`.
class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);
    int progress() const { return progress_; }
    void setProgress(int percent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int progress_ = 0;
};

// Two stacked arrow buttons, up and down.
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent = nullptr);
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void upClicked();
    void downClicked();

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

// The status line: one line whose font follows the line's height and shrinks
// for a text too long for its width, so that a hint shows whole. Only a text
// too long even at the smallest readable size is cut, ending in an ellipsis.
class TStatusLine : public QLabel {
    Q_OBJECT
public:
    static constexpr int kSmallestPixelSize = 8;

    explicit TStatusLine(QWidget* parent = nullptr);
    // The font the text is drawn in at the present size.
    QFont fittedFont() const;

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace vellora
