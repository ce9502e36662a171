#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "AppState.h"
#include "TextTarget.h"

class QWidget;

namespace vellora {

class TMainForm;
class TTitleScreen;
class TUtil;

// Widgets that always change together; name, size and colour are read from
// the first, the style from `styleSource` (the first when not given).
class WidgetTextTarget : public TextTarget {
public:
    explicit WidgetTextTarget(std::vector<QWidget*> widgets, QWidget* styleSource = nullptr);
    std::optional<QString> fontName(int word) const override;
    std::optional<int> fontSize(int word) const override;
    std::optional<QColor> fontColor(int word) const override;
    std::optional<int> fontStyle(int word) const override;
    void setFontName(const QString& name, int word) override;
    void setFontSize(int size, int word) override;
    void setFontColor(const QColor& color, int word) override;
    void setFontStyle(int code, int word) override;

private:
    std::vector<QWidget*> widgets_;
    QWidget* styleSource_;
};

// The text attributes of the lesson: the get and set operations per domain
// target, the indicator box and the four tool pop-ups (font list, size,
// colour grid, style boxes). Targets of the title page and the utility window
// are built in; the page window adds its own with setTarget.
class TextAttributes : public QObject {
    Q_OBJECT
public:
    TextAttributes(AppState& state, TMainForm& form, TUtil& util, TTitleScreen& title, QObject* parent = nullptr);
    ~TextAttributes() override;

    // The target of `domain`; nullptr removes it. Not owned.
    void setTarget(int domain, TextTarget* target);
    TextTarget* target(int domain) const;
    // Where the current word comes from (the page window); 1 until set.
    void setCurrentWurdSource(std::function<int()> source) { currentWurd_ = std::move(source); }
    int CurrentWurd() const { return currentWurd_ ? currentWurd_() : 1; }

    // Get operations: the indicator box's value, overridden from the target
    // when it has one; the result is shown in the indicator box.
    QString GetFont(int target, int word);
    QColor GetColor(int target, int word);
    int GetSize(int target, int word);
    int GetStyle(int target, int word);
    // Set operations: the indicator box, then the target.
    void SetFont(int target, const QString& name);
    void SetColor(int target, const QColor& color);
    void SetSize(int target, int size);
    void SetStyle(int target, int code, int word);
    // Shows the target's attributes in the indicator box without changing it.
    void DisplayFont(int target, int word);

    // The target's attributes as the records keep them, leaving the indicator
    // box and the style boxes alone (used when loading and saving records).
    std::optional<FontAttributes> read(int target, int word = 1) const;
    void apply(int target, const FontAttributes& attributes, int word = 1);

    // The StyleCode of the three style boxes.
    int styleBoxesCode() const;

public slots:
    // Tool buttons: each hides the other pop-ups and opens its own just below
    // `button` (the tool strip's button; nullptr places it at the strip's left).
    void btnFont1Click(const QWidget* button = nullptr);
    void btnSize1Click(const QWidget* button = nullptr);
    void btnColor1Click(const QWidget* button = nullptr);
    void btnStyleClick(const QWidget* button = nullptr);

    void FontComboClick(int index);
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void SpinButton2Enter();
    void editSizeChange();
    void ColorGrid1Click(int index);
    void ColorGrid1Exit();
    void BoldClick();

private:
    void placePopup(QWidget* popup, const QWidget* button, int offset);
    int editSizeNumber() const;
    void showStyleInIndicator(int code);

    AppState& state_;
    TMainForm& form_;
    std::unique_ptr<WidgetTextTarget> defaultFontTarget_;
    std::unique_ptr<WidgetTextTarget> titleTarget_;
    std::unique_ptr<WidgetTextTarget> namesTarget_;
    std::array<TextTarget*, 23> targets_{};
    std::function<int()> currentWurd_;
};

}  // namespace vellora
