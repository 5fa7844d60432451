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
    names[31] = "Carl";
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "bbbb"), (std::vector<int>{3, 30, -1, 3}));
    EXPECT_EQ(search.Highlighted(), 3);
    // Upper case matches as well, and goes on from the current match.
    EXPECT_EQ(Type(search, names, "B"), (std::vector<int>{30}));
}

TEST(FirstLetterSearch, EachPressReportsTheHighlightItReplaces) {
    Names names;
    names[3] = "Bob";
    names[30] = "bill";
    FirstLetterSearch search;
    auto change = search.Press(u'b', names);
    EXPECT_EQ(change.restored, -1);
    EXPECT_EQ(change.highlighted, 3);
    change = search.Press(u'b', names);
    EXPECT_EQ(change.restored, 3);
    EXPECT_EQ(change.highlighted, 30);
    change = search.Press(u'b', names); // nothing further: the highlight goes
    EXPECT_EQ(change.restored, 30);
    EXPECT_EQ(change.highlighted, -1);
    EXPECT_EQ(search.Highlighted(), -1);
    change = search.Press(u'b', names);
    EXPECT_EQ(change.restored, -1);
    EXPECT_EQ(change.highlighted, 3);
}

TEST(FirstLetterSearch, AnotherLetterStartsFromTheTop) {
    Names names;
    names[0] = "apple";
    names[5] = "bank";
    names[20] = "avis";
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "aab"), (std::vector<int>{0, 20, 5}));
    EXPECT_EQ(Type(search, names, "a"), (std::vector<int>{0}));
}

TEST(FirstLetterSearch, CoversTheLastRowsOfTheRightColumnButNotTheTestSlot) {
    Names names;
    names[46] = "xylophone";
    names[49] = "Xena";
    names[TestSlot] = "xtest";
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "xxxx"), (std::vector<int>{46, 49, -1, 46}));
}

TEST(FirstLetterSearch, DigitsPunctuationAndAccentsMatchThemselves) {
    Names names;
    names[1] = "1st Bank";
    names[2] = " padded";
    names[4] = QString::fromUtf8("Émile");
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "1 "), (std::vector<int>{1, 2}));
    EXPECT_EQ(search.Press(QChar(0xC9).unicode(), names).highlighted, 4);  // É
    EXPECT_EQ(search.Press(QChar(0xE9).unicode(), names).highlighted, -1); // é: only one
    EXPECT_EQ(Type(search, names, "z"), (std::vector<int>{-1}));
}

TEST(FirstLetterSearch, ClearDropsTheHighlightAndRestartsFromTheTop) {
    Names names;
    names[3] = "Bob";
    names[30] = "bill";
    FirstLetterSearch search;
    EXPECT_EQ(search.Clear(), -1);
    search.Press(u'b', names);
    EXPECT_EQ(search.Clear(), 3);
    EXPECT_EQ(search.Highlighted(), -1);
    EXPECT_EQ(search.Clear(), -1);
    EXPECT_EQ(Type(search, names, "b"), (std::vector<int>{3}));
}

TEST(FirstLetterSearch, EmptyLibraryFindsNothing) {
    Names names;
    FirstLetterSearch search;
    EXPECT_EQ(Type(search, names, "aa"), (std::vector<int>{-1, -1}));
}
