#include "TextAttributes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "ColorGrid.h"
#include "Controls.h"
#include "TMainForm.h"
#include "TTitleScreen.h"
#include "TUtil.h"
#include "TextCodes.h"
#include "ToolStripWidget.h"

namespace vellora {
namespace {

int pointSizeOf(const QFont& f) { return f.pointSize() > 0 ? f.pointSize() : QFontInfo(f).pointSize(); }

void setTextColor(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::WindowText, color);
    w->setPalette(p);
}

// Runs `f` with the style boxes' events off, so that showing a style in the
// boxes does not write it back into a target.
template <typename F>
void withoutStyleEvents(AppState& state, F&& f) {
    const bool was = state.StyleEventsEnabled;
    state.StyleEventsEnabled = false;
    f();
    state.StyleEventsEnabled = was;
}

}  // namespace

// ------------------------------------------------------------ WidgetTextTarget

WidgetTextTarget::WidgetTextTarget(std::vector<QWidget*> widgets, QWidget* styleSource)
    : widgets_(std::move(widgets)), styleSource_(styleSource ? styleSource : widgets_.front()) {}

std::optional<QString> WidgetTextTarget::fontName(int) const { return widgets_.front()->font().family(); }
std::optional<int> WidgetTextTarget::fontSize(int) const { return pointSizeOf(widgets_.front()->font()); }
std::optional<QColor> WidgetTextTarget::fontColor(int) const {
    return widgets_.front()->palette().color(QPalette::Text);
}
std::optional<int> WidgetTextTarget::fontStyle(int) const { return StyleCodeOf(StyleOfFont(styleSource_->font())); }

void WidgetTextTarget::setFontName(const QString& name, int) {
    // The name is kept as given; a font the machine lacks is drawn with the
    // closest one installed.
    for (QWidget* w : widgets_) {
        QFont f = w->font();
        f.setFamily(name);
        w->setFont(f);
    }
}

void WidgetTextTarget::setFontSize(int size, int) {
    for (QWidget* w : widgets_) {
        QFont f = w->font();
        f.setPointSize(std::max(1, size));
        w->setFont(f);
    }
}

void WidgetTextTarget::setFontColor(const QColor& color, int) {
    for (QWidget* w : widgets_) setTextColor(w, color);
}

void WidgetTextTarget::setFontStyle(int code, int) {
    for (QWidget* w : widgets_) w->setFont(FontWithStyle(w->font(), code));
}

// -------------------------------------------------------------- TextAttributes

TextAttributes::TextAttributes(AppState& state, TMainForm& form, TUtil& util, TTitleScreen& title, QObject* parent)
    : QObject(parent),
      state_(state),
      form_(form),
      defaultFontTarget_(std::make_unique<WidgetTextTarget>(std::vector<QWidget*>{util.DefaultFont})),
      titleTarget_(std::make_unique<WidgetTextTarget>(std::vector<QWidget*>{title.memTitle})),
      namesTarget_(std::make_unique<WidgetTextTarget>(
          std::vector<QWidget*>{title.DBeditFirst, title.DBeditMiddle, title.DBeditLast}, title.DBeditMiddle)) {
    setObjectName(QStringLiteral("TextAttributes"));
    targets_[1] = defaultFontTarget_.get();
    targets_[2] = titleTarget_.get();
    targets_[3] = targets_[4] = targets_[5] = namesTarget_.get();

    connect(form_.FontCombo, &QComboBox::activated, this, &TextAttributes::FontComboClick);
    connect(form_.SpinButton2, &TSpinButton::upClicked, this, &TextAttributes::SpinButton2UpClick);
    connect(form_.SpinButton2, &TSpinButton::downClicked, this, &TextAttributes::SpinButton2DownClick);
    connect(form_.editSize, &QLineEdit::textChanged, this, &TextAttributes::editSizeChange);
    connect(form_.editSize, &QLineEdit::returnPressed, this, [this] {
        // A size typed in and confirmed with Enter; anything else shows the
        // target's size again.
        bool ok = false;
        const int size = form_.editSize->text().trimmed().toInt(&ok);
        if (ok && size >= 1)
            SetSize(state_.CurrentDomain, size);
        else
            SpinButton2Enter();
    });
    connect(form_.ColorGrid1, &TColorGrid::clicked, this, &TextAttributes::ColorGrid1Click);
    connect(form_.ColorGrid1, &TColorGrid::exited, this, &TextAttributes::ColorGrid1Exit);
    for (QCheckBox* box : {form_.Bold, form_.Italics, form_.Underline})
        connect(box, &QCheckBox::toggled, this, &TextAttributes::BoldClick);
    connect(&form_, &TMainForm::displayFontRequested, this, [this](int domain) { DisplayFont(domain, CurrentWurd()); });
    // The four font tools of the tool strip open the pop-ups below themselves.
    TToolStrip* strip = form_.Slider;
    const std::pair<Tool, void (TextAttributes::*)(const QWidget*)> tools[] = {
        {Tool::btnFont1, &TextAttributes::btnFont1Click},
        {Tool::btnSize1, &TextAttributes::btnSize1Click},
        {Tool::btnColor1, &TextAttributes::btnColor1Click},
        {Tool::btnStyle, &TextAttributes::btnStyleClick},
    };
    for (const auto& [tool, handler] : tools) {
        QToolButton* button = strip->button(tool);
        connect(button, &QToolButton::clicked, this, [this, button, handler = handler] { (this->*handler)(button); });
    }
}

