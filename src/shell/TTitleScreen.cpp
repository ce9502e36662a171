#include "TTitleScreen.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QTextDocument>

#include "Rescale.h"
#include "Schema.h"
#include "TUtil.h"

namespace vellora {
namespace {

constexpr int kNameFontSize = 20;   // 27 pixels at 96 dpi
constexpr int kSmallFontSize = 8;   // 11 pixels at 96 dpi
const QColor kFace(192, 192, 192);  // the page reads as printed text on the window face

QFont arial(int pointSize, bool bold = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(pointSize);
    f.setBold(bold);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

void setColors(QWidget* w, const QColor& text, const QColor& base) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    w->setPalette(p);
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, const QFont& font, const QColor& color) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(geometry);
    e->setFrame(false);
    e->setTextMargins(0, 0, 0, 0);
    e->setFont(font);
    setColors(e, color, kFace);
    return e;
}

QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text, const QFont& font,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setFont(font);
    l->setAlignment(align);
    return l;
}

QFrame* line(QWidget* parent, const char* name, const QRect& geometry) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(geometry);
    f->setFrameStyle(QFrame::Box | QFrame::Plain);
    f->setStyleSheet(QStringLiteral("color: #808080;"));
    return f;
}

// The text size of an Alpha field of the lesson table; 0 for other kinds.
int fieldSize(const char* field) {
    const TableDef& def = tableDef(TableId::Lesn);
    const int i = fieldIndex(def, QLatin1String(field));
    return i >= 0 && def.fields[size_t(i)].type == FieldType::Alpha ? def.fields[size_t(i)].size : 0;
}

}  // namespace

int NameMargin(int measuredWidth, int characters) {
    if (characters <= 0) return 5;
    // (width div characters) x 0.75, halves to the even neighbour, in integers.
    const int threeQuarters = 3 * (measuredWidth / characters);
    const int whole = threeQuarters / 4;
    const int rest = threeQuarters % 4;
    if (rest > 2 || (rest == 2 && whole % 2 != 0)) return whole + 1;
    return whole;
}

