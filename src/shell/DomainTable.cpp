#include "DomainTable.h"

#include <array>

namespace vellora {
namespace {

struct DomainRow {
    const char* name;
    int group;
};

constexpr std::array<DomainRow, kDomainCount> kDomains = {{
    {"Start", 0},          {"Lesn", 0},           {"Title", 1},
    {"Author First Name", 1}, {"Author Middle Name", 1}, {"Author Last Name", 1},
    {"Copyright Holder", 1}, {"Copyright Location", 1}, {"Objective", 1},
    {"Picture", 2},        {"Video", 2},          {"Text", 2},
    {"Words", 2},          {"Text Sound", 2},     {"Synchro", 2},
    {"Page", 2},           {"QPicture", 3},       {"QVideo", 3},
    {"Question", 3},       {"Choices", 3},        {"Choice", 3},
    {"Response", 3},       {"Question Page", 3},
}};

}  // namespace

QString DomainName(int domain) {
    if (domain < 0 || domain >= kDomainCount) return QString();
    return QString::fromLatin1(kDomains[domain].name);
}

int DomainGroup(int domain) {
    if (domain < 0 || domain >= kDomainCount) return -1;
    return kDomains[domain].group;
}

}  // namespace vellora
