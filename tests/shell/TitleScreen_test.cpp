#include <gtest/gtest.h>

#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include "DomainTable.h"
#include "HelpWindow.h"
#include "LessonSession.h"
#include "Rescale.h"
#include "TTitleScreen.h"
#include "TUtil.h"
#include "TextMeasurer.h"

using namespace vellora;
using vellora::testing::LessonSession;
using vellora::testing::TempDir;

namespace {

// Gives each text a set width; unknown texts are 10 pixels a character.
class FixedMeasurer : public TextMeasurer {
  public:
    QHash<QString, int> widths;
    int height = 31;
    QSize measure(const QFont&, const QString& text) const override {
        return QSize(widths.value(text, int(text.size()) * 10), height);
    }
};

// A new lesson in a data directory of its own, on its title page.
struct TitleScreen : ::testing::Test {
    TempDir tmp;
    LessonSession s{tmp.path()};
    TTitleScreen& t = s.title();
    TitleScreen() { s.life().FileNewClick(); }
};

}  // namespace

TEST_F(TitleScreen, EnterReLaysTheNamesWithoutMovingFocusOrDomain) {
    FixedMeasurer m;
    s.app->Util()->setMeasurer(&m);
    for (QWidget* field :
         {static_cast<QWidget*>(t.memTitle), static_cast<QWidget*>(t.DBeditLast),
          static_cast<QWidget*>(t.DBEditHolder), static_cast<QWidget*>(t.Objective)}) {
        field->setFocus();
        const int domain = s.state().CurrentDomain;
        t.DBeditFirst->setText(QStringLiteral("Wilhelmina"));  // a change made elsewhere
        m.widths = {{QStringLiteral("Wilhelmina"), 120}};
        t.DBeditFirst->resize(10, 10);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(t.DBeditFirst->width(), 120 + 2 * 9) << field->objectName().toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(s.state().CurrentDomain, domain);
    }
    // The title still takes the new line: titles have two.
    EXPECT_EQ(t.memTitle->toPlainText().count(QLatin1Char('\n')), 1);
    s.app->Util()->setMeasurer(nullptr);
}

TEST_F(TitleScreen, FocusingAFieldEntersItsDomain) {
    EXPECT_EQ(QApplication::focusWidget(), t.memTitle);  // entering domain 2 focuses the title
    const std::pair<QWidget*, int> cases[] = {
        {t.DBeditFirst, 3},    {t.DBeditMiddle, 4}, {t.DBeditLast, 5}, {t.DBEditHolder, 6},
        {t.DBEditLocation, 7}, {t.Objective, 8},    {t.memTitle, 2},
    };
    for (const auto& [field, domain] : cases) {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, 3));
        if (field == t.memTitle || field == t.Objective) field->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(s.state().CurrentDomain, domain);
        EXPECT_EQ(s.form().editDomain->text(), DomainName(domain));
        EXPECT_EQ(QApplication::focusWidget(), field);
    }
    // The year has no domain of its own.
    t.DBeditYear->setFocus();
    EXPECT_EQ(s.state().CurrentDomain, 2);
    // Entering a title domain puts the focus into its field.
    for (const auto& [field, domain] : cases) {
        s.form().Icons(domain);
        EXPECT_EQ(QApplication::focusWidget(), field) << domain;
    }
    EXPECT_EQ(t.fieldForDomain(9), nullptr);
    EXPECT_EQ(t.fieldForDomain(1), nullptr);
}

// A new lesson's texts ("Untitled", "First", ...) are selected when their
// field takes the focus, so the author's typing replaces them; a text the
// author has typed is not.
TEST_F(TitleScreen, TypingReplacesANewLessonsTextsOnly) {
    QTest::keyClicks(t.memTitle, QStringLiteral("Frogs"));  // F3 left the focus here
    EXPECT_EQ(t.memTitle->toPlainText(), QStringLiteral("Frogs"));
    const std::pair<int, QLineEdit*> names[] = {
        {3, t.DBeditFirst}, {4, t.DBeditMiddle}, {5, t.DBeditLast}, {7, t.DBEditLocation}};
    for (const auto& [domain, field] : names) {
        s.form().Icons(domain);
        QTest::keyClicks(field, QStringLiteral("Ada"));
        EXPECT_EQ(field->text(), QStringLiteral("Ada")) << domain;
    }
    s.form().Icons(2);
    QTest::keyClicks(t.memTitle, QStringLiteral("!"));
    s.form().Icons(3);
    QTest::keyClicks(t.DBeditFirst, QStringLiteral("!"));
    EXPECT_EQ(t.memTitle->toPlainText(), QStringLiteral("Frogs!"));
    EXPECT_EQ(t.DBeditFirst->text(), QStringLiteral("Ada!"));
}