TTitleScreen::TTitleScreen(AppState& state, TUtil& util, QWidget* parent)
    : QWidget(parent), state_(state), util_(util) {
    setObjectName(QStringLiteral("TitleScreen"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kFace);
    setPalette(pal);
    setFont(arial(kSmallFontSize));
    resize(kDesignWidth, kDesignHeight);

    line(this, "LineTop", QRect(10, 8, 567, 1));
    line(this, "LineBottom", QRect(10, 350, 567, 1));
    line(this, "LineLeft", QRect(10, 8, 1, 343));
    line(this, "LineRight", QRect(576, 8, 1, 343));

    Shadow = new QFrame(this);
    Shadow->setObjectName(QStringLiteral("Shadow"));
    Shadow->setGeometry(50, 32, 495, 84);
    Shadow->setAutoFillBackground(true);
    QPalette shadow = Shadow->palette();
    shadow.setColor(QPalette::Window, QColor(128, 128, 128));
    Shadow->setPalette(shadow);

    memTitle = new QTextEdit(this);
    memTitle->setObjectName(QStringLiteral("memTitle"));
    memTitle->setGeometry(44, 26, 495, 84);
    memTitle->setFrameStyle(QFrame::NoFrame);
    memTitle->setAcceptRichText(false);
    memTitle->setTabChangesFocus(true);
    memTitle->setContextMenuPolicy(Qt::NoContextMenu);  // the right button is Continue here
    memTitle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memTitle->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    memTitle->setFont(arial(kNameFontSize, true));
    setColors(memTitle, QColor(128, 0, 0), kFace);

    lbBy = label(this, "lbBy", QRect(263, 120, 60, 22), QStringLiteral("by"), arial(10), Qt::AlignCenter);

    const QFont names = arial(kNameFontSize);
    const QColor navy(0, 0, 128);
    DBeditFirst = edit(this, "DBeditFirst", QRect(205, 148, 60, 32), names, navy);
    DBeditMiddle = edit(this, "DBeditMiddle", QRect(265, 148, 40, 32), names, navy);
    DBeditLast = edit(this, "DBeditLast", QRect(305, 148, 60, 32), names, navy);
    for (QLineEdit* e : {DBeditFirst, DBeditMiddle, DBeditLast}) e->setAlignment(Qt::AlignCenter);

    const QFont small = arial(kSmallFontSize);
    lbCopyright = label(this, "lbCopyright", QRect(44, 236, 60, 18), QStringLiteral("Copyright"), small);
    DBeditYear = edit(this, "DBeditYear", QRect(104, 236, 38, 18), small, Qt::black);
    // The year is a whole number in the record.
    DBeditYear->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), DBeditYear));
    lbBy2 = label(this, "lbBy2", QRect(144, 236, 18, 18), QStringLiteral("by"), small);
    DBEditHolder = edit(this, "DBEditHolder", QRect(162, 236, 190, 18), small, Qt::black);
    DBEditLocation = edit(this, "DBEditLocation", QRect(354, 236, 188, 18), small, Qt::black);

    lbObjective = label(this, "lbObjective", QRect(44, 266, 120, 16), QStringLiteral("Objective"), small);
    Objective = new QPlainTextEdit(this);
    Objective->setObjectName(QStringLiteral("Objective"));
    Objective->setGeometry(44, 284, 499, 56);
    Objective->setFrameStyle(QFrame::NoFrame);
    Objective->setTabChangesFocus(true);
    Objective->setFont(small);
    setColors(Objective, Qt::black, kFace);

    fields_ = {
        {QStringLiteral("Title"), memTitle, 2},
        {QStringLiteral("AuthorFirst"), DBeditFirst, 3},
        {QStringLiteral("AuthorMiddle"), DBeditMiddle, 4},
        {QStringLiteral("AuthorLast"), DBeditLast, 5},
        {QStringLiteral("CopyRYear"), DBeditYear, 0},
        {QStringLiteral("CopyRHolder"), DBEditHolder, 6},
        {QStringLiteral("CopyRLocation"), DBEditLocation, 7},
        {QStringLiteral("Objective"), Objective, 8},
    };
    // The edits hold no more than their fields can keep.
    for (auto* e : {DBeditFirst, DBeditMiddle, DBeditLast, DBEditHolder, DBEditLocation}) {
        const int size = fieldSize(fieldOf(e)->name.toLatin1().constData());
        if (size > 0) e->setMaxLength(size);
    }
    for (const Field& f : fields_) f.widget->installEventFilter(this);
    memTitle->viewport()->installEventFilter(this);

    for (QLineEdit* e : {DBeditFirst, DBeditMiddle, DBeditLast, DBeditYear, DBEditHolder, DBEditLocation})
        connect(e, &QLineEdit::textEdited, this, [this, e] { reportEdit(e); });
    connect(memTitle, &QTextEdit::textChanged, this, [this] { reportEdit(memTitle); });
    connect(Objective, &QPlainTextEdit::textChanged, this, [this] { reportEdit(Objective); });
    setTabOrder(memTitle, DBeditFirst);
    setTabOrder(DBeditFirst, DBeditMiddle);
    setTabOrder(DBeditMiddle, DBeditLast);
    setTabOrder(DBeditLast, DBeditYear);
    setTabOrder(DBeditYear, DBEditHolder);
    setTabOrder(DBEditHolder, DBEditLocation);
    setTabOrder(DBEditLocation, Objective);
}

TTitleScreen::~TTitleScreen() { state_.Closing = true; }

const QStringList& TTitleScreen::fieldNames() {
    static const QStringList names = {QStringLiteral("Title"),        QStringLiteral("AuthorFirst"),
                                      QStringLiteral("AuthorMiddle"), QStringLiteral("AuthorLast"),
                                      QStringLiteral("CopyRYear"),    QStringLiteral("CopyRHolder"),
                                      QStringLiteral("CopyRLocation"), QStringLiteral("Objective")};
    return names;
}

