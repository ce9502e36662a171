#pragma once

#include <QObject>
#include <QString>

#include "DomainTable.h"

namespace vellora {

class Dialogs;

// Facts about the page on screen that the transitions read.
struct PageFacts {
    int wurdCount = 0;     // W: words of the page
    int lastStopTime = 0;  // S: stop time of the last word, 0 when unsynchronised
};

// The pure transition rules; -1 for a number outside 0..22.
int NextDomain(int domain, const PageFacts& facts);
int PrecedingDomain(int domain, const PageFacts& facts);

// Where the keyboard focus goes on entering a domain: the object name of the
// control, or empty to leave the focus where it is. Domains 20 and 21 name the
// control of the current choice.
QString DomainFocus(int domain, int currentChoice);

// The status-line hint of a domain (string-table entry domain + 1).
QString DomainHint(int domain);

// The domain unit: the transition functions, which report a domain number
// outside the table and answer the Start domain for it.
class TDm : public QObject {
    Q_OBJECT
public:
    explicit TDm(Dialogs& dialogs, QObject* parent = nullptr);

    int NextDm(int domain, const PageFacts& facts);
    int PrecediingDm(int domain, const PageFacts& facts);

private:
    Dialogs& dialogs_;
};

}  // namespace vellora