TextAttributes::~TextAttributes() = default;

void TextAttributes::setTarget(int domain, TextTarget* target) {
    if (domain >= 0 && domain < int(targets_.size())) targets_[size_t(domain)] = target;
}

TextTarget* TextAttributes::target(int domain) const {
    return domain >= 0 && domain < int(targets_.size()) ? targets_[size_t(domain)] : nullptr;
}

QString TextAttributes::GetFont(int target, int word) {
    QString name = form_.editFont->text();
    if (TextTarget* t = this->target(target))
        if (auto n = t->fontName(word)) name = *n;
    QFont f = form_.editFont->font();
    f.setFamily(name);
    form_.editFont->setFont(f);
    form_.editFont->setText(name);
    form_.editFont->setCursorPosition(0);
    return name;
}

QColor TextAttributes::GetColor(int target, int word) {
    QColor color = form_.editFont->palette().color(QPalette::Text);
    if (TextTarget* t = this->target(target))
        if (auto c = t->fontColor(word)) color = *c;
    setTextColor(form_.editFont, color);
    return color;
}

int TextAttributes::GetSize(int target, int word) {
    int size = 1;
    if (TextTarget* t = this->target(target)) {
        size = form_.editSizeFont->text().trimmed().toInt();
        if (auto s = t->fontSize(word)) size = *s;
    }
    form_.editSize->setText(QString::number(size));
    return size;
}

int TextAttributes::GetStyle(int target, int word) {
    int code = 0;
    if (TextTarget* t = this->target(target))
        if (auto s = t->fontStyle(word)) code = StyleCodeOf(StyleOfCode(*s));
    const TextStyle style = StyleOfCode(code);
    withoutStyleEvents(state_, [&] {
        form_.Bold->setChecked(style.bold);
        form_.Italics->setChecked(style.italic);
        form_.Underline->setChecked(style.underline);
    });
    showStyleInIndicator(code);
    return code;
}

void TextAttributes::showStyleInIndicator(int code) { form_.editFont->setFont(FontWithStyle(form_.editFont->font(), code)); }

void TextAttributes::SetFont(int target, const QString& name) {
    QFont f = form_.editFont->font();
    f.setFamily(name);
    form_.editFont->setFont(f);
    form_.editFont->setText(name);
    form_.editFont->setCursorPosition(0);
    if (TextTarget* t = this->target(target)) t->setFontName(name, CurrentWurd());
}

void TextAttributes::SetColor(int target, const QColor& color) {
    setTextColor(form_.editFont, color);
    if (TextTarget* t = this->target(target)) t->setFontColor(color, CurrentWurd());
}

void TextAttributes::SetSize(int target, int size) {
    size = std::max(1, size);
    form_.editSize->setText(QLatin1Char(' ') + QString::number(size));
    if (TextTarget* t = this->target(target)) t->setFontSize(size, CurrentWurd());
}

void TextAttributes::SetStyle(int target, int code, int word) {
    code = StyleCodeOf(StyleOfCode(code));
    showStyleInIndicator(code);
    if (TextTarget* t = this->target(target)) t->setFontStyle(code, word);
}

void TextAttributes::DisplayFont(int target, int word) {
    GetFont(target, word);
    GetColor(target, word);
    GetSize(target, word);
    GetStyle(target, word);
}

