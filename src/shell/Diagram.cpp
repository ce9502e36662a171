#include "Diagram.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "AppState.h"
#include "DomainTexts.h"

namespace vellora {
namespace {

constexpr int kHelpTopic = 28;
constexpr int kLabelHeight = 22;

struct LabelRow {
    const char* name;
    const char* caption;
    const char* hint;
    int x, y, width;
};

// The 23 domain labels, indexed by domain, with their places on the diagram.
const std::array<LabelRow, kDomainCount> kLabels = {{
    {"lblStart", "Start", "Ready [Open or New Lesn]", 20, 16, 76},
    {"lblLesn", "Lesn", "In Lesn [Set Default Font]", 20, 60, 76},
    {"lbTitle", "Title", "Title - What the Lesn is about", 32, 132, 76},
    {"lb1st", "1st", "Author's first name", 32, 186, 44},
    {"lb2nd", "2nd", "Author's middle name or initial", 84, 186, 44},
    {"lb3rd", "3rd", "Author's surname", 136, 186, 44},
    {"lbHolder", "Holder", "Name of the Lesn's owner", 32, 240, 66},
    {"lbLocation", "Location", "City, state, country of copyright holder", 110, 240, 70},
    {"lbObjective", "Objective", "What the learner will know or be able to do after the Lesn", 32, 288, 80},
    {"lbPicture", "Picture", "Selecting a picture to go with the text", 262, 44, 92},
    {"lbVideo", "Video", "Selecting a movie for the page", 262, 84, 92},
    {"lblText", "Text", "Enter text which explains the picture", 262, 124, 92},
    {"lblWords", " Words", "Changing fonts of chosen words", 262, 164, 92},
    {"lbTextSound", "Text Sound", "Recording the author reading the words", 262, 204, 92},
    {"lbSynchro", "Synchro", "Synchronizing the Words with the Text Sound", 262, 244, 92},
    {"lblPage", "Page", "Overview of the whole page", 262, 284, 92},
    {"lbQPicture", "Picture", "Selecting a picture to go with the text", 442, 44, 92},
    {"lbQVideo", "Video", "Selecting a movie for the page", 442, 84, 92},
    {"lbQuestion", "Quest.", "Typing the question the learner answers, with its sound", 442, 124, 92},
    {"lbChoices", "Choices", "Set the font of the choices", 442, 164, 92},
    {"lbChoice", "Choice", "Give choices to the question", 442, 204, 92},
    {"lbResponse", "Response", "Set response, remediateion & next action for choices", 442, 244, 92},
    {"lbQuestionPage", "Question Page", "Test the functions of the question", 442, 284, 92},
}};

const QString kPlain = QStringLiteral(
    "QLabel { background: silver; color: black; border: 1px solid #555; border-radius: 3px; }");
const QString kHot = QStringLiteral(
    "QLabel { background: red; color: white; border: 1px solid #600; border-radius: 3px; font-weight: bold; }");

// The drawing behind the labels: group frames and the joining lines.
class DiagramCanvas : public QWidget {
public:
    DiagramCanvas(const std::array<TDomainLabel*, kDomainCount>& labels, QWidget* parent)
        : QWidget(parent), labels_(labels) {
        setObjectName(QStringLiteral("DiagramCanvas"));
        setMinimumSize(572, 330);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(0xf4, 0xf1, 0xe8));

        p.setPen(QPen(QColor(0x70, 0x70, 0x90), 1.2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(12, 100, 186, 220), 8, 8);   // Title Page
        p.drawRoundedRect(QRectF(236, 12, 144, 308), 8, 8);   // reading page
        p.drawRoundedRect(QRectF(416, 12, 144, 308), 8, 8);   // question page
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0x30, 0x30, 0x60));
        p.drawText(QRectF(236, 16, 144, 20), Qt::AlignCenter, texts::kReadingPage);
        p.drawText(QRectF(416, 16, 144, 20), Qt::AlignCenter, texts::kQuestionPage);

