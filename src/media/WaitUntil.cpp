#include "WaitUntil.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace vellora {

namespace {
constexpr int kCheckIntervalMs = 2;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    if (done()) return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    bool reached = false;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            reached = true;
            loop.quit();
        } else if (limit.count() > 0 && clock.elapsed() >= limit.count()) {
            loop.quit();
        }
    });
    check.start(kCheckIntervalMs);
    loop.exec();
    return reached;
}

}  // namespace vellora
