// vrel_string: the text every script works in.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "vrel_string.h"

namespace {

TEST(VrelString, IsAnIndependentCopyOfItsSource) {
    std::unique_ptr<char[]> source(new char[4]);
    std::memcpy(source.get(), "abc", 4);
    vrel_string copy(source.get());
    source.reset();  // the host may free its text at once
    EXPECT_EQ(copy, "abc");
    EXPECT_EQ(copy.length(), 3u);

    vrel_string other = copy;
    other += "d";
    EXPECT_EQ(copy, "abc");
    EXPECT_EQ(other, "abcd");

    EXPECT_EQ(vrel_string(static_cast<const char*>(nullptr)), "");
    vrel_string assigned = "x";
    assigned = static_cast<const char*>(nullptr);
    EXPECT_EQ(assigned.length(), 0u);
    EXPECT_STREQ(static_cast<const char*>(assigned), "");
}

TEST(VrelString, NumberConstructorGivesPlainDecimal) {
    EXPECT_EQ(vrel_string(0, 0, 0, 10), "0");
    EXPECT_EQ(vrel_string(128, 0, 0, 10), "128");
    EXPECT_EQ(vrel_string(-7, 0, 0, 10), "-7");
    EXPECT_EQ(vrel_string(INT_MIN, 0, 0, 10), "-2147483648");
}

TEST(VrelString, ToIntFollowsAtoiAndSaturates) {
    EXPECT_EQ(vrel_string("").toInt(), 0);
    EXPECT_EQ(vrel_string("42").toInt(), 42);
    EXPECT_EQ(vrel_string("  -17x").toInt(), -17);
    EXPECT_EQ(vrel_string("\t\n+8").toInt(), 8);
    EXPECT_EQ(vrel_string("007").toInt(), 7);
    EXPECT_EQ(vrel_string("abc").toInt(), 0);
    EXPECT_EQ(vrel_string("- 5").toInt(), 0);
    EXPECT_EQ(vrel_string("3 4").toInt(), 3);
    EXPECT_EQ(vrel_string("2147483647").toInt(), INT_MAX);
    EXPECT_EQ(vrel_string("-2147483648").toInt(), INT_MIN);
    EXPECT_EQ(vrel_string("2147483648").toInt(), INT_MAX);
    EXPECT_EQ(vrel_string("-99999999999999999999").toInt(), INT_MIN);
    EXPECT_EQ(static_cast<int>(vrel_string("12")), 12);
}

TEST(VrelString, ArgFillsTheLowestMarkerLeft) {
    const vrel_string format("RM %1 %2 %3 '%4' %5");
    EXPECT_EQ(format.arg(60, 0, 0, 10).arg(9, 0, 0, 10).arg(3, 0, 0, 10).arg("News").arg(0, 0, 0, 10),
              "RM 60 9 3 'News' 0");
    EXPECT_EQ(vrel_string("%2-%1").arg("a"), "%2-a");
    EXPECT_EQ(vrel_string("%1 and %1").arg("x"), "x and x");  // every occurrence of that marker
    EXPECT_EQ(vrel_string("%3 gap").arg("v"), "v gap");
    EXPECT_EQ(vrel_string("no markers, 100%").arg("v"), "no markers, 100%");
    EXPECT_EQ(vrel_string("%").arg("v"), "%");
    EXPECT_EQ(vrel_string("%0 %a").arg("v"), "%0 %a");
}

TEST(VrelString, ArgDoesNotRescanTheInsertedValue) {
    // One call replaces the markers of the format only, not ones the value brings.
    EXPECT_EQ(vrel_string("<%1>").arg("%1%1"), "<%1%1>");
    EXPECT_EQ(vrel_string("<%1|%2>").arg("%1"), "<%1|%2>");
}

TEST(VrelString, SplitAtTheFirstSeparator) {
    vrel_string before;
    vrel_string after;
    EXPECT_EQ(vrel_string("text=a=b").split('=', before, after), 4);
    EXPECT_EQ(before, "text");
    EXPECT_EQ(after, "a=b");

    vrel_string("=x").split('=', before, after);
    EXPECT_EQ(before, "");
    EXPECT_EQ(after, "x");

    EXPECT_EQ(vrel_string("plain").split('=', before, after), -1);
    EXPECT_EQ(before, "plain");
    EXPECT_EQ(after, "");

    vrel_string self("k=v");
    self.split('=', self, after);  // the output may be the string itself
    EXPECT_EQ(self, "k");
    EXPECT_EQ(after, "v");
    vrel_string tail("k=v");
    tail.split('=', before, tail);
    EXPECT_EQ(before, "k");
    EXPECT_EQ(tail, "v");
}

TEST(VrelString, PrefixRightAndTruncate) {
    const vrel_string name("NameSet_7");
    EXPECT_TRUE(name.startsWith("NameSet_"));
    EXPECT_TRUE(name.startsWith(""));
    EXPECT_FALSE(name.startsWith("Nameset_"));
    EXPECT_FALSE(vrel_string("Na").startsWith("NameSet_"));
    EXPECT_FALSE(vrel_string("Select_NameSet_7").startsWith("NameSet_"));  // only at the start

    EXPECT_EQ(name.right(1), "7");
    EXPECT_EQ(name.right(0), "");
    EXPECT_EQ(name.right(50), "NameSet_7");
    EXPECT_EQ(vrel_string("").right(1), "");

    vrel_string typed("ABCDEFGHIJ");
    typed.truncate(8);
    EXPECT_EQ(typed, "ABCDEFGH");
    typed.truncate(20);
    EXPECT_EQ(typed, "ABCDEFGH");
    typed.truncate(7);  // one character over
    EXPECT_EQ(typed, "ABCDEFG");
    typed.truncate(0);
    EXPECT_EQ(typed, "");
}

TEST(VrelString, Operators) {
    const vrel_string a("ab");
    EXPECT_EQ(a + vrel_string("cd"), "abcd");
    EXPECT_EQ(a + "cd", "abcd");
    EXPECT_EQ("cd" + a, "cdab");
    EXPECT_EQ(a + static_cast<const char*>(nullptr), "ab");

    EXPECT_TRUE(a == "ab");
    EXPECT_FALSE(a == "aB");
    EXPECT_FALSE(a == "abc");
    EXPECT_TRUE("ab" == a);
    EXPECT_TRUE("x" != a);
    EXPECT_TRUE(a != vrel_string("ba"));
    EXPECT_FALSE(a != vrel_string("ab"));

    // Panel ids compare with numbers by their exact decimal form.
    EXPECT_TRUE(vrel_string("1") == 1);
    EXPECT_TRUE(vrel_string("-2") == -2);
    EXPECT_FALSE(vrel_string("01") == 1);
    EXPECT_FALSE(vrel_string("1 ") == 1);
    EXPECT_FALSE(vrel_string("") == 0);
}

}  // namespace
