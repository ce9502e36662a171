// The question page of the page window: its controls, their layout for the
// texts they hold, the panels each question domain shows, the row markers,
// and the slots' controls as choice rows.
#include <QFocusEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "AppState.h"
#include "PageRows.h"
#include "QuestionLayout.h"
#include "QuestionTexts.h"
#include "TFrame.h"
#include "TextCodes.h"
#include "TextTarget.h"

namespace vellora {
namespace {

// Palette offsets of the matrix cells a..f: response, remediation, action.
constexpr std::array<int, 6> kCellOffset{1, 9, 12, 1, 9, 12};
constexpr int kCellLefts[3] = {4, 16, 28};
constexpr int kCellWidth = 10;
constexpr int kBox = 10;
constexpr int kPanelLineHeight = 16;

void setRole(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

void fill(QWidget* w, const QColor& c) {
    w->setAutoFillBackground(true);
    setRole(w, QPalette::Window, c);
}

QString two(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

template <class W>
W* named(QWidget* parent, const QString& name, const QRect& r) {
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

QPlainTextEdit* memo(QWidget* parent, const QString& name, const QRect& r) {
    auto* m = named<QPlainTextEdit>(parent, name, r);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m->setTabChangesFocus(true);
    m->document()->setDocumentMargin(2);
    return m;
}

QCheckBox* box(QWidget* parent, const QString& name) {
    auto* b = named<QCheckBox>(parent, name, QRect(0, 0, kBox, 11));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// The font tools on a part of the question: read from its first control,
// written to all of them.
class QuestionFontTarget : public TextTarget {
  public:
    QuestionFontTarget(TFrame& frame, std::vector<QWidget*> controls)
        : frame_(frame), controls_(std::move(controls)) {}
    std::optional<QString> fontName(int) const override { return first()->font().family(); }
    std::optional<int> fontSize(int) const override { return first()->font().pointSize(); }
    std::optional<QColor> fontColor(int) const override {
        return first()->palette().color(QPalette::Text);
    }
    std::optional<int> fontStyle(int) const override {
        return StyleCodeOf(StyleOfFont(first()->font()));
    }
    void setFontName(const QString& name, int) override {
        change([&](QFont& f) { f.setFamily(name); });
    }
    void setFontSize(int size, int) override {
        change([&](QFont& f) {
            if (size > 0) f.setPointSize(size);
        });
    }
    void setFontColor(const QColor& color, int) override {
        for (QWidget* w : controls_) setRole(w, QPalette::Text, color);
    }
    void setFontStyle(int code, int) override {
        change([&](QFont& f) { f = FontWithStyle(f, code); });
    }

  private:
    QWidget* first() const { return controls_.front(); }
    template <class F>
    void change(F&& f) {
        QFont font = first()->font();
        f(font);
        for (QWidget* w : controls_) w->setFont(font);
        if (frame_.PageMode == QLatin1String("q")) frame_.FormatQuestion();
    }
    TFrame& frame_;
    std::vector<QWidget*> controls_;
};

}  // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 2, 2, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* rb = new QRadioButton(items[i], this);
        rb->setObjectName(QStringLiteral("%1Item%2").arg(caption).arg(i));
        layout->addWidget(rb);
        items_.append(rb);
        connect(rb, &QRadioButton::clicked, this, [this, i] { emit itemClicked(i); });
    }
}

int TRadioGroup::itemIndex() const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i]->isChecked()) return i;
    return -1;
}

void TRadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < items_.size()) {
        items_[index]->setChecked(true);
        return;
    }
    // No item: radio buttons only clear one another, so clear them by hand.
    for (QRadioButton* rb : items_) {
        rb->setAutoExclusive(false);
        rb->setChecked(false);
        rb->setAutoExclusive(true);
    }
}

