#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace vellora {

class TMainForm;

// The main window sees every key of its controls first: F1 opens the help of
// the current domain, and the other keys go to the page window or the title
// screen, whichever shows, before the focused control gets them.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    explicit KeyPreview(TMainForm& form);

    // A control where typing enters text (where the letter u is just a letter).
    static bool isTextEntry(const QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool route(QKeyEvent* key, QWidget* receiver);

    TMainForm& form_;
    const QEvent* lastEvent_ = nullptr;
    QPointer<QWidget> lastReceiver_;
};

}  // namespace vellora
