#include "Synchro.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <QDir>
#include <QSettings>
#include <QTemporaryFile>

#include "MediaDevice.h"
#include "Aligner.h"
#include "Speech.h"
#include "WaitUntil.h"

#include <atomic>
#include <thread>
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
    auto* speakRow = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{voiceLabel, cbVoice, rateLabel, seRate, btnSpeak})
        speakRow->addWidget(w);
    grid->addLayout(speakRow, 4, 0, 1, 8);
    connect(btnSpeak, &QPushButton::clicked, this, &TSynchro::btnSpeakClick);
    // Aligning: the button (Cancel while it runs), its progress, the words found.
    btnAlign = button(this, "btnAlign", texts::kAlign, 80);
    btnAlign->setToolTip(texts::kAlignHint);
    btnReview = button(this, "btnReview", texts::kReview, 80);
    btnReview->setToolTip(texts::kReviewHint);
    btnReview->setEnabled(false);
    pbAlign = new QProgressBar(this);
    pbAlign->setObjectName(QStringLiteral("pbAlign"));
    pbAlign->setRange(0, 100);
    pbAlign->hide();
    lstWords = new QListWidget(this);
    lstWords->setObjectName(QStringLiteral("lstWords"));
    lstWords->setMinimumHeight(90);
    lstWords->hide();
    auto* alignRow = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{btnAlign, btnReview, pbAlign}) alignRow->addWidget(w);
    alignRow->addStretch();
    grid->addLayout(alignRow, 5, 0, 1, 8);
    grid->addWidget(lstWords, 6, 0, 1, 8);
    connect(btnAlign, &QPushButton::clicked, this, &TSynchro::btnAlignClick);
    connect(btnReview, &QPushButton::clicked, this, &TSynchro::btnReviewClick);
    connect(lstWords, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!busy_) frame_.SayWurd(lstWords->row(item) + 1);
    });

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
    const bool written = spoken && part.open() && writeWave(part.fileName(), spoken->sound, &why);
    if (MediaDevice* player = frame_.Player()) player->Close();
    if (!written || !saveFileDurably(part.fileName(), target, &why)) {
        frame_.SayMediaError(texts::kNarrationNotMade.arg(why));
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

void TSynchro::btnAlignClick() {
    if (aligning_) {
        cancelAlign_ = true;
        return;
    }
    if (busy_ || frame_.WurdCount < 1) return;
    const QString sound = frame_.MediaFileName(11, 0);
    if (sound.isEmpty() || !QFile::exists(sound)) {
        frame_.SayMediaError(texts::kNoPageSound);
        return;
    }
    QStringList wurds;
    for (int n = 1; n <= frame_.WurdCount; ++n) wurds << frame_.Capshun(n).trimmed();
    setBusy(true);
    aligning_ = true;
    cancelAlign_ = false;
    btnAlign->setEnabled(true);
    btnAlign->setText(texts::kAlignCancel);
    pbAlign->setValue(0);
    pbAlign->show();
    // The work runs beside the user interface, which shows its progress and
    // takes the Cancel; nothing is changed until it has finished.
    std::atomic<int> percent{0};
    std::atomic<bool> done{false};
    std::optional<Alignment> result;
    QString why;
    std::thread worker([&] {
        QString error;
        const std::optional<WaveSound> wave = readWave(sound, &error);
        std::optional<Alignment> a;
        if (wave)
            a = alignWords(*wave, wurds, &error, [&](int p) {
                percent = p;
                return !cancelAlign_;
            });
        result = std::move(a);
        why = error;
        done = true;
    });
    waitUntil([&] {
        pbAlign->setValue(percent);
        return done.load();
    });
    worker.join();
    aligning_ = false;
    pbAlign->hide();
    btnAlign->setText(texts::kAlign);
    setBusy(false);
    // Cancelled, or the page changed meanwhile: nothing is changed.
    if (cancelAlign_ || frame_.MediaFileName(11, 0) != sound || frame_.WurdCount != int(wurds.size())) return;
    if (!result) {
        frame_.SayMediaError(why);
        return;
    }
    Confidence.assign(size_t(frame_.WurdCount) + 1, 1.0);
    if (!frame_.Frozen[1]) frame_.StopTimes[0] = result->stops[0];
    for (int n = 1; n <= frame_.WurdCount; ++n) {
        Confidence[size_t(n)] = result->confidence[size_t(n) - 1];
        if (!frame_.Frozen[size_t(n)]) frame_.StopTimes[size_t(n)] = result->stops[size_t(n)];
    }
    showWords();
    btnReview->setEnabled(nextToReview(0) > 0);
}

void TSynchro::AlignPage() {
    loadVoices();
    setWindowTitle(texts::kSynchroLeader);
    SetupMediaSynchro(true);
    btnAlignClick();
}

void TSynchro::showWords() {
    lstWords->clear();
    for (int n = 1; n <= frame_.WurdCount; ++n) {
        const double c = n < int(Confidence.size()) ? Confidence[size_t(n)] : 1.0;
        auto* item = new QListWidgetItem(
            texts::AlignedWurd(n, frame_.Capshun(n).trimmed(), frame_.StopTimes[size_t(n)], c), lstWords);
        if (c < kLowConfidence && !frame_.Frozen[size_t(n)]) item->setForeground(Qt::red);
    }
    lstWords->show();
    adjustSize();
}

int TSynchro::nextToReview(int n) const {
    for (int k = n + 1; k <= frame_.WurdCount && k < int(Confidence.size()); ++k)
        if (Confidence[size_t(k)] < kLowConfidence && !frame_.Frozen[size_t(k)]) return k;
    return 0;
}

void TSynchro::btnReviewClick() {
    const int first = nextToReview(0);
    if (busy_ || first == 0) return;
    if (!SyncReady) {
        // Ready without the leader's estimate: the aligned times stay.
        const StopTimeTable kept = frame_.StopTimes;
        SetupMediaSynchro(true);
        frame_.StopTimes = kept;
        if (!SyncReady) return;
    }
    Reviewing = true;
    SyncWurd = first;
    ShowStretch(SyncWurd);
    setWindowTitle(frame_.Capshun(SyncWurd));
    Playyy(frame_.StopTimes[size_t(SyncWurd) - 1]);
}

void TSynchro::SetupMediaSynchro(bool prepareOnly) {
    SyncReady = false;
    Reviewing = false;
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
    for (QPushButton* b :
         {btnShorter, btnShorter1, btnShorter2, btnLonger2, btnLonger1, btnLonger, btnFreeze, btnSpeak, btnAlign})
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
    if (Reviewing) {
        // Review goes on to the next unsure word and keeps its aligned time.
        showWords();
        SyncWurd = nextToReview(SyncWurd);
        if (SyncWurd == 0) {
            Reviewing = false;
            btnReview->setEnabled(false);
            SyncReady = false;
            setBusy(false);
            emit synchronised();
            return;
        }
        ShowStretch(SyncWurd);
        setWindowTitle(frame_.Capshun(SyncWurd));
        Playyy(frame_.StopTimes[size_t(SyncWurd) - 1]);
        setBusy(false);
        return;
    }
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