void TFrame::BuildQuestion() {
    using namespace texts;
    Stimulus = memo(Question, QStringLiteral("Stimulus"), QRect(0, 0, Question->width(), 20));
    Stimulus->setPlainText(kStimulusDesign);
    QuSound = box(Question, QStringLiteral("QuSound"));
    QuSound->move(243, 1);
    for (int n = 1; n <= 4; ++n) {
        Enum[n] = named<QLineEdit>(Question, QStringLiteral("Enum") + two(n),
                                   QRect(2, kParkedTop, 20, 20));
        Enum[n]->setReadOnly(true);
        Enum[n]->setText(QString(QLatin1Char(char('A' + n - 1))));
        Enum[n]->setAlignment(Qt::AlignCenter);
        Enum[n]->setFocusPolicy(Qt::NoFocus);
        setRole(Enum[n], QPalette::Base, ColorOfCode(kColorSilver));
        Choice[n] =
            memo(Question, QStringLiteral("Choice") + two(n), QRect(25, kParkedTop, 200, 20));
        Choice[n]->installEventFilter(this);
        Fix[n] = box(Question, QStringLiteral("Fix") + two(n));
        ChSound[n] = box(Question, QStringLiteral("ChSound") + two(n));
        setRole(ChSound[n], QPalette::Base, Qt::red);
        Fix[n]->raise();
        ChSound[n]->raise();
    }
    QuSound->raise();
    btnRepeat = named<QPushButton>(Question, QStringLiteral("btnRepeat"), QRect(63, 70, 131, 28));
    btnRepeat->setText(kRepeatCaption);
    btnRepeat->setToolTip(kRepeatHint);
    Clicked = named<QLineEdit>(Question, QStringLiteral("Clicked"), QRect(0, 70, 61, 24));
    SelectedValue =
        named<QLineEdit>(Question, QStringLiteral("SelectedValue"), QRect(196, 70, 61, 24));
    for (QLineEdit* e : {Clicked, SelectedValue}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignCenter);
        e->setFocusPolicy(Qt::NoFocus);
        e->hide();
    }

    pnlSelect = owned<QFrame>("pnlSelect", QRect(7, 17, 11, 120));
    for (int n = 0; n <= 4; ++n) {
        Indic[n] = named<QFrame>(pnlSelect, QStringLiteral("Indic") + two(n),
                                 QRect(0, n == 0 ? 0 : kParkedTop, 10, 20));
        fill(Indic[n], ButtonFace());
    }
    IndicRepeat = named<QFrame>(pnlSelect, QStringLiteral("IndicRepeat"), QRect(0, 70, 10, 31));
    fill(IndicRepeat, ButtonFace());
    IndicRepeat->hide();

    QFont small = font();
    small.setPointSize(8);
    pnlOptions = owned<QFrame>("pnlOptions", QRect(273, 17, 90, 50));
    auto* score = new QGroupBox(kScoreCaption, pnlOptions);
    score->setGeometry(2, 2, 86, 44);
    cbDisplayScore =
        named<QCheckBox>(score, QStringLiteral("cbDisplayScore"), QRect(8, 18, 72, 20));
    cbDisplayScore->setText(kDisplayCaption);
    connect(cbDisplayScore, &QCheckBox::clicked, this, &TFrame::cbDisplayScoreClick);

    pnlValue = owned<QFrame>("pnlValue", QRect(273, 17, 64, 150));
    pnlVal = named<QFrame>(pnlValue, QStringLiteral("pnlVal"), QRect(0, 0, 64, 150));
    lbValue = named<QLabel>(pnlVal, QStringLiteral("lbValue"), QRect(4, 2, 56, kPanelLineHeight));
    lbValue->setText(kValueCaption);
    for (int n = 1; n <= 4; ++n) {
        Value[n] =
            named<QSpinBox>(pnlVal, QStringLiteral("Value") + two(n), QRect(4, kParkedTop, 56, 20));
        Value[n]->setRange(0, 100);
        Value[n]->setSingleStep(5);
        Value[n]->setValue(100);
        Value[n]->setAutoFillBackground(true);
        Value[n]->installEventFilter(this);
        connect(Value[n], &QSpinBox::valueChanged, this, [this, n] { ValueChange(n); });
        ValueChange(n);
    }
    lbChoices =
        named<QLabel>(pnlVal, QStringLiteral("lbChoices"), QRect(4, 100, 56, kPanelLineHeight));
    lbChoices->setText(kChoicesCaption);
    seChoices = named<QSpinBox>(pnlVal, QStringLiteral("seChoices"), QRect(4, 117, 56, 24));
    seChoices->setRange(2, 4);
    seChoices->setValue(4);
    connect(seChoices, &QSpinBox::valueChanged, this, [this](int n) {
        if (onChoicesChanged) onChoicesChanged(n);
    });

    pnlResponse = owned<QFrame>("pnlResponse", QRect(273, 17, 299, 150));
    pnlResponse->setFont(small);
    lbResponses = named<QLabel>(pnlResponse, QStringLiteral("lbResponses"),
                                QRect(4, 4, 200, kPanelLineHeight));
    lbResponses->setText(kCustomResponseCaption);
    gbFirst = named<QGroupBox>(pnlResponse, QStringLiteral("gbFirst"), QRect(208, 2, 44, 146));
    gbFirst->setTitle(kFirstCaption);
    gbSecond = named<QGroupBox>(pnlResponse, QStringLiteral("gbSecond"), QRect(254, 2, 44, 146));
    gbSecond->setTitle(kSecondCaption);
    for (int n = 1; n <= 4; ++n) {
        Response[n] =
            memo(pnlResponse, QStringLiteral("Response") + two(n), QRect(2, kParkedTop, 204, 20));
        Response[n]->installEventFilter(this);
        RspSound[n] = box(pnlResponse, QStringLiteral("RspSound") + two(n));
        setRole(RspSound[n], QPalette::Base, Qt::red);
        RspSound[n]->raise();
        for (int c = 0; c < 6; ++c) {
            QGroupBox* gb = c < 3 ? gbFirst : gbSecond;
            Act[n][size_t(c)] = named<QFrame>(
                gb, QStringLiteral("Act%1%2").arg(two(n)).arg(QLatin1Char(char('a' + c))),
                QRect(kCellLefts[c % 3], kParkedTop, kCellWidth, 18));
            SetCellCode(n, c, 0);
        }
        H1x[n] =
            named<QFrame>(gbFirst, QStringLiteral("H1%1").arg(n), QRect(2, kParkedTop, 40, 22));
        H2x[n] =
            named<QFrame>(gbSecond, QStringLiteral("H2%1").arg(n), QRect(2, kParkedTop, 40, 22));
        for (QFrame* h : {H1x[n], H2x[n]}) {
            h->setFrameStyle(QFrame::Box | QFrame::Plain);
            h->setAttribute(Qt::WA_TransparentForMouseEvents);
            h->hide();
        }
    }

    pnlAction = owned<QFrame>("pnlAction", QRect(273, 170, 299, 166));
    pnlAction->setFont(small);
    const auto column = [&](QGroupBox*& group, QFrame*& frame, const QString& caption,
                            const char* gname, const char* fname, int top,
                            const QStringList& response, const QStringList& remediate,
                            const QStringList& action, TRadioGroup*& rgRes, TRadioGroup*& rgRem,
                            TRadioGroup*& rgAct, QLineEdit*& play, QLineEdit*& jump,
                            const QString& suffix) {
        frame = named<QFrame>(pnlAction, QString::fromLatin1(fname), QRect(0, top, 299, 82));
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        setRole(frame, QPalette::WindowText, Qt::red);
        frame->hide();
        group = named<QGroupBox>(pnlAction, QString::fromLatin1(gname), QRect(2, top + 1, 295, 80));
        group->setTitle(caption);
        rgRes = new TRadioGroup(kResponseCaption, response, group);
        rgRem = new TRadioGroup(kRemediateCaption, remediate, group);
        rgAct = new TRadioGroup(kNextActionCaption, action, group);
        const QString names[3] = {QStringLiteral("rgResponse"), QStringLiteral("rgRemediate"),
                                  QStringLiteral("rgAction")};
        TRadioGroup* groups[3] = {rgRes, rgRem, rgAct};
        // Widths for the longest item of each group; the page boxes sit right
        // of their "Play pg" and "Jump to pg" items.
        const int lefts[3] = {3, 76, 178}, widths[3] = {70, 99, 114};
        for (int i = 0; i < 3; ++i) {
            groups[i]->setObjectName(names[i] + suffix);
            groups[i]->setGeometry(lefts[i], 14, widths[i], 62);
            // Each item carries the colour the matrix shows for its code.
            for (int k = 0; k < groups[i]->count(); ++k) {
                QRadioButton* rb = groups[i]->item(k);
                QPalette p = rb->palette();
                p.setColor(QPalette::Base, ColorOfCode(k + kCellOffset[size_t(i)]));
                rb->setPalette(p);
            }
        }
        play = named<QLineEdit>(group, QStringLiteral("PlayPage") + suffix,
                                QRect(76 + 72, 14 + 29, 24, 16));
        jump = named<QLineEdit>(group, QStringLiteral("JumpPage") + suffix,
                                QRect(178 + 86, 14 + 29, 26, 16));
        for (QLineEdit* e : {play, jump}) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
            e->raise();
        }
    };
    column(GroupBox1, H1, kFirstSelection, "GroupBox1", "H1", 0, kResponseItems, kRemediate1Items,
           kAction1Items, rgResponse01, rgRemediate01, rgAction01, PlayPage01, JumpPage01,
           QStringLiteral("01"));
    column(GroupBox2, H2, kSecondSelection, "GroupBox2", "H2", 83, kResponseItems, kRemediate2Items,
           kAction2Items, rgResponse02, rgRemediate02, rgAction02, PlayPage02, JumpPage02,
           QStringLiteral("02"));
    H1->lower();
    H2->lower();

    ResponseMemo = owned<QPlainTextEdit>("ResponseMemo", QRect(14, 200, 257, 30));
    ResponseMemo->setReadOnly(true);
    ResponseMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont rf = ResponseMemo->font();
    rf.setPixelSize(15);
    ResponseMemo->setFont(rf);
    setRole(ResponseMemo, QPalette::Base, Qt::red);
    setRole(ResponseMemo, QPalette::Text, Qt::white);
    ResponseMemo->hide();

    VerdictPanel = owned<QFrame>("VerdictPanel", QRect(14, 200, 257, 34));
    VerdictPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    DefaultFont = named<QLabel>(VerdictPanel, QStringLiteral("DefaultFont"), QRect(0, 0, 257, 34));
    DefaultFont->setAlignment(Qt::AlignCenter);
    DefaultFont->setAutoFillBackground(true);
    QFont vf = DefaultFont->font();
    vf.setPixelSize(16);
    vf.setBold(true);
    DefaultFont->setFont(vf);
    VerdictPanel->hide();

    // Every click on the question's parts is one handler's; a memo takes
    // its clicks in its viewport, a spin edit in its line edit.
    const auto clicks = [this](QWidget* w, QObject* owner) {
        w->installEventFilter(this);
        clickOwners_.emplace_back(w, owner);
    };
    clicks(Stimulus->viewport(), Stimulus);
    clicks(QuSound, QuSound);
    for (int n = 1; n <= 4; ++n) {
        clicks(Enum[n], Enum[n]);
        clicks(Fix[n], Fix[n]);
        clicks(Choice[n]->viewport(), Choice[n]);
        clicks(ChSound[n], ChSound[n]);
        clicks(Value[n], Value[n]);
        if (auto* edit = Value[n]->findChild<QLineEdit*>()) clicks(edit, Value[n]);
        clicks(Response[n]->viewport(), Response[n]);
        clicks(RspSound[n], RspSound[n]);
    }
    stimulusTarget_ = std::make_unique<QuestionFontTarget>(*this, std::vector<QWidget*>{Stimulus});
    std::vector<QWidget*> choices;
    for (int n = 1; n <= 4; ++n) choices.insert(choices.end(), {Choice[n], Enum[n]});
    choicesTarget_ = std::make_unique<QuestionFontTarget>(*this, choices);
    Question->setMouseTracking(true);
    Question->installEventFilter(this);

    for (QWidget* w : {static_cast<QWidget*>(pnlSelect), static_cast<QWidget*>(pnlOptions),
                       static_cast<QWidget*>(pnlValue), static_cast<QWidget*>(pnlResponse),
                       static_cast<QWidget*>(pnlAction)})
        w->hide();
}

