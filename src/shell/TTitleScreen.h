#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <vector>

#include "AppState.h"

namespace vellora {

class TUtil;

// Margin on each side of an author name: three quarters of the first name's
// average character width (`measuredWidth` div `characters`), rounded to the
// nearest integer with halves to the even neighbour; 5 for an empty name.
int NameMargin(int measuredWidth, int characters);

// Page 0 of every lesson: the title, the author's three names on one line,
// the copyright year, holder and location, and the objective. Its fields show
// the open lesson's record; every edit is reported by field name so that the
// record follows the typing.
class TTitleScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 587;
    static constexpr int kDesignHeight = 360;

    TTitleScreen(AppState& state, TUtil& util, QWidget* parent = nullptr);
    ~TTitleScreen() override;

    QFrame* Shadow;
    QTextEdit* memTitle;
    QLabel* lbBy;
    QLineEdit* DBeditFirst;
    QLineEdit* DBeditMiddle;
    QLineEdit* DBeditLast;
    QLabel* lbCopyright;
    QLineEdit* DBeditYear;
    QLabel* lbBy2;
    QLineEdit* DBEditHolder;
    QLineEdit* DBEditLocation;
    QLabel* lbObjective;
    QPlainTextEdit* Objective;

    // The lesson fields shown here ("Title", "AuthorFirst", ...). Names are
    // matched without regard to case.
    static const QStringList& fieldNames();
    QWidget* fieldWidget(const QString& field) const;
    QString fieldText(const QString& field) const;
    // Shows a value without reporting it as an edit.
    void setFieldText(const QString& field, const QString& text);
    // What a new lesson's field holds until the author types over it ("Untitled",
    // "First", ...); empty for a field without one. A field still holding it
    // has it all selected when it takes the focus, so typing replaces it.
    static QString newLessonText(const QString& field);

    // The field of a title-page domain (2 to 8), or nullptr.
    QWidget* fieldForDomain(int domain) const;
    // Puts the focus into the field of `domain` without asking for the domain
    // again (the domain entry calls this).
    void focusDomainField(int domain);

    // Sizes the author names to their text and places them edge to edge.
    void SpaceNames();
    // Typed characters reach the title screen through the main window while
    // it shows: Enter re-lays the names (and still reaches the field), Esc
    // asks a running play to stop. Answers whether the key was used up here.
    virtual bool FormKeyPress(QKeyEvent* event);
    // Rescales every control to the window's new size.
    void FormResize();

    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

signals:
    // The right mouse button acts as Continue.
    void rightPressed();
    // A left click on the page background.
    void clicked();
    // A field with a domain got the focus: enter that domain.
    void domainRequested(int domain);
    // The author changed a field.
    void fieldEdited(const QString& field, const QString& text);
    // Esc: stop what is playing at its next check.
    void stopRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Field {
        QString name;
        QWidget* widget;
        int domain;  // 0 when focusing it enters no domain
    };
    const Field* fieldOf(const QString& name) const;
    const Field* fieldOf(const QObject* widget) const;
    void reportEdit(QWidget* widget);

    AppState& state_;
    TUtil& util_;
    std::vector<Field> fields_;
    int baseWidth_ = kDesignWidth;
    int baseHeight_ = kDesignHeight;
    bool loading_ = false;
    bool focusing_ = false;
};

}  // namespace vellora
