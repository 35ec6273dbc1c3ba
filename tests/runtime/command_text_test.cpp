// command_text: texts are composed in a fixed local area and move to the heap
// when they outgrow it; either way nothing may be cut or lost at the seam.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "command_text.h"

namespace {

TEST(CommandTextBuffer, AppendsPiecesAndNumbersInOrder) {
    command_text text("RM");
    text.add(" ").add(60).add(" ").add(-1).add(" '").add(vrel_string("News")).add("' ").add(INT_MIN);
    text.add(static_cast<const char*>(nullptr)).add("");
    EXPECT_STREQ(text.c_str(), "RM 60 -1 'News' -2147483648");
    EXPECT_EQ(text.length(), std::strlen(text.c_str()));
    EXPECT_STREQ(command_text().c_str(), "");
}

TEST(CommandTextBuffer, NothingIsLostWhereTheTextOutgrowsTheLocalArea) {
    // Around 255 characters (the local area and its NUL), approached by one
    // piece at a time and by a piece that jumps across.
    for (std::size_t start = 250; start <= 258; ++start) {
        const std::string head(start, 'a');
        command_text text(head);
        text.add("b").add("cd").add(7);
        EXPECT_EQ(std::string(text.c_str()), head + "bcd7") << start;
        EXPECT_EQ(text.length(), start + 4) << start;
    }
    command_text jump("x");
    const std::string big(1000, 'y');
    jump.add(std::string_view(big)).add("z");
    EXPECT_EQ(std::string(jump.c_str()), "x" + big + "z");
}

}  // namespace