void TFrame::showEvent(QShowEvent* event) {
    QuestionArmed = 0;
    QWidget::showEvent(event);
}

void TFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) QuestionArmed = 0;
    QWidget::changeEvent(event);
}

bool TFrame::questionEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
            if (watched == Question) QuestionArmed = 100;
            return false;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
            for (const auto& [w, owner] : clickOwners_)
                if (w == watched) {
                    emit questionClicked(owner);
                    break;
                }
            return false;
        case QEvent::FocusIn:
            // Tabbing into a response selects its row and counts as its click.
            for (int n = 1; n <= 4; ++n)
                if (watched == Response[n] &&
                    static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason &&
                    static_cast<QFocusEvent*>(event)->reason() != Qt::OtherFocusReason) {
                    if (CurrentChoice != n) SetChoice(n);
                    emit questionClicked(Response[n]);
                }
            return false;
        default:
            return false;
    }
}

int TFrame::QuestionItem(const QObject* control) const {
    for (int n = 1; n <= 4; ++n) {
        for (const QObject* w :
             {static_cast<const QObject*>(Enum[n]), static_cast<const QObject*>(Fix[n]),
              static_cast<const QObject*>(Choice[n]), static_cast<const QObject*>(ChSound[n]),
              static_cast<const QObject*>(Value[n])})
            if (w == control) return n;
        if (control == Response[n] || control == RspSound[n]) return n + 4;
    }
    return 0;
}