        p.setPen(QPen(QColor(0x20, 0x30, 0x70), 1.6));
        down(p, 0, 1);
        down(p, 1, 2);
        down(p, 2, 3);
        across(p, 3, 4);
        across(p, 4, 5);
        down(p, 5, 6);
        across(p, 6, 7);
        down(p, 7, 8);
        for (int d = 9; d < 15; ++d) down(p, d, d + 1);
        for (int d = 16; d < 22; ++d) down(p, d, d + 1);
        loop(p, 15, 9);
        loop(p, 22, 16);

        // After the objective comes the first page, of either kind: a line
        // through the gap left of the reading page, and over the top to the
        // gap left of the question page.
        const qreal gap1 = (labels_[2]->geometry().right() + labels_[9]->geometry().left()) / 2.0 + 20;
        const qreal gap2 = (labels_[9]->geometry().right() + labels_[16]->geometry().left()) / 2.0 + 10;
        const QPointF from = right(8);
        QPainterPath bus(from);
        bus.lineTo(gap1, from.y());
        bus.lineTo(gap1, 5);
        bus.lineTo(gap2, 5);
        bus.lineTo(gap2, left(16).y());
        bus.lineTo(left(16));
        p.drawPath(bus);
        arrowHead(p, left(16), QPointF(gap2, left(16).y()));
        p.drawLine(QPointF(gap1, left(9).y()), left(9));
        arrowHead(p, left(9), QPointF(gap1, left(9).y()));
    }

private:
    QRectF r(int d) const { return QRectF(labels_[d]->geometry()); }
    QPointF top(int d) const { return {r(d).center().x(), r(d).top()}; }
    QPointF bottom(int d) const { return {r(d).center().x(), r(d).bottom()}; }
    QPointF left(int d) const { return {r(d).left(), r(d).center().y()}; }
    QPointF right(int d) const { return {r(d).right(), r(d).center().y()}; }

    static void arrowHead(QPainter& p, QPointF tip, QPointF from) {
        QLineF back(tip, from);
        back.setLength(7);
        QLineF a = back, b = back;
        a.setAngle(back.angle() + 25);
        b.setAngle(back.angle() - 25);
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(a.p2());
        head.lineTo(b.p2());
        head.closeSubpath();
        p.fillPath(head, p.pen().color());
    }

    // From the bottom of one label down to the top of the next.
    void down(QPainter& p, int a, int b) const {
        const QPointF from = bottom(a), to = top(b);
        // Turn just below the upper label, clear of captions further down.
        const qreal my = from.y() + std::min<qreal>(8, (to.y() - from.y()) / 2);
        QPainterPath path(from);
        path.lineTo(from.x(), my);
        path.lineTo(to.x(), my);
        path.lineTo(to);
        p.drawPath(path);
        arrowHead(p, to, QPointF(to.x(), my));
    }

    // From the right edge of one label to the left edge of the next.
    void across(QPainter& p, int a, int b) const {
        const QPointF from = right(a), to = left(b);
        p.drawLine(from, to);
        arrowHead(p, to, from);
    }

    // Back from the last domain of a page to its first, round the right side.
    void loop(QPainter& p, int from, int to) const {
        const QPointF a = right(from), b = right(to);
        const qreal x = a.x() + 14;
        QPainterPath path(a);
        path.lineTo(x, a.y());
        path.lineTo(x, b.y());
        path.lineTo(b);
        p.drawPath(path);
        arrowHead(p, b, QPointF(x, b.y()));
    }

    const std::array<TDomainLabel*, kDomainCount>& labels_;
};

QLabel* caption(QWidget* parent, const char* name, const QString& text, const QString& hint, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setToolTip(hint);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->move(x, y);
    l->adjustSize();
    return l;
}

}  // namespace

TDomainLabel::TDomainLabel(int domain, QWidget* parent) : QLabel(parent), domain_(domain) {}

void TDomainLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked(domain_);
        return;
    }
    QLabel::mousePressEvent(event);
}

