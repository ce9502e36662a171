#pragma once

#include <QFrame>
#include <QKeySequence>
#include <QToolButton>
#include <array>

#include "ToolStrip.h"

namespace vellora {

// The tool strip `Slider`: the 28 tool buttons, packed from the left for the
// current domain and scrolled by the two arrow buttons beside it.
class TToolStrip : public QFrame {
    Q_OBJECT
public:
    static constexpr int kDesignIconWidth = 28;

    explicit TToolStrip(QWidget* parent = nullptr);

    // The indicator box and the scroll-button panel left of the strip (their
    // widths give the strip's home edge), and the two scroll buttons.
    void setNeighbours(QWidget* panel7, QWidget* panel2, QToolButton* iconsLeft, QToolButton* iconsRight);

    QToolButton* button(Tool t) const { return buttons_[kToolIndex(t)]; }
    int IconWidth() const;
    // The button has a place on the strip in the current domain (it may
    // still be hidden when it shares the place with another).
    bool placed(Tool t) const { return placement_.placeOf(t) >= 0; }
    // Adds a key to a button's tool tip.
    void setKey(Tool t, const QKeySequence& key);
    const ToolStripScroll& scroll() const { return scroll_; }

    // Rebuilds the strip for a domain; the scroll goes back to 0.
    void Build(int domain, bool videoControlOn);
    // Shows one video-control button in the shared place.
    void ShowVideoControl(bool on);
    // The stop tool in the microphone's place while a recording runs.
    void ShowRecording(bool recording);
    void ClearIcons();
    void DimArrows();
    void IconsLeftClick();
    void IconsRightClick();

    // The hint of a tool button.
    static QString hint(Tool t);
    static const char* name(Tool t);

private:
    int home() const;
    void placeStrip();

    std::array<QToolButton*, kToolCount> buttons_{};
    QWidget* panel7_ = nullptr;
    QWidget* panel2_ = nullptr;
    QToolButton* iconsLeft_ = nullptr;
    QToolButton* iconsRight_ = nullptr;
    ToolStripScroll scroll_;
    ToolPlacement placement_;
};

}  // namespace vellora
