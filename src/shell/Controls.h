#pragma once

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

}  // namespace vellora
