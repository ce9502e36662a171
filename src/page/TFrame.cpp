#include "TFrame.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QSettings>
#include <QStringDecoder>

#include "AppState.h"
#include "Dialogs.h"
#include "PageTexts.h"
#include "PageGeometry.h"
#include "Synchro.h"
#include "TextCodes.h"
#include "WurdLayout.h"

namespace vellora {
namespace {

constexpr qint64 kMaxTextFile = 1 << 20;

QColor textColorOf(const QWidget* w) { return w->palette().color(QPalette::Text); }

void setTextColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

// The font tools on the text box: the font of new words.
class TextBoxTarget : public TextTarget {
public:
    explicit TextBoxTarget(QPlainTextEdit* box) : box_(box) {}
    std::optional<QString> fontName(int) const override { return box_->font().family(); }
    std::optional<int> fontSize(int) const override { return box_->font().pointSize(); }
    std::optional<QColor> fontColor(int) const override { return textColorOf(box_); }
    std::optional<int> fontStyle(int) const override { return StyleCodeOf(StyleOfFont(box_->font())); }
    void setFontName(const QString& name, int) override {
        QFont f = box_->font();
        f.setFamily(name);
        box_->setFont(f);
    }
    void setFontSize(int size, int) override {
        QFont f = box_->font();
        if (size > 0) f.setPointSize(size);
        box_->setFont(f);
    }
    void setFontColor(const QColor& color, int) override { setTextColor(box_, color); }
    void setFontStyle(int code, int) override { box_->setFont(FontWithStyle(box_->font(), code)); }

private:
    QPlainTextEdit* box_;
};

// The font tools on one word of the page: the word the author selected.
class WurdTarget : public TextTarget {
public:
    explicit WurdTarget(TFrame& frame) : frame_(frame) {}
    std::optional<QString> fontName(int n) const override {
        if (TWurd* w = frame_.wurd(n)) return w->font().family();
        return std::nullopt;
    }
    std::optional<int> fontSize(int n) const override {
        if (TWurd* w = frame_.wurd(n)) return w->font().pointSize();
        return std::nullopt;
    }
    std::optional<QColor> fontColor(int n) const override {
        if (TWurd* w = frame_.wurd(n)) return textColorOf(w);
        return std::nullopt;
    }
    std::optional<int> fontStyle(int n) const override {
        if (TWurd* w = frame_.wurd(n)) return StyleCodeOf(StyleOfFont(w->font()));
        return std::nullopt;
    }
    void setFontName(const QString& name, int n) override {
        change(n, [&](QFont& f) { f.setFamily(name); });
    }
    void setFontSize(int size, int n) override {
        change(n, [&](QFont& f) {
            if (size > 0) f.setPointSize(size);
        });
    }
    void setFontColor(const QColor& color, int n) override {
        if (TWurd* w = frame_.wurd(n)) setTextColor(w, color);
    }
    void setFontStyle(int code, int n) override {
        change(n, [&](QFont& f) { f = FontWithStyle(f, code); });
    }

private:
    // A word's box follows its font: the width and height are measured again.
    template <class F>
    void change(int n, F&& f) {
        TWurd* w = frame_.wurd(n);
        if (!w) return;
        QFont font = w->font();
        f(font);
        w->setFont(font);
        const QSize size = frame_.measurer().measure(font, w->text());
        w->resize(size);
        frame_.DrawAWurd(n, TFrame::WurdColor::White, 1);
    }
    TFrame& frame_;
};

}  // namespace

TOutline::TOutline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("shpWOutline"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TOutline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::red);
    QPen pen(Qt::red);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TFrame::TFrame(QWidget* parent) : QWidget(parent), FileName(texts::kUntitled), measurer_(&platform_) {
    setObjectName(QStringLiteral("Frame"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    resize(kFrameDesignSize);
    previousSize_ = kFrameDesignSize;

    sbWurdsBox = owned<QFrame>("sbWurdsBox", kWurdsBoxRect);
    sbWurdsBox->setAutoFillBackground(true);
    QPalette white = sbWurdsBox->palette();
    white.setColor(QPalette::Window, Qt::white);
    sbWurdsBox->setPalette(white);
    sbWurdsBox->hide();
    // The outline and the staging label sit in the words box but are not
    // among its words.
    shpWOutline = new TOutline(sbWurdsBox);
    shpWOutline->lower();
    lbTestWurd = new QLabel(sbWurdsBox);
    lbTestWurd->setObjectName(QStringLiteral("lbTestWurd"));
    lbTestWurd->hide();
    ParkTestWurd();

    TextBox = owned<QPlainTextEdit>("TextBox", kTextBoxRect);
    TextBox->setTabChangesFocus(false);
    TextBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette aqua = TextBox->palette();
    aqua.setColor(QPalette::Base, QColor(0, 255, 255));
    TextBox->setPalette(aqua);
    TextBox->hide();
    TextBox->installEventFilter(this);

    PicturePanel = owned<QFrame>("PicturePanel", kPicturePanelRect);
    PicturePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PicturePanel->setLineWidth(3);
    Image1 = new QLabel(PicturePanel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(2, 2);
    PicturePanel->hide();

    VideoPanel = new TVideoPanel(this);
    owned_.push_back(VideoPanel);
    MediaPlayer1 = owned<QFrame>("MediaPlayer1", kPlayerBarRect);
    MediaPlayer1->hide();
    BuildPlayerBar();
    Question = owned<QFrame>("Question", QRect(14, 17, 257, 120));
    Question->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    Timer1->setTimerType(Qt::PreciseTimer);
    SelectJump1Page = owned<QSpinBox>("SelectJump1Page", QRect(0, 0, 50, 22));
    SelectJump2Page = owned<QSpinBox>("SelectJump2Page", QRect(0, 0, 50, 22));
    SelectJump1Page->hide();
    SelectJump2Page->hide();
    BuildQuestion();

    connect(Timer1, &QTimer::timeout, this, &TFrame::WurdEnd);
    synchro_ = std::make_unique<TSynchro>(*this, this);

    textBoxTarget_ = std::make_unique<TextBoxTarget>(TextBox);
    wurdTarget_ = std::make_unique<WurdTarget>(*this);
    SetVideoControlSize();
}

TFrame::~TFrame() = default;

void TFrame::attach(AppState& state, Dialogs& dialogs, PageRows& rows, const QString& settingsFile) {
    state_ = &state;
    dialogs_ = &dialogs;
    rows_ = &rows;
    settings_ = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    lastTextFile_ = settings_->value(texts::kLastOpenKey, texts::kLastOpenDefault).toString();
}

void TFrame::setPlayer(MediaDevice* player) {
    if (player_) disconnect(player_, nullptr, this, nullptr);
    player_ = player;
    VideoPanel->MP = player;
    if (player_) connect(player_, &MediaDevice::notify, this, &TFrame::MediaPlayer1Notify);
}

QString TFrame::MediaFileName(int domain, int index) const { return mediaNames_ ? mediaNames_(domain, index) : QString(); }

void TFrame::setMeasurer(const TextMeasurer* measurer) { measurer_ = measurer ? measurer : &platform_; }

void TFrame::SetPageMode(const QString& mode) {
    PreviousPageMode = PageMode;
    PageMode = mode;
}

QFont TFrame::textBoxFont() const { return TextBox->font(); }

bool TFrame::TextBoxModified() const { return TextBox->document()->isModified(); }

// Display ------------------------------------------------------------------

void TFrame::ToggleScrollTextBox(int domain) {
    ParkTestWurd();
    if (PageMode != QLatin1String("r")) {
        sbWurdsBox->hide();
        TextBox->hide();
        Question->hide();
        return;
    }
    TextBox->setGeometry(sbWurdsBox->x(), sbWurdsBox->y(), TextBox->width(), sbWurdsBox->height());
    Question->hide();
    if (domain == 11) {
        TextBox->resize(sbWurdsBox->width(), TextBox->height());
        TextBox->setEnabled(true);
        TextBox->show();
        TextBox->raise();
        sbWurdsBox->setEnabled(false);
        if (isVisible()) TextBox->setFocus();
    } else {
        TextBox->resize(0, TextBox->height());
        TextBox->setEnabled(false);
        TextBox->hide();
        sbWurdsBox->setEnabled(true);
        sbWurdsBox->show();
        if (isVisible()) sbWurdsBox->setFocus();
    }
}

bool TFrame::ShowPicture(const QString& file) {
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        HidePicture();
        return false;
    }
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        HidePicture();
        if (dialogs_) dialogs_->warning(texts::kNotPicture.arg(QFileInfo(file).fileName()));
        return false;
    }
    picture_ = QPixmap::fromImage(image);
    Image1->setPixmap(picture_);
    btnPictureClick();
    return true;
}

void TFrame::HidePicture() {
    picture_ = QPixmap();
    Image1->clear();
    PicturePanel->hide();
}

void TFrame::btnPictureClick() {
    PicturePanel->show();
    Image1->show();
    VideoPanel->hide();
    ScaleImage();
}

void TFrame::ScaleImage() {
    Image1->hide();
    if (picture_.isNull()) return;
    const PicturePlacement p = vellora::ScaleImage(picture_.size(), size(), wurdsBoxRight());
    Image1->setScaledContents(p.stretched);
    Image1->setGeometry(QRect(QPoint(2, 2), p.image));
    PicturePanel->setGeometry(p.panel);
    Image1->show();
}

void TFrame::SetVideoControlSize() { MediaPlayer1->setGeometry(PlayerBarRect(size(), wurdsBoxRight())); }

void TFrame::SetWallpaper(const QString& file) {
    wallpaper_ = file.isEmpty() ? QPixmap() : QPixmap(file);
    update();
}

void TFrame::paintEvent(QPaintEvent*) {
    const int kind = backgroundIndex_ ? backgroundIndex_() : 0;
    if (kind == 1) {
        QPainter p(this);
        for (const GradientBand& b : GradientBands(height()))
            p.fillRect(0, b.top, width(), b.bottom - b.top, QColor(0, 0, b.blue));
    } else if (kind == 2 && !wallpaper_.isNull()) {
        QPainter p(this);
        const int tw = wallpaper_.width();
        const int th = wallpaper_.height();
        for (int col = 0; col <= width() / tw; ++col)
            for (int row = 0; row <= height() / th; ++row) p.drawPixmap(col * tw, row * th, wallpaper_);
    }
}

void TFrame::resizeEvent(QResizeEvent*) { FormResize(); }

void TFrame::FormResize() {
    update();
    const QSize now = size();
    if (now == previousSize_ || now.isEmpty() || previousSize_.isEmpty()) return;
    for (QWidget* w : owned_) w->setGeometry(ScaleBounds(w->geometry(), previousSize_, now));
    previousSize_ = now;
    // The picture is placed again for the new size also while the window is
    // still hidden: a window shown for the first time gets its size just
    // before it is visible, and the scaling above would otherwise leave the
    // picture placed twice over.
    if (!picture_.isNull() && !PicturePanel->isHidden()) ScaleImage();
    SetVideoControlSize();
    for (int n = 1; n <= WurdCount; ++n) DrawAWurd(n, WurdColor::White, 0);
    if (WurdCount < 1)
        ParkTestWurd();
    else
        DrawAWurd(1, WurdColor::White, 1);
}

// Keys and mouse -------------------------------------------------------------

bool TFrame::FormKeyDown(QKeyEvent* event) {
    // The words are placed and selected from the keyboard in the Words domain.
    if (!state_ || state_->CurrentDomain != 12 || WurdCount < 1) return false;
    const int current = std::clamp(CurrentWurd, 1, WurdCount);
    const WurdKeyResult r = WurdKey(event->key(), event->modifiers(), current, WurdCount);
    if (!r.handled) return false;
    if (!r.nudge.isNull()) {
        if (TWurd* w = wurd(current)) w->move(w->pos() + r.nudge);
    } else {
        DrawAWurd(current, WurdColor::White, 0);
    }
    CurrentWurd = r.currentWurd;
    DrawAWurd(CurrentWurd, WurdColor::White, 1);
    return true;
}

bool TFrame::FormKeyPress(QKeyEvent* event) {
    // Letters a..d choose a shown choice while the page is answered, or
    // while a play waits for the learner's answer.
    if (state_ && (state_->CurrentDomain == 22 || state_->AwaitingAnswer) && PageMode == QLatin1String("q") && event->key() >= Qt::Key_A &&
        event->key() <= Qt::Key_D && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const int n = event->key() - Qt::Key_A + 1;
        if (n <= 2 || n <= ChoiceCount) emit questionClicked(Choice[size_t(n)]);
        return true;
    }
    switch (event->key()) {
        case Qt::Key_Escape:
            emit stopRequested();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter moves on to the next control; the text box keeps its new lines.
            if (TextBox->hasFocus()) return false;
            focusNextChild();
            return true;
        default:
            return false;
    }
}

void TFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) {
        emit rightPressed();
        return;
    }
    // A click on the background ends the highlighting (the sound goes on).
    Timer1->stop();
    if (state_) state_->DisplayEnabled = true;
    emit backgroundClicked();
}