TdlgDiagram::TdlgDiagram(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("dlgDiagram"));
    setWindowTitle(texts::kDiagramCaption);
    setModal(false);

    sbDiagram = new QScrollArea(this);
    sbDiagram->setObjectName(QStringLiteral("sbDiagram"));
    auto* canvas = new DiagramCanvas(labels_, nullptr);
    for (int d = 0; d < kDomainCount; ++d) {
        const LabelRow& row = kLabels[d];
        auto* l = new TDomainLabel(d, canvas);
        l->setObjectName(QLatin1String(row.name));
        l->setText(QString::fromUtf8(row.caption));
        l->setToolTip(QString::fromUtf8(row.hint));
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(row.x, row.y, row.width, kLabelHeight);
        l->setStyleSheet(kPlain);
        l->setCursor(Qt::PointingHandCursor);
        connect(l, &TDomainLabel::clicked, this, &TdlgDiagram::labelClicked);
        labels_[d] = l;
    }
    lbTitleScreen = caption(canvas, "lbTitleScreen", QStringLiteral("Title Page"),
                            QStringLiteral("Title & Author of the Lesn"), 110, 106);
    lbAuthor = caption(canvas, "lbAuthor", QStringLiteral("Author"), QStringLiteral("Author of the lesson"), 32, 166);
    lbCopyright = caption(canvas, "lbCopyright", QStringLiteral("Copyright"), QStringLiteral("Owner of the Lesn"), 32,
                          220);
    sbDiagram->setWidget(canvas);
    sbDiagram->setWidgetResizable(true);
    canvas->installEventFilter(this);
    sbDiagram->viewport()->installEventFilter(this);

    rbViewOrActivate = new QGroupBox(texts::kClickedDomain, this);
    rbViewOrActivate->setObjectName(QStringLiteral("rbViewOrActivate"));
    rbView = new QRadioButton(texts::kView, rbViewOrActivate);
    rbView->setObjectName(QStringLiteral("rbView"));
    rbActivate = new QRadioButton(texts::kActivate, rbViewOrActivate);
    rbActivate->setObjectName(QStringLiteral("rbActivate"));
    auto* modes = new QHBoxLayout(rbViewOrActivate);
    modes->addWidget(rbView);
    modes->addWidget(rbActivate);
    rbView->setChecked(true);
    connect(rbView, &QRadioButton::toggled, this, &TdlgDiagram::rbViewOrActivateClick);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 2 + 18);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    OKBtn = new QPushButton(QStringLiteral("&OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::close);
    BitBtn1 = new QPushButton(QStringLiteral("&Help"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpTopic); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(rbViewOrActivate);
    bottom->addWidget(Memo1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKBtn);
    buttons->addWidget(BitBtn1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sbDiagram, 1);
    layout->addLayout(bottom);
    resize(620, 470);
    rbViewOrActivateClick();
}

void TdlgDiagram::ShowDiagram() {
    (diagramActivate_ ? rbActivate : rbView)->setChecked(true);
    rbViewOrActivateClick();
    show();
    raise();
}

void TdlgDiagram::rbViewOrActivateClick() {
    diagramActivate_ = rbActivate->isChecked();
    Memo1->setPlainText(diagramActivate_ ? texts::kActivateLine1 + QLatin1Char('\n') + texts::kActivateLine2
                                         : texts::kViewLine1 + QLatin1Char('\n') + texts::kViewLine2);
}

void TdlgDiagram::labelClicked(int domain) {
    if (diagramActivate_) emit domainRequested(domain);
}

void TdlgDiagram::mark(int domain, bool hot) {
    labels_[domain]->setProperty("hot", hot);
    labels_[domain]->setStyleSheet(hot ? kHot : kPlain);
}

void TdlgDiagram::HotDomain(int d) {
    if (!state_.LessonOpen) return;
    for (int i = 0; i < kDomainCount; ++i) mark(i, false);
    const int group = DomainGroup(d);
    if (group < 0) return;
    // A page domain is marked only once a page of its kind has been loaded.
    if (group == 2 && state_.LastReadingPage == -1) return;
    if (group == 3 && state_.LastQuestionPage == -1) return;
    mark(d, true);
}

bool TdlgDiagram::IsHot(int d) const { return labels_.at(d)->property("hot").toBool(); }

bool TdlgDiagram::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        emit continueRequested();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vellora