void TFrame::SlotCells(int slot, int (&cells)[6]) const {
    for (int c = 0; c < 6; ++c) cells[c] = CellCode(slot, c);
}

QColor TFrame::ButtonFace() const {
    return palette().color(QPalette::Button);
}

QuestionInput TFrame::questionInput() const {
    QuestionInput in;
    in.questionLeft = Question->x();
    in.questionTop = Question->y();
    in.questionWidth = Question->width();
    in.choiceCount = ChoiceCount;
    in.stimulusFont = Stimulus->font();
    in.stimulusText = Stimulus->toPlainText();
    in.choiceFont = Choice[1]->font();
    for (int n = 1; n <= 4; ++n) {
        in.enumTexts[size_t(n - 1)] = Enum[n]->text();
        in.choiceTexts[size_t(n - 1)] = Choice[n]->toPlainText();
    }
    in.repeatTop = btnRepeat->y();
    in.repeatHeight = btnRepeat->height();
    in.lbValueHeight = lbValue->height();
    in.lbChoicesHeight = lbChoices->height();
    in.boxWidth = kBox;
    in.indic00Left = Indic[0]->x();
    in.responseLeft = Response[1]->x();
    in.responseWidth = Response[1]->width();
    in.gbFirstTop = gbFirst->y();
    in.gbFirstWidth = gbFirst->width();
    in.gbSecondWidth = gbSecond->width();
    return in;
}

