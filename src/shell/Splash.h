#pragma once

#include <QWidget>

namespace vellora {

// The splash window: on screen while the program starts, closed when the main
// window first becomes active.
class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 361;
    static constexpr int kHeight = 234;

    explicit TSplashScreen(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace vellora