const TTitleScreen::Field* TTitleScreen::fieldOf(const QString& name) const {
    for (const Field& f : fields_)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

const TTitleScreen::Field* TTitleScreen::fieldOf(const QObject* widget) const {
    for (const Field& f : fields_)
        if (f.widget == widget) return &f;
    return nullptr;
}

QWidget* TTitleScreen::fieldWidget(const QString& field) const {
    const Field* f = fieldOf(field);
    return f ? f->widget : nullptr;
}

QString TTitleScreen::fieldText(const QString& field) const {
    const Field* f = fieldOf(field);
    if (!f) return QString();
    if (auto* e = qobject_cast<QLineEdit*>(f->widget)) return e->text();
    if (auto* m = qobject_cast<QTextEdit*>(f->widget)) return m->toPlainText();
    if (auto* m = qobject_cast<QPlainTextEdit*>(f->widget)) return m->toPlainText();
    return QString();
}

void TTitleScreen::setFieldText(const QString& field, const QString& text) {
    const Field* f = fieldOf(field);
    if (!f) return;
    loading_ = true;
    if (auto* e = qobject_cast<QLineEdit*>(f->widget)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* m = qobject_cast<QTextEdit*>(f->widget)) {
        m->setPlainText(text);
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(f->widget)) {
        m->setPlainText(text);
    }
    loading_ = false;
}

void TTitleScreen::reportEdit(QWidget* widget) {
    if (loading_) return;
    if (const Field* f = fieldOf(widget)) emit fieldEdited(f->name, fieldText(f->name));
}

QWidget* TTitleScreen::fieldForDomain(int domain) const {
    for (const Field& f : fields_)
        if (f.domain != 0 && f.domain == domain) return f.widget;
    return nullptr;
}

void TTitleScreen::focusDomainField(int domain) {
    QWidget* w = fieldForDomain(domain);
    if (!w || !w->isVisible() || !w->isEnabled()) return;
    focusing_ = true;
    w->setFocus(Qt::OtherFocusReason);
    focusing_ = false;
}

void TTitleScreen::SpaceNames() {
    if (!state_.DisplayEnabled || state_.Closing) return;
    util_.setFont(DBeditFirst->font());
    util_.Measure(DBeditFirst->text());
    const int margin = NameMargin(util_.MeasuredWidth, int(DBeditFirst->text().size()));
    QLineEdit* names[] = {DBeditFirst, DBeditMiddle, DBeditLast};
    int left = DBeditFirst->x();
    for (QLineEdit* e : names) {
        if (e != DBeditFirst) util_.Measure(e->text());
        e->setGeometry(left, e->y(), util_.MeasuredWidth + 2 * margin, util_.MeasuredHeight);
        left += e->width();
    }
}

bool TTitleScreen::FormKeyPress(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            SpaceNames();
            return false;  // a title may still take a new line
        case Qt::Key_Escape:
            emit stopRequested();
            return true;
        default:
            return false;
    }
}

void TTitleScreen::FormResize() {
    if (!state_.DisplayEnabled || state_.Closing) return;
    const int w = width(), h = height();
    if (w <= 0 || h <= 0 || (w == baseWidth_ && h == baseHeight_)) return;
    for (QWidget* c : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        c->setGeometry(scaleRect(c->geometry(), baseWidth_, baseHeight_, w, h));
    baseWidth_ = w;
    baseHeight_ = h;
    update();
    SpaceNames();
}

QString TTitleScreen::newLessonText(const QString& field) {
    static const std::pair<QLatin1String, QLatin1String> texts[] = {
        {QLatin1String("Title"), QLatin1String("Untitled")},
        {QLatin1String("Objective"), QLatin1String("Lesn")},
        {QLatin1String("AuthorFirst"), QLatin1String("First")},
        {QLatin1String("AuthorMiddle"), QLatin1String("M.")},
        {QLatin1String("AuthorLast"), QLatin1String("Last")},
        {QLatin1String("CopyRHolder"), QLatin1String("Copyright Holder")},
        {QLatin1String("CopyRLocation"), QLatin1String("City, Country")},
    };
    for (const auto& [name, text] : texts)
        if (field.compare(name, Qt::CaseInsensitive) == 0) return text;
    return QString();
}

bool TTitleScreen::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
            if (const Field* f = fieldOf(watched)) {
                const QString placeholder = newLessonText(f->name);
                if (!placeholder.isEmpty() && fieldText(f->name) == placeholder) {
                    if (auto* e = qobject_cast<QLineEdit*>(f->widget)) e->selectAll();
                    if (auto* e = qobject_cast<QTextEdit*>(f->widget)) e->selectAll();
                    if (auto* e = qobject_cast<QPlainTextEdit*>(f->widget)) e->selectAll();
                }
                if (f->domain != 0 && !focusing_ && f->domain != state_.CurrentDomain)
                    emit domainRequested(f->domain);
            }
            break;
        case QEvent::MouseButtonPress:
            if (watched == memTitle->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                emit rightPressed();
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void TTitleScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton)
        emit rightPressed();
    else
        emit clicked();
}

void TTitleScreen::resizeEvent(QResizeEvent*) { FormResize(); }

void TTitleScreen::showEvent(QShowEvent*) {
    // The window may have been given the client panel's size while the
    // display was still off: catch up now.
    FormResize();
    SpaceNames();
}

}  // namespace vellora