void TFrame::FormatQuestion() {
    const QuestionPlace q = vellora::FormatQuestion(*measurer_, questionInput());
    Stimulus->setGeometry(0, 0, Question->width(), q.stimulusHeight);
    QuSound->move(Question->width() - QuSound->width() - 4, 1);
    for (QWidget* panel : {pnlAction, pnlOptions, pnlResponse, pnlValue})
        panel->move(q.sideLeft, panel->y());
    pnlOptions->move(q.sideLeft, q.optionsTop);
    pnlResponse->move(q.sideLeft, q.responseTop);
    pnlValue->move(q.sideLeft, q.valueTop);
    Indic[0]->setGeometry(q.indic00);
    for (int n = 1; n <= 4; ++n) {
        const RowPlace& r = q.rows[size_t(n - 1)];
        Indic[n]->setGeometry(r.indicator);
        Enum[n]->setGeometry(r.enumerator);
        Choice[n]->setGeometry(r.choice);
        Fix[n]->setGeometry(r.fix);
        ChSound[n]->setGeometry(r.chSound);
        Value[n]->setGeometry(Value[n]->x(), r.value.top(), Value[n]->width(), r.value.height());
        Response[n]->setGeometry(r.response);
        RspSound[n]->setGeometry(r.rspSound);
        for (int c = 0; c < 6; ++c) {
            QFrame* cell = Act[n][size_t(c)];
            cell->setGeometry(cell->x(), r.cellTop, cell->width(), r.cellHeight);
        }
        H1x[n]->setGeometry(2, r.cellTop - 1, 40, r.cellHeight + 2);
        H2x[n]->setGeometry(2, r.cellTop - 1, 40, r.cellHeight + 2);
    }
    btnRepeat->move(btnRepeat->x(), q.repeatTop);
    Clicked->move(Clicked->x(), q.repeatTop);
    SelectedValue->move(SelectedValue->x(), q.repeatTop);
    IndicRepeat->setGeometry(q.indicRepeat);
    pnlResponse->resize(q.responseWidth, q.responseHeight);
    gbFirst->resize(gbFirst->width(), q.responseHeight - gbFirst->y());
    gbSecond->resize(gbSecond->width(), q.responseHeight - gbSecond->y());
    pnlAction->setGeometry(q.sideLeft, q.actionTop, q.responseWidth, pnlAction->height());
    lbChoices->move(lbChoices->x(), q.lbChoicesTop);
    seChoices->setGeometry(seChoices->x(), q.seChoicesTop, seChoices->width(), q.seChoicesHeight);
    pnlValue->resize(pnlValue->width(), q.valueHeight);
    pnlVal->resize(pnlValue->size());
    Question->resize(Question->width(), q.questionHeight);
    pnlSelect->resize(pnlSelect->width(), q.selectHeight);
}