bool TFrame::eventFilter(QObject* watched, QEvent* event) {
    if (questionEvent(watched, event)) return true;
    if (watched == TextBox && event->type() == QEvent::FocusIn) {
        setCursor(Qt::ArrowCursor);
        if (textFocus_) textFocus_();
    }
    if (event->type() == QEvent::FocusIn)
        for (int n = 1; n <= 4; ++n) {
            // Entering a choice selects its row; entering a value shows its colour.
            if (watched == Choice[size_t(n)] && CurrentChoice != n) SetChoice(n);
            if (watched == Value[size_t(n)]) ValueChange(n);
        }
    return QWidget::eventFilter(watched, event);
}

// Text file commands -----------------------------------------------------------

bool TFrame::CheckTextSaved() {
    if (!TextBoxModified() || !dialogs_) return true;
    const MsgAnswer a = dialogs_->message(MsgKind::Confirmation, FileName + texts::kTextChanged, MsgButtons::OkCancel);
    if (a == MsgAnswer::Ok) Save1Click();
    return true;
}

void TFrame::New1Click() {
    CheckTextSaved();
    FileName = texts::kUntitled;
    TextBox->clear();
    TextBox->document()->setModified(false);
}

void TFrame::Open1Click() {
    if (!dialogs_) return;
    CheckTextSaved();
    const QString dir = QFileInfo(lastTextFile_).absolutePath();
    const QString file = dialogs_->getOpenFileName(texts::kTextOpenCaption, dir, texts::kTextFilter);
    if (file.isEmpty()) return;
    QFile f(file);
    const QString shown = QFileInfo(file).fileName();
    if (QFileInfo(file).size() > kMaxTextFile) {
        dialogs_->error(texts::kTextTooLarge.arg(shown));
        return;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        dialogs_->error(texts::kTextUnreadable.arg(shown, f.errorString()));
        return;
    }
    const QByteArray bytes = f.read(kMaxTextFile + 1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (bytes.size() > kMaxTextFile || bytes.contains('\0') || utf8.hasError()) {
        dialogs_->error(texts::kNotText.arg(shown));
        return;
    }
    TextBox->setPlainText(text);
    // Loaded text is new text for the page: it becomes words on leaving.
    TextBox->document()->setModified(true);
    FileName = file;
    lastTextFile_ = file;
}

void TFrame::Save1Click(bool saveAs) {
    if (!dialogs_) return;
    QString file = FileName;
    if (FileName == texts::kUntitled || saveAs) {
        const QString dir = QFileInfo(lastTextFile_).absolutePath();
        file = dialogs_->getSaveFileName(texts::kTextSaveCaption, dir, texts::kTextFilter);
        if (file.isEmpty()) return;
        if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".txt");
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(TextBox->toPlainText().toUtf8()) < 0 || !out.commit()) {
        dialogs_->error(texts::kTextUnwritable.arg(QFileInfo(file).fileName(), out.errorString()));
        return;
    }
    FileName = file;
    lastTextFile_ = file;
    TextBox->document()->setModified(false);
}

void TFrame::EditMenuClick(EditCommand command) {
    switch (command) {
        case EditCommand::Cut: TextBox->cut(); break;
        case EditCommand::Copy: TextBox->copy(); break;
        case EditCommand::Paste: TextBox->paste(); break;
        case EditCommand::Delete: TextBox->textCursor().removeSelectedText(); break;
        case EditCommand::SelectAll: TextBox->selectAll(); break;
    }
}

void TFrame::FormClose() {
    CheckTextSaved();
    if (!settings_) return;
    settings_->setValue(texts::kLastOpenKey, FileName == texts::kUntitled ? QString() : FileName);
    settings_->sync();
}

}  // namespace vellora
