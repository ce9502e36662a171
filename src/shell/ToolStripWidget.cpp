#include "ToolStripWidget.h"

#include <QIcon>

#include "DomainTexts.h"
#include "Rescale.h"
#include "ShellKeys.h"
#include "ShellResources.h"

namespace vellora {
namespace {

struct ToolRow {
    const char* name;
    const char* hint;
};

// Names and hints of the buttons, in the order of Tool.
constexpr std::array<ToolRow, kToolCount> kTools = {{
    {"btnExit", "Exit from Lesn or from Vellora."},
    {"btnReturn", "Return to previous step"},
    {"btnContinue", "Continue to the next step in Lesn production"},
    {"btnNew", "New Lesn or Page"},
    {"btnPrint", "Print page or Lesn"},
    {"btnText1", "Enter / edit text"},
    {"btnWalPaper", "Set background pattern"},
    {"btnFont1", "Change font attributes"},
    {"btnSize1", "Change font size"},
    {"btnColor1", "Change font color"},
    {"btnStyle", "Change font style"},
    {"btnAlign", "Align words"},
    {"btnQuestion", "Edit question text & sound"},
    {"btnChoices1", "Font, value & number of choices"},
    {"btnChoice1", "Text, value & sound of a choice"},
    {"btnRespond1", "Set responses to inccorect choices"},
    {"btnQPage", "View and test the question page"},
    {"btnPictSel", "Select a new picture"},
    {"btnPictViw", "View the picture."},
    {"btnMic2", "Record sound"},
    {"btnStop", "Stop recording sound"},
    {"btnSoundSel", "Select sound"},
    {"btnSoundView", "Play sound"},
    {"btnVideoSel", "Select video/movie"},
    {"btnVideoViw", "View the video."},
    {"btnVidCtlOn", "Let user control the video."},
    {"btnVidCtlOf", "Automatically play video"},
    {"btnRead3", "Read the words"},
}};

constexpr int kOffStrip = 2000;  // ClearIcons moves buttons out of sight here

}  // namespace

QString TToolStrip::hint(Tool t) { return QString::fromUtf8(kTools[kToolIndex(t)].hint); }
const char* TToolStrip::name(Tool t) { return kTools[kToolIndex(t)].name; }

TToolStrip::TToolStrip(QWidget* parent) : QFrame(parent) {
    initShellResources();
    setObjectName(QStringLiteral("Slider"));
    setFrameStyle(QFrame::NoFrame);
    setAutoFillBackground(true);
    setHoldsControls(this);
    placement_.place.fill(-1);
    for (int i = 0; i < kToolCount; ++i) {
        const Tool t = static_cast<Tool>(i);
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name(t)));
        b->setToolTip(hint(t));
        b->setStatusTip(hint(t));
        b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name(t)))));
        b->setIconSize(QSize(22, 22));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(kOffStrip, 3, kDesignIconWidth, kDesignIconWidth);
        b->hide();
        buttons_[i] = b;
    }
}

void TToolStrip::setNeighbours(QWidget* panel7, QWidget* panel2, QToolButton* iconsLeft, QToolButton* iconsRight) {
    panel7_ = panel7;
    panel2_ = panel2;
    iconsLeft_ = iconsLeft;
    iconsRight_ = iconsRight;
    iconsLeft_->setToolTip(texts::kHintIconsLeft);
    iconsRight_->setToolTip(texts::kHintIconsRight);
    connect(iconsLeft_, &QToolButton::clicked, this, &TToolStrip::IconsLeftClick);
    connect(iconsRight_, &QToolButton::clicked, this, &TToolStrip::IconsRightClick);
    // The strip slides under the panels on its left when scrolled.
    panel7_->raise();
    panel2_->raise();
}

void TToolStrip::setKey(Tool t, const QKeySequence& key) { button(t)->setToolTip(keys::hintWithKey(hint(t), key)); }

int TToolStrip::IconWidth() const { return button(Tool::btnExit)->width(); }

int TToolStrip::home() const {
    return (panel7_ ? panel7_->width() : 0) + (panel2_ ? panel2_->width() : 0) + 2;
}

void TToolStrip::ClearIcons() {
    placement_.place.fill(-1);
    for (QToolButton* b : buttons_) {
        b->move(kOffStrip, b->y());
        b->hide();
    }
}

void TToolStrip::Build(int domain, bool videoControlOn) {
    const int iconWidth = IconWidth();
    ClearIcons();
    placement_ = PlaceTools(domain, videoControlOn);
    for (int i = 0; i < kToolCount; ++i) {
        const int place = placement_.place[i];
        if (place < 0) continue;
        QToolButton* b = buttons_[i];
        b->move(place * iconWidth + 1, b->y());
        b->setVisible(placement_.shown[i]);
        b->setEnabled(placement_.enabled[i]);
    }
    scroll_ = ToolStripScroll{placement_.IconCount, 0};
    placeStrip();
    DimArrows();
}

void TToolStrip::ShowVideoControl(bool on) {
    QToolButton* off = button(Tool::btnVidCtlOf);
    QToolButton* onButton = button(Tool::btnVidCtlOn);
    // Only while the pair is on the strip (a rescale moves the parked ones too,
    // so their edge tells nothing).
    if (!placed(Tool::btnVidCtlOf)) return;
    off->setVisible(on);
    off->setEnabled(on);
    onButton->setVisible(!on);
    onButton->setEnabled(!on);
}

void TToolStrip::ShowRecording(bool recording) {
    QToolButton* mic = button(Tool::btnMic2);
    QToolButton* stop = button(Tool::btnStop);
    stop->setVisible(recording);
    stop->setEnabled(recording);
    mic->setVisible(!recording);
    mic->setEnabled(!recording);
    if (recording) stop->raise();
}

void TToolStrip::placeStrip() {
    const int iconWidth = IconWidth();
    setGeometry(scroll_.stripLeft(home(), iconWidth), y(), scroll_.stripWidth(iconWidth), height());
}

void TToolStrip::DimArrows() {
    if (iconsRight_) iconsRight_->setEnabled(scroll_.rightEnabled());
    if (iconsLeft_) iconsLeft_->setEnabled(scroll_.leftEnabled());
}

void TToolStrip::IconsLeftClick() {
    if (scroll_.scrollLeft()) placeStrip();
    DimArrows();
}

void TToolStrip::IconsRightClick() {
    if (scroll_.scrollRight()) placeStrip();
    DimArrows();
}

}  // namespace vellora
