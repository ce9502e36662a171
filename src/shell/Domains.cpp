#include "Domains.h"

#include <array>

#include "Dialogs.h"
#include "DomainTexts.h"
#include "StatusLine.h"

namespace vellora {
namespace {

bool valid(int domain) { return domain >= 0 && domain < kDomainCount; }

constexpr std::array<const char*, kDomainCount> kFocus = {
    "BtnNext",      "BtnNext",        "memTitle", "DBeditFirst", "DBeditMiddle", "DBeditLast",
    "DBEditHolder", "DBEditLocation", "Objective", "",           "",             "TextBox",
    "",             "BtnNext",        "btnLonger", "BtnNext",   "",             "",
    "Stimulus",     "seChoices",      "Choice",   "Response",   "btnRepeat",
};

}  // namespace

int NextDomain(int domain, const PageFacts& f) {
    if (!valid(domain)) return -1;
    switch (domain) {
        case 0:
        case 1: return 2;
        case 6: return 8;  // the copyright location is passed over going forward
        case 10: return f.wurdCount > 0 ? 12 : 11;
        case 13: return f.wurdCount > 0 && f.lastStopTime == 0 ? 14 : 15;
        case 15: return 9;
        case 22: return 16;
        default: return domain + 1;
    }
}

int PrecedingDomain(int domain, const PageFacts& f) {
    if (!valid(domain)) return -1;
    switch (domain) {
        case 0:
        case 1:
        case 2: return 0;
        case 9: return 15;
        case 12: return 10;
        case 13: return f.wurdCount > 0 ? 12 : 11;
        case 16: return 22;
        default: return domain - 1;
    }
}

QString DomainFocus(int domain, int currentChoice) {
    if (!valid(domain)) return QString();
    const QString name = QLatin1String(kFocus[domain]);
    if (domain == 20 || domain == 21) {
        if (currentChoice < 1 || currentChoice > 4) return QString();
        return name + QStringLiteral("%1").arg(currentChoice, 2, 10, QLatin1Char('0'));
    }
    return name;
}

QString DomainHint(int domain) { return valid(domain) ? statusString(domain + 1) : QString(); }

TDm::TDm(Dialogs& dialogs, QObject* parent) : QObject(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Dm"));
}

int TDm::NextDm(int domain, const PageFacts& facts) {
    const int next = NextDomain(domain, facts);
    if (next >= 0) return next;
    dialogs_.information(texts::kRequestedDomainIs + QString::number(domain));
    return 0;
}

int TDm::PrecediingDm(int domain, const PageFacts& facts) {
    const int previous = PrecedingDomain(domain, facts);
    if (previous >= 0) return previous;
    dialogs_.information(texts::kDomainRequestedIs + QString::number(domain));
    return 0;
}

}  // namespace vellora
