#pragma once

#include <QtGlobal>
#include <array>
#include <functional>
#include <random>
#include <vector>

namespace vellora {

// The one random source of question pages: a uniform integer from 0 to n
// inclusive. Seeded from the system unless a test seeds it.
class ChoiceRandom {
  public:
    ChoiceRandom() : gen_(std::random_device{}()) {}
    explicit ChoiceRandom(unsigned seed) : gen_(seed) {}
    void seed(unsigned s) { gen_.seed(s); }
    int Rand(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n)(gen_); }

  private:
    std::mt19937 gen_;
};

// One choice row of a page as dealing sees it: its key and its Enumerator
// (above 0 fixed in place, 0 free, -1 never saved since it was made).
struct ChoiceSource {
    qint64 key = 0;
    int enumerator = 0;
};

struct ChoiceDeal {
    // Entries 1..4: the row key of each slot (0: the slot has no row).
    std::array<qint64, 5> recNums{};
    // The count of slots shown: the page's count, or fewer when the page
    // holds fewer rows.
    int choiceCount = 0;
};

// Deals the page's rows (in table order, at most four are used) into the
// slots: fixed rows keep the slot of their position, the other shown slots
// get the remaining shown rows at random, avoiding never-saved rows for up
// to nine draws; rows beyond the count go in order into the hidden slots.
ChoiceDeal AssignChoiceRecords(const std::vector<ChoiceSource>& rows, int choiceCount,
                               const std::function<int(int)>& rand);

}  // namespace vellora