std::optional<FontAttributes> TextAttributes::read(int target, int word) const {
    const TextTarget* t = this->target(target);
    if (!t) return std::nullopt;
    const auto name = t->fontName(word);
    const auto size = t->fontSize(word);
    const auto color = t->fontColor(word);
    const auto style = t->fontStyle(word);
    if (!name || !size || !color || !style) return std::nullopt;
    return FontAttributes{*name, *size, *color, StyleCodeOf(StyleOfCode(*style))};
}

void TextAttributes::apply(int target, const FontAttributes& a, int word) {
    TextTarget* t = this->target(target);
    if (!t) return;
    t->setFontName(a.name, word);
    t->setFontSize(a.size, word);
    t->setFontColor(a.color, word);
    t->setFontStyle(a.style, word);
}

int TextAttributes::styleBoxesCode() const {
    return StyleCodeOf({form_.Bold->isChecked(), form_.Italics->isChecked(), form_.Underline->isChecked()});
}

// ------------------------------------------------------------------- pop-ups

void TextAttributes::placePopup(QWidget* popup, const QWidget* button, int offset) {
    QWidget* central = form_.centralWidget();
    int x = form_.Slider->x() + offset;
    if (button && central->isAncestorOf(button)) x = button->mapTo(central, QPoint(0, 0)).x() + offset;
    x = std::clamp(x, 0, std::max(0, central->width() - popup->width()));
    popup->move(x, form_.Panel1->geometry().bottom() + 1);
    popup->raise();
}

void TextAttributes::btnFont1Click(const QWidget* button) {
    form_.CleanUp();
    const QString name = GetFont(state_.CurrentDomain, CurrentWurd());
    QComboBox* combo = form_.FontCombo;
    int index = combo->findText(name, Qt::MatchFixedString);
    // A font the machine lacks is listed as the one that stands in for it.
    if (index < 0) index = combo->findText(QFontInfo(QFont(name)).family(), Qt::MatchFixedString);
    combo->setCurrentIndex(index);
    placePopup(combo, button, 2);
    combo->show();
    combo->setFocus(Qt::PopupFocusReason);
}

void TextAttributes::FontComboClick(int index) {
    if (index < 0) return;
    SetFont(state_.CurrentDomain, form_.FontCombo->itemText(index));
}

void TextAttributes::btnSize1Click(const QWidget* button) {
    form_.CleanUp();
    placePopup(form_.pnlSize, button, -2);
    form_.pnlSize->show();
    SpinButton2Enter();
    form_.editSize->setFocus(Qt::PopupFocusReason);
}

int TextAttributes::editSizeNumber() const { return form_.editSize->text().trimmed().toInt(); }

void TextAttributes::SpinButton2UpClick() { SetSize(state_.CurrentDomain, std::max(0, editSizeNumber()) + 1); }

void TextAttributes::SpinButton2DownClick() {
    const int size = editSizeNumber();
    if (size >= 2)
        SetSize(state_.CurrentDomain, size - 1);
    else if (size < 1)
        SetSize(state_.CurrentDomain, 1);  // nothing sensible was there: the smallest size
}

void TextAttributes::SpinButton2Enter() { GetSize(state_.CurrentDomain, CurrentWurd()); }

void TextAttributes::editSizeChange() { form_.editSizeFont->setText(form_.editSize->text()); }

void TextAttributes::btnColor1Click(const QWidget* button) {
    form_.CleanUp();
    placePopup(form_.pnlColor, button, -2);
    form_.pnlColor->setEnabled(true);
    form_.ColorGrid1->setSelectedIndex(CodeOfColor(GetColor(state_.CurrentDomain, CurrentWurd())));
    form_.pnlColor->show();
    form_.ColorGrid1->setFocus(Qt::PopupFocusReason);
}

void TextAttributes::ColorGrid1Click(int index) { SetColor(state_.CurrentDomain, ColorOfCode(index)); }

void TextAttributes::ColorGrid1Exit() { form_.pnlColor->hide(); }

void TextAttributes::btnStyleClick(const QWidget* button) {
    form_.CleanUp();
    placePopup(form_.pnlSetStyle, button, -2);
    form_.pnlSetStyle->setEnabled(true);
    form_.pnlSetStyle->show();
    GetStyle(state_.CurrentDomain, CurrentWurd());
}

void TextAttributes::BoldClick() {
    if (!state_.StyleEventsEnabled) return;
    SetStyle(state_.CurrentDomain, styleBoxesCode(), CurrentWurd());
}

}  // namespace vellora
