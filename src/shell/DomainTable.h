#pragma once

#include <QString>

namespace vellora {

inline constexpr int kDomainCount = 23;

// Names of the domains, as listed in the domain list and shown in editDomain.
QString DomainName(int domain);

// Group of a domain: 0 start, 1 title page, 2 reading page, 3 question page;
// -1 for a number outside 0..22.
int DomainGroup(int domain);

}  // namespace vellora
