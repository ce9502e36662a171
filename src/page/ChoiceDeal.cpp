#include "ChoiceDeal.h"

#include <algorithm>

namespace vellora {

ChoiceDeal AssignChoiceRecords(const std::vector<ChoiceSource>& rows, int choiceCount,
                               const std::function<int(int)>& rand) {
    ChoiceDeal d;
    std::array<qint64, 5> found{};
    std::array<int, 5> enums{};
    std::array<bool, 5> placed{};
    std::array<bool, 5> used{};
    const int met = int(std::min<size_t>(rows.size(), 4));
    for (int k = 1; k <= met; ++k) {
        found[size_t(k)] = rows[size_t(k - 1)].key;
        enums[size_t(k)] = rows[size_t(k - 1)].enumerator;
    }
    // A count outside 0..4 (a damaged row) shows what the page can hold.
    int count = std::clamp(choiceCount, 0, 4);
    if (met < count) count = met;
    d.choiceCount = count;

    int placedCount = 0;
    for (int k = 1; k <= count; ++k)
        if (found[size_t(k)] != 0 && enums[size_t(k)] > 0) {
            d.recNums[size_t(k)] = found[size_t(k)];
            placed[size_t(k)] = used[size_t(k)] = true;
            ++placedCount;
        }
    while (placedCount < count) {
        int slot = 0;
        do slot = rand(count);
        while (slot < 1 || slot > count || placed[size_t(slot)]);
        int source = 0;
        for (int draw = 1;; ++draw) {
            source = rand(count);
            if (source >= 1 && source <= count && !used[size_t(source)] &&
                (enums[size_t(source)] != -1 || draw >= 10))
                break;
        }
        d.recNums[size_t(slot)] = found[size_t(source)];
        placed[size_t(slot)] = used[size_t(source)] = true;
        ++placedCount;
    }
    for (int s = placedCount + 1; s <= 4; ++s) {
        if (placed[size_t(s)]) continue;
        for (int u = 1; u <= 4; ++u)
            if (!used[size_t(u)]) {
                d.recNums[size_t(s)] = found[size_t(u)];
                used[size_t(u)] = true;
                break;
            }
        placed[size_t(s)] = true;
    }
    return d;
}

}  // namespace vellora
