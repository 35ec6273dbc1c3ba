// vrel_stringlist: the list a comma-separated host reply becomes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vrel_stringlist.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> items(const vrel_stringlist& list) {
    std::vector<std::string> out;
    for (vrel_stringlistIterator it = list.begin(); it != list.end(); ++it) out.push_back((*it).str());
    return out;
}

TEST(VrelStringlist, SplitsAtTheSeparatorKeepingEmptyItems) {
    EXPECT_THAT(items(vrel_stringlist("alm_a,alm_b,alm_c", ',')), ElementsAre("alm_a", "alm_b", "alm_c"));
    EXPECT_THAT(items(vrel_stringlist("a,,b,", ',')), ElementsAre("a", "", "b", ""));
    EXPECT_THAT(items(vrel_stringlist(",", ',')), ElementsAre("", ""));
    EXPECT_THAT(items(vrel_stringlist("one item", ',')), ElementsAre("one item"));
    EXPECT_THAT(items(vrel_stringlist("", ',')), IsEmpty());
    EXPECT_THAT(items(vrel_stringlist()), IsEmpty());
}

TEST(VrelStringlist, AppendsAndJoins) {
    vrel_stringlist list;
    list << "first" << "" << "third";
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.toString('\n'), "first\n\nthird");
    EXPECT_EQ(vrel_stringlist().toString('\n'), "");

    vrel_stringlist copy = list;
    copy << "fourth";
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(copy[3], "fourth");
}

}  // namespace
