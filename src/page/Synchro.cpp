#include "Synchro.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <QDir>
#include <QSettings>
#include <QTemporaryFile>

#include "MediaDevice.h"
#include "Speech.h"
#include "WaveFile.h"
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

    // Speaking the page, under the rest.
    cbVoice = new QComboBox(this);
    cbVoice->setObjectName(QStringLiteral("cbVoice"));
    cbVoice->setEditable(true);
    seRate = new QSpinBox(this);
    seRate->setObjectName(QStringLiteral("seRate"));
    seRate->setRange(80, 450);
    seRate->setSingleStep(10);
    btnSpeak = button(this, "btnSpeak", texts::kSpeak, 110);
    btnSpeak->setToolTip(texts::kSpeakHint);
    auto* voiceLabel = new QLabel(texts::kVoice, this);
    voiceLabel->setBuddy(cbVoice);
    auto* rateLabel = new QLabel(texts::kRate, this);
    rateLabel->setBuddy(seRate);
    grid->addWidget(voiceLabel, 4, 0, 1, 2);
    grid->addWidget(cbVoice, 4, 2, 1, 3);
    grid->addWidget(btnSpeak, 4, 5, 1, 2);
    grid->addWidget(rateLabel, 4, 6);
    grid->addWidget(seRate, 4, 7);
    connect(btnSpeak, &QPushButton::clicked, this, &TSynchro::btnSpeakClick);

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

void TSynchro::loadVoices() {
    if (cbVoice->count() == 0) cbVoice->addItems(speechVoices());
    QSettings* settings = frame_.Settings();
    cbVoice->setCurrentText(settings ? settings->value(texts::kSpeechVoiceKey, QStringLiteral("en")).toString()
                                     : QStringLiteral("en"));
    seRate->setValue(settings ? settings->value(texts::kSpeechRateKey, 150).toInt() : 150);
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

void TSynchro::btnSpeakClick() {
    if (busy_ || frame_.WurdCount < 1) return;
    const QString target = frame_.MediaFileName(11, 0);
    if (target.isEmpty()) return;
    setBusy(true);
    QSettings* settings = frame_.Settings();
    if (settings) {
        settings->setValue(texts::kSpeechVoiceKey, cbVoice->currentText());
        settings->setValue(texts::kSpeechRateKey, seRate->value());
    }
    // The words as the page shows them, without the blanks that widen
    // narrow words.
    QStringList wurds;
    for (int n = 1; n <= frame_.WurdCount; ++n) wurds << frame_.Capshun(n).trimmed();
    const QString text = wurds.join(QLatin1Char(' '));
    QString why;
    const std::optional<SpokenText> spoken = speakText(text, cbVoice->currentText(), seRate->value(), &why);
    // Written beside the target and put in place whole, before any row says so.
    QTemporaryFile part(QDir(QFileInfo(target).absolutePath()).filePath(QStringLiteral("speak-XXXXXX.wav")));
    WaveWriter writer;
    const bool written = spoken && part.open() && writer.open(part.fileName(), spoken->sound.sampleRate, 1) &&
                         writer.write(spoken->sound.samples.data(), spoken->sound.frames()) && writer.close();
    if (MediaDevice* player = frame_.Player()) player->Close();
    if (!written || !saveFileDurably(part.fileName(), target, &why)) {
        frame_.SayMediaError(texts::kNarrationNotMade.arg(spoken ? (why.isEmpty() ? writer.errorString() : why) : why));
        setBusy(false);
        return;
    }
    emit pageSoundMade();
    const std::vector<int64_t> stops = stopTimesFromEvents(text, wurds, spoken->words, spoken->sound.lengthMs());
    for (int n = 0; n <= frame_.WurdCount; ++n) frame_.StopTimes[size_t(n)] = stops[size_t(n)];
    frame_.FreezeAll();
    SyncReady = false;
    frame_.CurrentWurd = 1;
    frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
    setBusy(false);
    emit synchronised();
}

void TSynchro::SetupMediaSynchro(bool prepareOnly) {
    SyncReady = false;
    SyncWurdCount = frame_.WurdCount;
    SyncWurd = 0;
    SpinIncrement->setValue(kDefaultIncrement);
    if (!prepareOnly) loadVoices();
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

void TSynchro::setBusy(bool busy) {
    busy_ = busy;
    // While a stretch plays the buttons show that they wait for it.
    for (QPushButton* b : {btnShorter, btnShorter1, btnShorter2, btnLonger2, btnLonger1, btnLonger, btnFreeze, btnSpeak})
        b->setEnabled(!busy);
}

void TSynchro::change(qint64 end) {
    if (busy_) return;
    setBusy(true);
    frame_.StopTimes[size_t(SyncWurd)] = end;
    ShowStretch(SyncWurd);
    Playyy(previousStop());
    setBusy(false);
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
    setBusy(true);
    SpinIncrement->setValue(kDefaultIncrement);
    if (SyncWurd >= 1) frame_.FreezeWurd(SyncWurd);
    ++SyncWurd;
    if (SyncWurd > SyncWurdCount) {
        if (MediaDevice* player = frame_.Player()) player->Close();
        SyncReady = false;
        frame_.CurrentWurd = 1;
        frame_.DrawAWurd(1, TFrame::WurdColor::White, 1);
        setBusy(false);
        emit synchronised();
        return;
    }
    frame_.SetNextWurdLength(SyncWurd, SyncWurdCount, frame_.StopTimes[size_t(SyncWurd) - 1], SoundLength);
    setWindowTitle(frame_.Capshun(SyncWurd));
    Playyy(frame_.StopTimes[size_t(SyncWurd) - 1]);
    setBusy(false);
}

}  // namespace vellora
