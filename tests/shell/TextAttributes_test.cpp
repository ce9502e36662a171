#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontInfo>
#include <QTest>

#include "ColorGrid.h"
#include "Controls.h"
#include "LessonSession.h"
#include "TTitleScreen.h"
#include "TUtil.h"
#include "Table.h"
#include "TempDir.h"
#include "TextCodes.h"
#include "ToolStripWidget.h"

using namespace vellora;
using vellora::testing::LessonSession;
using vellora::testing::TempDir;

TEST(StyleCode, TheEightCodesAndAnythingElseIsPlain) {
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 2; ++i)
            for (int u = 0; u < 2; ++u) {
                const int code = 100 * b + 10 * i + u;
                const TextStyle s = StyleOfCode(code);
                EXPECT_EQ(s, (TextStyle{b == 1, i == 1, u == 1})) << code;
                EXPECT_EQ(StyleCodeOf(s), code);
                QFont f;
                f.setStrikeOut(true);
                f = FontWithStyle(f, code);
                EXPECT_EQ(StyleOfFont(f), s);
                EXPECT_FALSE(f.strikeOut());
            }
    for (qint64 meaningless : {2LL, 5LL, 12LL, 102LL, 1000LL, -1LL, -100LL, 11111LL})
        EXPECT_EQ(StyleOfCode(meaningless), TextStyle{}) << meaningless;
}

namespace {

// A new lesson in a data directory of its own.
struct OwnDir {
    TempDir tmp;
};
struct AttributeSession : OwnDir, LessonSession {
    TMainForm& f;
    TTitleScreen& t;
    AttributeSession() : LessonSession(tmp.path()), f(form()), t(title()) { life().FileNewClick(); }
};

}  // namespace

