#pragma once

#include <QString>

namespace vellora {

// Text of the status string table; empty for an id that has none.
QString statusString(int id);

// The one writer of the status line. Long operations report their progress
// and notice a cancel through it; the main window's status panel and gauge are
// its on-screen form, and tests and the command-line tool use their own.
class StatusLine {
public:
    virtual ~StatusLine() = default;

    // Replace the status text and show it at once.
    virtual void setStatusText(const QString& text) = 0;

    // Show or hide the progress gauge at `percent`.
    virtual void ShowProgress(bool visible, int percent) {
        (void)visible;
        (void)percent;
    }

    // True once the user has asked a long operation to stop.
    virtual bool cancelRequested() const { return false; }

    // Prefix + " " + string `stringId` + " " + suffix.
    void Status(const QString& prefix, const QString& suffix, int stringId) {
        setStatusText(prefix + QLatin1Char(' ') + statusString(stringId) + QLatin1Char(' ') + suffix);
    }
};

// A status line that shows nothing, for work done without a window.
class SilentStatusLine : public StatusLine {
public:
    void setStatusText(const QString&) override {}
};

}  // namespace vellora
