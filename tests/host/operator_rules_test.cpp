// The one rule for a press, as the runner and the browser view both ask it:
// what is a mistake in the line, what a real panel silently ignores, and
// which keys have names.
#include "operator_rules.h"

#include <gtest/gtest.h>

namespace vrelhost {
namespace {

Control* find(PanelSlots& panels, const char* name) {
    return panels.control("1", name);
}

TEST(PressRule, MistakesRefusalsAndTakenPresses) {
    PanelSlots panels;
    std::string error;
    ASSERT_TRUE(panels.insert("1", std::string(VREL_HOST_PANELS) + "/Selector.vrel_ui", error)) << error;
    using Verdict = PressRule::Verdict;

    PressRule r = pressRule(panels, "9", "Confirm");
    EXPECT_EQ(r.verdict, Verdict::mistake);
    EXPECT_EQ(r.reason, "no panel in slot 9");
    r = pressRule(panels, "1", std::string("Con\0firm", 8));
    EXPECT_EQ(r.verdict, Verdict::mistake);
    EXPECT_EQ(r.reason, "panel 1 has no control \"Con\\x00firm\"");

    // Loaded but not shown: a real panel sends nothing.
    r = pressRule(panels, "1", "Select_3");
    EXPECT_EQ(r.verdict, Verdict::refused);
    EXPECT_EQ(r.reason, "panel 1 is not on screen");
    ASSERT_TRUE(panels.show("1", std::string(VREL_HOST_PANELS) + "/Selector.vrel_ui", error)) << error;
    EXPECT_TRUE(pressRule(panels, "1", "Select_3").taken());

    find(panels, "Select_3")->properties["visible"] = "0";
    r = pressRule(panels, "1", "Select_3");
    EXPECT_EQ(r.verdict, Verdict::refused);
    EXPECT_EQ(r.reason, "Select_3 on panel 1 is hidden");
    find(panels, "Select_3")->properties["visible"] = "1";
    find(panels, "Select_3")->properties["enabled"] = "0";
    EXPECT_EQ(pressRule(panels, "1", "Select_3").reason, "Select_3 on panel 1 is disabled");
    EXPECT_FALSE(pressRule(panels, "1", "Select_3").taken());
}

// Every way a key arrives (a line, the prompt, the browser view) meets this one rule.
TEST(PressRule, KeysAreOneCharacterOfAnyScriptOrNamedButNeverAControl) {
    for (const char* key : {"a", "7", "'", "~", "\xc3\xa9" /* é */, "\xe2\x82\xac" /* € */,
                            "\xf0\x9f\x98\x80" /* an emoji */, "\xc2\xa0" /* no-break space */,
                            "\xe9" /* é in a Windows code page */, "space", "backspace", "return"})
        EXPECT_TRUE(isKey(key)) << key;
    for (const char* key : {"", "tab", "ab", "Return", "enter", " ", "\n", "\t", "\x7f", "\x01",
                            "\xc2\x85" /* NEL */, "\xc3\xa9x", "a\n"})
        EXPECT_FALSE(isKey(key)) << key;
    EXPECT_EQ(shownText(std::string(70, 'x')), std::string(60, 'x') + "... (70 bytes)");
    EXPECT_EQ(shownText("a\x7f\n\\"), "a\\x7f\\n\\\\");
}

}  // namespace
}  // namespace vrelhost