TEST(FontTool, ShowsAStandInForAMissingFontAndSetsTheChosenOne) {
    AttributeSession s;
    s.attributes().btnFont1Click();
    EXPECT_TRUE(s.f.FontCombo->isVisible());
    // The title is in "Arial", which the machine lacks: the list shows its stand-in.
    const QString standIn = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    EXPECT_EQ(s.f.FontCombo->currentText(), standIn);
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(s.t.memTitle->font().family(), QStringLiteral("Arial"));

    const int serif = s.f.FontCombo->findText(QStringLiteral("DejaVu Serif"));
    ASSERT_GE(serif, 0);
    emit s.f.FontCombo->activated(serif);
    EXPECT_EQ(s.t.memTitle->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(s.f.editFont->font().family(), QStringLiteral("DejaVu Serif"));

    // The author names change together.
    s.f.Icons(4);
    s.attributes().btnFont1Click();
    emit s.f.FontCombo->activated(serif);
    for (QLineEdit* e : {s.t.DBeditFirst, s.t.DBeditMiddle, s.t.DBeditLast})
        EXPECT_EQ(e->font().family(), QStringLiteral("DejaVu Serif"));
    // The other pop-ups closed when this one opened.
    s.attributes().btnColor1Click();
    EXPECT_FALSE(s.f.FontCombo->isVisible());
    EXPECT_TRUE(s.f.pnlColor->isVisible());
}

TEST(FontTool, ALongFamilyNameIsCutToTheFieldWhenSaved) {
    AttributeSession s;
    s.attributes().SetFont(2, QStringLiteral("Liberation Sans Narrow Condensed"));
    EXPECT_TRUE(s.life().SaveLesnRecord());
    ASSERT_TRUE(s.f.LesnTable->findKey(qint64(1)));
    EXPECT_EQ(s.f.LesnTable->asString(QStringLiteral("TitleFontName")), QStringLiteral("Liberation Sans Narr"));
}

TEST(SizeTool, SpinsUpAndDownButNeverBelowOne) {
    AttributeSession s;
    s.attributes().btnSize1Click();
    EXPECT_TRUE(s.f.pnlSize->isVisible());
    EXPECT_EQ(s.f.editSize->text(), QStringLiteral("22"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("22"));  // every change of the edit is copied
    emit s.f.SpinButton2->upClicked();
    EXPECT_EQ(s.t.memTitle->font().pointSize(), 23);
    EXPECT_EQ(s.f.editSize->text(), QStringLiteral(" 23"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral(" 23"));

    struct Case {
        QString start;
        bool up;
        int size;
    };
    const Case cases[] = {
        {QStringLiteral("2"), false, 1},  {QStringLiteral("1"), false, 1},   {QStringLiteral("0"), false, 1},
        {QStringLiteral("x"), false, 1},  {QStringLiteral("-5"), false, 1},  {QStringLiteral("1"), true, 2},
        {QStringLiteral("-3"), true, 1},  {QStringLiteral(" 40"), true, 41}, {QStringLiteral("12"), false, 11},
    };
    for (const auto& c : cases) {
        s.attributes().SetSize(2, 7);
        s.f.editSize->setText(c.start);
        if (c.up)
            emit s.f.SpinButton2->upClicked();
        else
            emit s.f.SpinButton2->downClicked();
        const int expected = (!c.up && c.start.trimmed() == QLatin1String("1")) ? 7 : c.size;
        EXPECT_EQ(s.t.memTitle->font().pointSize(), expected) << c.start.toStdString() << (c.up ? " up" : " down");
    }
    // A size typed in and confirmed applies; nonsense shows the size again.
    s.f.editSize->setText(QStringLiteral("30"));
    QTest::keyClick(s.f.editSize, Qt::Key_Return);
    EXPECT_EQ(s.t.memTitle->font().pointSize(), 30);
    s.f.editSize->setText(QStringLiteral("0"));
    QTest::keyClick(s.f.editSize, Qt::Key_Return);
    EXPECT_EQ(s.t.memTitle->font().pointSize(), 30);
    EXPECT_EQ(s.f.editSize->text(), QStringLiteral("30"));
}

TEST(ColorTool, GridShowsTheCurrentColourAndSetsTheChosenOne) {
    AttributeSession s;
    s.attributes().btnColor1Click();
    ASSERT_TRUE(s.f.pnlColor->isVisible());
    EXPECT_EQ(s.f.ColorGrid1->selectedIndex(), kColorNavy);
    for (int code : {kColorTeal, 9, 0, 15}) {
        QTest::mouseClick(s.f.ColorGrid1, Qt::LeftButton, {}, s.f.ColorGrid1->cellRect(code).center());
        EXPECT_EQ(s.t.memTitle->palette().color(QPalette::Text), ColorOfCode(code));
        EXPECT_EQ(s.f.editFont->palette().color(QPalette::Text), ColorOfCode(code));
        EXPECT_EQ(s.f.ColorGrid1->selectedIndex(), code);
    }
    vellora::testing::saveScreenshot(&s.f, QStringLiteral("title-screen-colour-grid.png"));
    // The keyboard works the grid too.
    s.f.ColorGrid1->setFocus();
    QTest::keyClick(s.f.ColorGrid1, Qt::Key_Up);
    QTest::keyClick(s.f.ColorGrid1, Qt::Key_Left);
    QTest::keyClick(s.f.ColorGrid1, Qt::Key_Space);
    EXPECT_EQ(s.t.memTitle->palette().color(QPalette::Text), ColorOfCode(10));
    // Leaving the grid closes its panel.
    s.t.DBEditHolder->setFocus();
    EXPECT_FALSE(s.f.pnlColor->isVisible());
}

TEST(StyleTool, BoxesShowAndSetTheStyleOnlyWhileStyleEventsAreOn) {
    AttributeSession s;
    s.attributes().SetStyle(2, 110, 1);
    s.attributes().btnStyleClick();
    EXPECT_TRUE(s.f.pnlSetStyle->isVisible());
    EXPECT_TRUE(s.f.pnlSetStyle->isEnabled());
    EXPECT_TRUE(s.f.Bold->isChecked());
    EXPECT_TRUE(s.f.Italics->isChecked());
    EXPECT_FALSE(s.f.Underline->isChecked());
    // Showing the style did not write anything back.
    EXPECT_TRUE(s.t.memTitle->font().bold());
    EXPECT_TRUE(s.t.memTitle->font().italic());

    s.f.Italics->click();
    s.f.Underline->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(s.t.memTitle->font())), 101);
    EXPECT_TRUE(s.f.editFont->font().underline());

    s.state().StyleEventsEnabled = false;
    s.f.Bold->click();
    EXPECT_TRUE(s.t.memTitle->font().bold());
    s.state().StyleEventsEnabled = true;
    s.f.Bold->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(s.t.memTitle->font())), 101);
    s.f.Bold->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(s.t.memTitle->font())), 1);
}

