#pragma once

#include <QWidget>

namespace vellora {

// The 16-colour grid: four rows of four cells in ColorCode order. A click (or
// Space/Enter on the selected cell) selects a cell and reports it; leaving
// the grid is reported too, so that its pop-up can close.
class TColorGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 4;
    static constexpr int kRows = 4;

    explicit TColorGrid(QWidget* parent = nullptr);

    int selectedIndex() const { return selected_; }
    void setSelectedIndex(int index);
    // The cell under a point, or -1.
    int indexAt(const QPoint& pos) const;
    QRect cellRect(int index) const;

signals:
    void clicked(int index);
    void exited();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    int selected_ = 0;
};

}  // namespace vellora
