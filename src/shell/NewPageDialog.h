#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace vellora {

class Dialogs;
struct AppState;

// "Create New Page?": asks for a new page and its kind. A Yes leaves the kind
// in NewPageKind ("r" reading, "q" question); a No leaves it as it was.
class TdlgNewPage : public QDialog {
    Q_OBJECT
public:
    TdlgNewPage(AppState& state, QWidget* parent = nullptr);

    // The domain request shows which kind of page has not been met yet:
    // item 0 reading, 1 question.
    void PrepareNotEncountered(int item);
    // Runs the dialog modally; true on Yes.
    bool Execute(Dialogs& dialogs);
    // After the dialog closed: hide the two labels, take the kind on Yes.
    void FormDeactivate(bool yes);

    QLabel* lbQuestion;
    QLabel* lbPageType;
    QLabel* lbEncounter;
    QGroupBox* rgPageType;
    QRadioButton* rbReading;
    QRadioButton* rbQuestion;
    QPushButton* YesBtn;
    QPushButton* NoBtn;
    QPushButton* HelpBtn;

signals:
    void helpRequested(int topic);

private:
    AppState& state_;
};

}  // namespace vellora
