#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "Domains.h"

namespace vellora {

class TMainForm;

// Moving between domains: the entry operation every domain change ends in,
// Continue, Return, Exit, New, the domain requests and the domain list.
class DomainNavigator : public QObject {
    Q_OBJECT
public:
    explicit DomainNavigator(TMainForm& form);

    TDm& Dm() { return dm_; }
    PageFacts facts() const;

    // Enter a domain.
    void Icons(int domain);
    void btnContinueClick();
    void btnReturnClick();
    void btnExitClick();
    void btnNewClick();
    // Go to a domain that may lie on another page.
    void RequestDomain(int domain);
    // Next and previous page (the Next and Back buttons and the page spin button).
    void SpinButton1UpClick();
    void SpinButton1DownClick();

    // The domain list.
    void btnSelectDomainClick();
    void lbDomainEnter();
    void lbDomainClick();
    // Esc in the list: closes it, and the focus goes back where it was.
    void lbDomainClose();

private:
    // False when entering the domain gave way to another one on the way.
    bool SetScreen(int domain);
    void MoveFocus(int domain);
    void NewPageForGroup(int group);

    TMainForm& form_;
    TDm dm_;
    bool parsingText_ = false;  // the nested entry of the Words domain runs
    QPointer<QWidget> focusBeforeList_;
};

}  // namespace vellora
