// The page window's video: the video panel, showing a video file, and the
// player's button bar.

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <QVideoWidget>

#include "Dialogs.h"
#include "MediaDevice.h"
#include "PageGeometry.h"
#include "PageTexts.h"
#include "TFrame.h"

namespace vellora {

namespace {
// How far the step and back buttons move.
constexpr int64_t kStepMs = 1000;
}  // namespace

TVideoPanel::TVideoPanel(TFrame* owner) : QFrame(owner), owner_(owner) {
    setObjectName(QStringLiteral("VideoPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    hide();
}

void TVideoPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (VideoWidget) VideoWidget->setGeometry(rect().adjusted(2, 2, -2, -2));
}

bool TVideoPanel::Open() {
    TFrame& frame = *owner_;
    bool opened = false;
    if (MP) {
        // Made at the first video: it starts the video back end, which a
        // lesson without videos never needs.
        if (!VideoWidget) {
            VideoWidget = new QVideoWidget(this);
            VideoWidget->setObjectName(QStringLiteral("VideoWidget"));
            VideoWidget->setGeometry(rect().adjusted(2, 2, -2, -2));
            VideoWidget->show();
        }
        MP->setDeviceType(DeviceType::Video);
        MP->setDisplay(VideoWidget);
        opened = MP->Open();
    }
    if (!opened) {
        if (frame.dialogs_) frame.dialogs_->warning(texts::kVideoNotOpened);
        return false;
    }
    frame.PicturePanel->hide();
    MP->setButtonBarVisible(frame.VideoControlShown);
    frame.MediaPlayer1->setVisible(frame.VideoControlShown);
    frame.MediaPlayer1->setEnabled(frame.VideoControlShown);
    frame.MediaPlayer1->resize(kPlayerBarSize);
    // A zero-sized destination reads back as the video's own size.
    MP->setDisplayRect(QRect(2, 2, 0, 0));
    setGeometry(VideoPanelRect(MP->displayRect(), frame.size(), frame.wurdsBoxRight()));
    show();
    return true;
}

void TFrame::btnVideoClick(const QString& file) {
    if (player_) player_->setFileName(file);
    if (!VideoPanel->Open()) return;
    player_->setAutoRewind(false);
    player_->setWait(false);
    player_->Play();
    player_->setNotify(true);
}

void TFrame::BuildPlayerBar() {
    auto* row = new QHBoxLayout(MediaPlayer1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    // Each button acts on the player of the moment (it is handed in later
    // and may change), and only on a video: the player is shared with the
    // page's sounds, and the bar may be left showing after its video. The
    // file has no tracks, so next and previous go to its end and its start;
    // step and back move a second.
    const auto add = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint,
                         void (*act)(MediaDevice&)) {
        auto* b = new QToolButton(MediaPlayer1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, act] {
            if (player_ && player_->isOpen() && player_->deviceType() == DeviceType::Video)
                act(*player_);
        });
    };
    add("btnBarPlay", QStyle::SP_MediaPlay, texts::kBarPlay, [](MediaDevice& p) { p.Play(); });
    add("btnBarPause", QStyle::SP_MediaPause, texts::kBarPause, [](MediaDevice& p) { p.Pause(); });
    add("btnBarStop", QStyle::SP_MediaStop, texts::kBarStop, [](MediaDevice& p) { p.Stop(); });
    add("btnBarNext", QStyle::SP_MediaSkipForward, texts::kBarNext,
        [](MediaDevice& p) { p.Seek(p.length()); });
    add("btnBarPrevious", QStyle::SP_MediaSkipBackward, texts::kBarPrevious,
        [](MediaDevice& p) { p.Seek(0); });
    add("btnBarStep", QStyle::SP_MediaSeekForward, texts::kBarStep,
        [](MediaDevice& p) { p.Seek(p.position() + kStepMs); });
    add("btnBarBack", QStyle::SP_MediaSeekBackward, texts::kBarBack,
        [](MediaDevice& p) { p.Seek(p.position() - kStepMs); });
}

}  // namespace vellora
