#include "Synchro.h"

#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "MediaDevice.h"
#include "PageTexts.h"
#include "TFrame.h"

namespace vellora {
namespace {

constexpr int kDefaultIncrement = 100;

QPushButton* button(QWidget* parent, const char* name, const QString& text, int width) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedWidth(width);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* field(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(QStringLiteral("0"), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFixedWidth(70);
    return e;
}

}  // namespace

TSynchro::TSynchro(TFrame& frame, QWidget* parent) : QDialog(parent), frame_(frame) {
    setObjectName(QStringLiteral("Synchro"));
    setWindowTitle(texts::kSynchroCaption);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    setModal(false);

    auto* grid = new QGridLayout(this);
    // Left: the three sizes of Shorter and Longer, biggest outside, and Freeze.
    btnShorter = button(this, "btnShorter", QStringLiteral("<<<"), 48);
    btnShorter1 = button(this, "btnShorter1", QStringLiteral("<<"), 40);
    btnShorter2 = button(this, "btnShorter2", QStringLiteral("<"), 32);
    btnLonger2 = button(this, "btnLonger2", QStringLiteral(">"), 32);
    btnLonger1 = button(this, "btnLonger1", QStringLiteral(">>"), 40);
    btnLonger = button(this, "btnLonger", QStringLiteral(">>>"), 48);
    btnLonger->setToolTip(texts::kLongerHint);
    btnFreeze = button(this, "btnFreeze", QStringLiteral("&") + texts::kFreeze, 80);
    grid->addWidget(new QLabel(texts::kShorter, this), 0, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel(texts::kLonger, this), 0, 3, 1, 3, Qt::AlignCenter);
    QPushButton* row[] = {btnShorter, btnShorter1, btnShorter2, btnLonger2, btnLonger1, btnLonger};
    for (int k = 0; k < 6; ++k) grid->addWidget(row[k], 1, k, Qt::AlignCenter);
    grid->addWidget(new QLabel(texts::kFreeze, this), 2, 0, 1, 6, Qt::AlignCenter);
    grid->addWidget(btnFreeze, 3, 0, 1, 6, Qt::AlignCenter);
    // Right: the stretch and the step.
    eStart = field(this, "eStart");
    eEnd = field(this, "eEnd");
    SpinIncrement = new QSpinBox(this);
    SpinIncrement->setObjectName(QStringLiteral("SpinIncrement"));
    SpinIncrement->setRange(1, 1000);
    SpinIncrement->setSingleStep(10);
    SpinIncrement->setValue(kDefaultIncrement);
    SpinIncrement->setToolTip(texts::kIncrementHint);
    const std::pair<QString, QWidget*> right[] = {
        {texts::kStart, eStart}, {texts::kEnd, eEnd}, {texts::kIncrement, SpinIncrement}};
    int r = 0;
    for (const auto& [label, w] : right) {
        auto* l = new QLabel(label, this);
        l->setBuddy(w);
        grid->addWidget(l, r, 6);
        grid->addWidget(w, r++, 7);
    }

    connect(btnLonger, &QPushButton::clicked, this, [this] { btnLongerClick(StepSize::Full); });
    connect(btnLonger1, &QPushButton::clicked, this, [this] { btnLongerClick(StepSize::Quarter); });
    connect(btnLonger2, &QPushButton::clicked, this, [this] { btnLongerClick(StepSize::TwentyFifth); });
    connect(btnShorter, &QPushButton::clicked, this, [this] { btnShorterClick(StepSize::Full); });
    connect(btnShorter1, &QPushButton::clicked, this, [this] { btnShorterClick(StepSize::Quarter); });
    connect(btnShorter2, &QPushButton::clicked, this, [this] { btnShorterClick(StepSize::TwentyFifth); });
    connect(btnFreeze, &QPushButton::clicked, this, &TSynchro::btnFreezeClick);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

qint64 TSynchro::previousStop() const {
    return SyncWurd > 0 && SyncWurd <= kMaxWurds + 1 ? frame_.StopTimes[size_t(SyncWurd) - 1] : 0;
}

void TSynchro::ShowStretch(int i) {
    if (i < 0 || i > kMaxWurds + 1) return;
    eStart->setText(QString::number(i > 0 ? frame_.StopTimes[size_t(i) - 1] : 0));
    eEnd->setText(QString::number(frame_.StopTimes[size_t(i)]));
    eStart->repaint();
    eEnd->repaint();
}

void TSynchro::SetupMediaSynchro(bool prepareOnly) {
    SyncReady = false;
    SyncWurdCount = frame_.WurdCount;
    SyncWurd = 0;
    SpinIncrement->setValue(kDefaultIncrement);
    if (!prepareOnly) setWindowTitle(texts::kSynchroLeader);
    ShowStretch(0);
    MediaDevice* player = frame_.Player();
    if (!player || SyncWurdCount < 1 || !frame_.HasWurdRow(1)) return;
    const QString sound = frame_.MediaFileName(11, 0);
    if (sound.isEmpty() || !QFile::exists(sound)) return;
    player->setDeviceType(DeviceType::WaveAudio);
    player->setTimeFormat(TimeFormat::Milliseconds);
    player->setFileName(sound);
    if (!player->Open()) {
        // A page sound that cannot be played: said when the author asked to
        // synchronise; reading and word clicks stay silent.
        if (!prepareOnly) frame_.SayMediaError(player->errorText());
        return;
    }
    player->setAutoRewind(true);
    SoundLength = player->length();
    if (SoundLength <= 0) return;
    SyncReady = true;
    if (prepareOnly) return;
    frame_.EstimateSyllables();
    frame_.SetNextWurdLength(0, SyncWurdCount, 0, SoundLength);
    Playyy(0);
}

void TSynchro::Playyy(qint64 from) {
    if (!SyncReady) {
        // Set-up estimates afresh and plays the leader itself.
        SetupMediaSynchro(false);
        return;
    }
    MediaDevice* player = frame_.Player();
    if (!player || SyncWurd < 0 || SyncWurd > kMaxWurds + 1) return;
    player->setFrom(from);
    player->setTo(frame_.StopTimes[size_t(SyncWurd)]);
    player->setWait(true);
    player->Play();
}

void TSynchro::change(qint64 end) {
    if (busy_) return;
    busy_ = true;
    frame_.StopTimes[size_t(SyncWurd)] = end;
    ShowStretch(SyncWurd);
    Playyy(previousStop());
    busy_ = false;
}

void TSynchro::btnLongerClick(StepSize size) {
    // Before the set-up, or after the last word, a press starts over from the leader.
    if (!SyncReady) return Playyy(0);
    const qint64 cur = frame_.StopTimes[size_t(SyncWurd)];
    change(Lengthen(cur, StepOf(size, SpinIncrement->value()), previousStop(), SoundLength));
}

void TSynchro::btnShorterClick(StepSize size) {
    if (!SyncReady) return Playyy(0);
    const qint64 cur = frame_.StopTimes[size_t(SyncWurd)];
    change(Shorten(cur, StepOf(size, SpinIncrement->value()), previousStop(), SoundLength));
}

void TSynchro::btnFreezeClick() {
    if (busy_ || !SyncReady) return;
    busy_ = true;
    SpinIncrement->setValue(kDefaultIncrement);
    if (SyncWurd >= 1) frame_.FreezeWurd(SyncWurd);
    ++SyncWurd;
    if (SyncWurd > SyncWurdCount) {
        if (MediaDevice* player = frame_.Player()) player->Close();
        SyncReady = false;
        frame_.CurrentWurd = 1;
        frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
        busy_ = false;
        emit synchronised();
        return;
    }
    frame_.SetNextWurdLength(SyncWurd, SyncWurdCount, frame_.StopTimes[size_t(SyncWurd) - 1], SoundLength);
    setWindowTitle(frame_.Capshun(SyncWurd));
    Playyy(frame_.StopTimes[size_t(SyncWurd) - 1]);
    busy_ = false;
}

}  // namespace vellora