void TFrame::SetQuestionVisibility(int domain) {
    if (domain >= 18) {
        Question->hide();
        if (state_ && state_->Playing) return;
    }
    const QuestionVisibility v = VisibilityFor(domain);
    pnlResponse->setVisible(v.response);
    pnlAction->setVisible(v.response);
    pnlValue->setVisible(v.value);
    pnlOptions->setVisible(v.options);
    QuSound->setVisible(v.options);
    pnlSelect->setVisible(v.select);
    lbValue->setVisible(v.rowBoxes);
    for (int n = 1; n <= 4; ++n) {
        ChSound[n]->setVisible(v.rowBoxes);
        Value[n]->setVisible(v.rowBoxes);
        Fix[n]->setVisible(v.rowBoxes);
    }
    if (domain >= 18) Question->show();
}

void TFrame::HilightSelection(const QColor& colour, int selected) {
    fill(Indic[0], ButtonFace());
    for (int n = 1; n <= 4; ++n) fill(Indic[n], colour);
    fill(IndicRepeat, ButtonFace());
    if (selected >= 0 && selected <= 4) fill(Indic[selected], ColorOfCode(kColorTeal));
}

void TFrame::SetChoice(int slot) {
    CurrentChoice = slot;
    HilightSelection(ButtonFace(), slot);
}

void TFrame::ValueChange(int n) {
    if (n < 1 || n > 4) return;
    setRole(Value[n], QPalette::Base,
            Value[n]->value() == 100 ? ColorOfCode(14) : QColor(Qt::white));
}

void TFrame::SetSound(int domain) {
    if (domain == 18) {
        QuSound->setChecked(true);
        return;
    }
    if (CurrentChoice < 1 || CurrentChoice > 4) return;
    (domain == 20 ? ChSound : RspSound)[size_t(CurrentChoice)]->setChecked(true);
}

void TFrame::SetChoices(int n) {
    ChoiceCount = n;
    if (seChoices->value() != n) {
        const QSignalBlocker quiet(seChoices);
        seChoices->setValue(n);
    }
}

void TFrame::cbDisplayScoreClick() {
    const bool on = cbDisplayScore->isChecked();
    Clicked->setVisible(on);
    SelectedValue->setVisible(on);
}

int TFrame::CellCode(int slot, int cell) const {
    return CodeOfColor(Act[size_t(slot)][size_t(cell)]->palette().color(QPalette::Window)) -
           kCellOffset[size_t(cell)];
}

void TFrame::SetCellCode(int slot, int cell, int code) {
    fill(Act[size_t(slot)][size_t(cell)], ColorOfCode(code + kCellOffset[size_t(cell)]));
}

ChoiceData TFrame::SlotData(int slot) const {
    ChoiceData c;
    c.ChoiceRegNum = ChoiceRecNums[size_t(slot)];
    c.ChoiceText = Choice[slot]->toPlainText();
    c.ResponseText = Response[slot]->toPlainText();
    c.Enumerator = Fix[slot]->isChecked() ? slot : 0;
    c.Correctness = Value[slot]->value();
    c.ChoiceSound = ChSound[slot]->isChecked();
    c.ResponseSound = RspSound[slot]->isChecked();
    c.Response1Type = CellCode(slot, 0);
    c.Remediate1Type = CellCode(slot, 1);
    c.Action1Type = CellCode(slot, 2);
    c.Response2Type = CellCode(slot, 3);
    c.Remediate2Type = CellCode(slot, 4);
    c.Action2Type = CellCode(slot, 5);
    const auto& pages = ChoicePages[size_t(slot)];
    c.Show1Page = pages[0];
    c.Jump1Page = pages[1];
    c.Show2Page = pages[2];
    c.Jump2Page = pages[3];
    return c;
}

void TFrame::ShowSlot(int slot, const ChoiceData& row) {
    Choice[slot]->setPlainText(row.ChoiceText);
    Response[slot]->setPlainText(row.ResponseText);
    // Through -1 first, so that the colour follows even an unchanged value.
    Value[slot]->setValue(-1);
    Value[slot]->setValue(row.Correctness);
    ValueChange(slot);
    Fix[slot]->setChecked(row.Enumerator > 0);
    ChSound[slot]->setChecked(row.ChoiceSound);
    RspSound[slot]->setChecked(row.ResponseSound);
    const int codes[6] = {row.Response1Type, row.Remediate1Type, row.Action1Type,
                          row.Response2Type, row.Remediate2Type, row.Action2Type};
    for (int c = 0; c < 6; ++c) SetCellCode(slot, c, codes[c]);
    ChoicePages[size_t(slot)] = {row.Show1Page, row.Jump1Page, row.Show2Page, row.Jump2Page};
}

}  // namespace vellora