TEST_F(TitleScreen, EscapeAsksToStopAndTypingUStaysText) {
    t.DBEditLocation->setFocus();
    QTest::keyClick(t.DBEditLocation, Qt::Key_End);
    QTest::keyClicks(t.DBEditLocation, QStringLiteral("u"));
    EXPECT_EQ(t.DBEditLocation->text(), QStringLiteral("City, Countryu"));
    EXPECT_EQ(s.app->Help()->currentTopic(), -1);  // no help came up
    EXPECT_FALSE(s.state().StopRequested);
    QTest::keyClick(t.DBEditLocation, Qt::Key_Escape);
    EXPECT_TRUE(s.state().StopRequested);
    // Esc again, and Esc twice built at one address with nothing in between
    // (as a key on the stack is): every press reaches the preview.
    s.state().StopRequested = false;
    QTest::keyClick(t.DBEditLocation, Qt::Key_Escape);
    EXPECT_TRUE(s.state().StopRequested);
    for (int i = 0; i < 2; ++i) {
        s.state().StopRequested = false;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
        QApplication::sendEvent(t.DBEditLocation, &esc);
        EXPECT_TRUE(s.state().StopRequested) << "press " << i;
    }
    EXPECT_EQ(s.state().CurrentDomain, 7);
}

TEST_F(TitleScreen, RightButtonIsContinueAndLeftClickClosesPopups) {
    QSignalSpy cont(&s.form(), &TMainForm::continueRequested);
    QTest::mouseClick(t.memTitle->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(&t, Qt::RightButton, {}, QPoint(5, 200));
    EXPECT_EQ(cont.count(), 2);
    EXPECT_EQ(t.memTitle->toPlainText(), QStringLiteral("Untitled"));

    s.form().pnlColor->show();
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(5, 200));
    EXPECT_FALSE(s.form().pnlColor->isVisible());
    EXPECT_EQ(cont.count(), 2);
}

TEST_F(TitleScreen, ResizingScalesEveryControlInProportion) {
    // Shown, it fits the client panel.
    EXPECT_EQ(t.size(), s.form().ClientOfMainScreen->size());
    EXPECT_EQ(t.baseWidth(), t.width());
    EXPECT_EQ(t.baseHeight(), t.height());
    const int w0 = t.width(), h0 = t.height();
    QWidget* watched[] = {t.memTitle,       t.Objective,   t.DBEditHolder,
                          t.DBEditLocation, t.lbCopyright, t.Shadow};
    std::vector<QRect> before;
    for (QWidget* w : watched) before.push_back(w->geometry());
    const int nameTop = t.DBeditFirst->y();

    QWidget* central = s.form().centralWidget();
    s.form().resize(s.form().width() + central->width(), s.form().height() + central->height());
    QApplication::processEvents();
    ASSERT_EQ(t.width(), 2 * w0);
    ASSERT_EQ(t.height(), 2 * h0);
    for (size_t i = 0; i < std::size(watched); ++i)
        EXPECT_EQ(watched[i]->geometry(), scaleRect(before[i], w0, h0, 2 * w0, 2 * h0))
            << watched[i]->objectName().toStdString();
    EXPECT_EQ(t.DBeditFirst->y(), scaleRect(QRect(0, nameTop, 1, 1), w0, h0, 2 * w0, 2 * h0).y());
    EXPECT_EQ(t.baseWidth(), 2 * w0);
    // The names were laid out again: edge to edge.
    EXPECT_EQ(t.DBeditMiddle->x(), t.DBeditFirst->x() + t.DBeditFirst->width());

    // Resizing while the program closes changes nothing.
    const QRect title = t.memTitle->geometry();
    s.state().Closing = true;
    t.resize(w0, h0);
    EXPECT_EQ(t.memTitle->geometry(), title);
    EXPECT_EQ(t.baseWidth(), 2 * w0);
    s.state().Closing = false;
}
