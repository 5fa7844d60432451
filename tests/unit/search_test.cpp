// First-letter search over the name slots, without a display.
#include "mainwindow/Search.h"
#include "storage/Program.h"

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

using Names = std::array<QString, SlotCount>;

// Presses each key in turn and lists the slot highlighted after each (-1: none).
std::vector<int> Type(FirstLetterSearch& search, const Names& names, const QString& keys) {
    std::vector<int> seen;
    for (QChar key : keys)
        seen.push_back(search.Press(key.unicode(), names).highlighted);
    return seen;
}

} // namespace

TEST(FirstLetterSearch, SameLetterStepsThroughMatchesThenFindsNothingThenWraps) {
    Names names;
    names[3] = "Bob";
    names[10] = "Alice";
    names[30] = "bill";
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "bbbb"), (std::vector<int>{3, 30, -1, 3}));
    // Upper case matches as well, and goes on from the current match; another letter
    // starts from the top.
    EXPECT_EQ(Type(search, names, "Bab"), (std::vector<int>{30, 10, 3}));

    // Each press reports the highlight it replaces, so the row's colour can come back.
    auto change = search.Press(u'b', names);
    EXPECT_EQ(change.restored, 3);
    EXPECT_EQ(change.highlighted, 30);
    change = search.Press(u'b', names);
    EXPECT_EQ(change.restored, 30);
    EXPECT_EQ(search.Highlighted(), -1);

    // Clearing drops the highlight and restarts from the top.
    search.Press(u'b', names);
    EXPECT_EQ(search.Clear(), 3);
    EXPECT_EQ(search.Clear(), -1);
    EXPECT_EQ(Type(search, names, "b"), (std::vector<int>{3}));
}

TEST(FirstLetterSearch, CoversAllRowsButNotTheTestSlotAndMatchesCharactersExactly) {
    Names names;
    names[1] = "1st Bank";
    names[2] = " padded";
    names[4] = QString::fromUtf8("Émile");
    names[46] = "xylophone";
    names[49] = "Xena";
    names[TestSlot] = "xtest";
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "xxxx1 z"), (std::vector<int>{46, 49, -1, 46, 1, 2, -1}));
    EXPECT_EQ(search.Press(QChar(0xC9).unicode(), names).highlighted, 4);  // É
    EXPECT_EQ(search.Press(QChar(0xE9).unicode(), names).highlighted, -1); // é: only one
    FirstLetterSearch inEmpty;
    EXPECT_EQ(Type(inEmpty, Names(), "a"), (std::vector<int>{-1}));
}