TEST(DisplayFont, EnteringADomainShowsItsTargetWithoutChangingIt) {
    AttributeSession s;
    // Title bold and teal; names italic (read from the middle name) and 12 points.
    s.attributes().apply(2, {QStringLiteral("Arial"), 26, ColorOfCode(kColorTeal), 100});
    s.attributes().apply(3, {QStringLiteral("DejaVu Serif"), 12, ColorOfCode(9), 0});
    s.t.DBeditMiddle->setFont(FontWithStyle(s.t.DBeditMiddle->font(), 10));

    s.f.Icons(3);
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("12"));
    EXPECT_EQ(s.f.editFont->palette().color(QPalette::Text), ColorOfCode(9));
    EXPECT_TRUE(s.f.Italics->isChecked());
    EXPECT_FALSE(s.f.Bold->isChecked());
    EXPECT_FALSE(s.t.DBeditFirst->font().italic());  // the first name keeps its own style

    s.f.Icons(2);
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("26"));
    EXPECT_TRUE(s.f.Bold->isChecked());
    EXPECT_FALSE(s.f.Italics->isChecked());
    EXPECT_TRUE(s.t.memTitle->font().bold());
    EXPECT_EQ(s.t.memTitle->font().pointSize(), 26);
    EXPECT_FALSE(s.t.DBeditMiddle->font().bold());
    EXPECT_TRUE(s.t.DBeditMiddle->font().italic());

    // Domain 1: the lesson's default font on the utility window, whose sample shows.
    EXPECT_FALSE(s.app->Util()->DefaultFont->isVisible());
    s.f.Icons(1);
    EXPECT_TRUE(s.app->Util()->DefaultFont->isVisible());
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("arial"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("15"));
    s.attributes().SetSize(1, 18);
    EXPECT_EQ(s.app->Util()->DefaultFont->font().pointSize(), 18);

    // A domain without a target: size 1, plain, the font name stays.
    s.f.Icons(9);
    EXPECT_FALSE(s.app->Util()->DefaultFont->isVisibleTo(s.app->Util()));
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("arial"));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("1"));
    EXPECT_FALSE(s.f.Bold->isChecked());
    s.attributes().SetFont(9, QStringLiteral("DejaVu Sans"));  // only the indicator box changes
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(s.t.memTitle->font().family(), QStringLiteral("Arial"));
}

namespace {

// A target with nothing to show, like a page without choices: reads answer
// nothing, writes only reach it where the target allows.
class EmptyChoices : public TextTarget {
public:
    QString name;
    int sets = 0;
    std::optional<QString> fontName(int) const override { return std::nullopt; }
    std::optional<int> fontSize(int) const override { return std::nullopt; }
    std::optional<QColor> fontColor(int) const override { return std::nullopt; }
    std::optional<int> fontStyle(int) const override { return std::nullopt; }
    void setFontName(const QString& n, int) override { name = n; }
    void setFontSize(int, int) override { ++sets; }
    void setFontColor(const QColor&, int) override { ++sets; }
    void setFontStyle(int, int) override { ++sets; }
};

}  // namespace

TEST(DisplayFont, ATargetWithNothingToShowKeepsTheIndicatorValues) {
    AttributeSession s;
    EmptyChoices choices;
    s.attributes().setTarget(20, &choices);
    s.f.Icons(2);  // indicator: Arial 22 navy
    s.f.Icons(20);
    EXPECT_EQ(s.f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(s.f.editFont->palette().color(QPalette::Text), ColorOfCode(kColorNavy));
    EXPECT_EQ(s.f.editSizeFont->text(), QStringLiteral("22"));
    EXPECT_FALSE(s.f.Bold->isChecked());
    s.attributes().SetFont(20, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(choices.name, QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(s.attributes().read(20).has_value());
    s.attributes().setTarget(20, nullptr);
}

TEST(Popups, OpenJustBelowTheirButton) {
    AttributeSession s;
    auto* button = new QToolButton(s.f.Slider);
    button->setGeometry(64, 2, 31, 31);
    button->show();
    const int buttonLeft = button->mapTo(s.f.centralWidget(), QPoint(0, 0)).x();
    s.attributes().btnColor1Click(button);
    EXPECT_EQ(s.f.pnlColor->pos(), QPoint(buttonLeft - 2, s.f.Panel1->geometry().bottom() + 1));
    s.attributes().btnFont1Click(button);
    EXPECT_EQ(s.f.FontCombo->x(), buttonLeft + 2);
    s.attributes().btnSize1Click(button);
    EXPECT_EQ(s.f.pnlSize->x(), buttonLeft - 2);
    // The font tools of the tool strip open them.
    s.f.Icons(2);
    const std::pair<Tool, QWidget*> tools[] = {{Tool::btnFont1, s.f.FontCombo},
                                               {Tool::btnSize1, s.f.pnlSize},
                                               {Tool::btnColor1, s.f.pnlColor},
                                               {Tool::btnStyle, s.f.pnlSetStyle}};
    for (const auto& [tool, popup] : tools) {
        QToolButton* b = s.f.Slider->button(tool);
        ASSERT_TRUE(b->isVisible());
        b->click();
        EXPECT_TRUE(popup->isVisible()) << popup->objectName().toStdString();
        EXPECT_EQ(popup->y(), s.f.Panel1->geometry().bottom() + 1);
    }
    // Never past the window's right edge.
    button->move(s.f.Slider->width() - 20, 2);
    s.attributes().btnStyleClick(button);
    EXPECT_LE(s.f.pnlSetStyle->x() + s.f.pnlSetStyle->width(), s.f.centralWidget()->width());
}
