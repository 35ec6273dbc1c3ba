// Reading command texts: the field that may hold apostrophes and blanks is
// found by anchoring the others, optional fields are told apart, and anything
// that does not fit its command's form is refused.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/protocol/command_grammar.h"

namespace vrelhost {
namespace {

HostCommand parsed(const std::string& text) {
    std::string error;
    std::optional<HostCommand> command = parseHostCommand(text, error);
    EXPECT_TRUE(command) << text << ": " << error;
    return command ? *command : HostCommand{};
}

TEST(CommandParser, FreeTextKeepsApostrophesAndBlanks) {
    HostCommand tp = parsed("TP 'text=it's a 'b' ' '2' 'KB_1'");
    EXPECT_EQ(tp.texts, (std::vector<std::string>{"text=it's a 'b' ", "2", "KB_1"}));

    HostCommand rm = parsed("RM 60 3 17 'O'Brien' '' 0");
    EXPECT_EQ(rm.numbers, (std::vector<int>{60, 3, 17, 0}));
    EXPECT_EQ(rm.texts, (std::vector<std::string>{"O'Brien' '"}));

    HostCommand iw = parsed("IW 57 '' 212 1");
    EXPECT_EQ(iw.numbers, (std::vector<int>{57, 212, 1}));
    EXPECT_EQ(iw.texts, (std::vector<std::string>{""}));

    EXPECT_EQ(parsed("SD 'StC SDI Router'").texts, (std::vector<std::string>{"StC SDI Router"}));
}

TEST(CommandParser, OptionalFieldsAndSuffixes) {
    EXPECT_EQ(parsed("PI '1' 'p/Selector.vrel_ui'").texts.size(), 2u);
    EXPECT_EQ(parsed("PI '1' 'p/Selector.vrel_ui' 'x'").texts.size(), 3u);
    EXPECT_FALSE(parsed("IR 57 211 212").add);
    EXPECT_TRUE(parsed("IR 57 211 212 'ADD'").add);
    EXPECT_EQ(parsed("ET 1").numbers, (std::vector<int>{1}));
    EXPECT_EQ(parsed("ET -1 1000").numbers, (std::vector<int>{-1, 1000}));
    EXPECT_EQ(parsed("AS").code, "AS");
}

TEST(CommandParser, RefusesTextsThatDoNotFitTheirForm) {
    for (const char* text : {"", "C", "ZZ 1", "CDx '2' 'a'", "CD '2'", "CD  '2' 'a'", "CD '2' 'a'b'",
                             "CD '2' 'a' ", "IP 57 211", "IP 57 211 x", "RN 1 2 3 4", "ET 1 2 3", "ET +1",
                             "IR 1 2 3 'ADX'", "AS x", "TP 'text=x' '1'", "TP text=x '1' '2'",
                             "ET 99999999999", "IW 57 '3 212 0", "RM 60 3 17 x 0"}) {
        std::string error;
        EXPECT_FALSE(parseHostCommand(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// A number field is a whole word of decimal digits (with a minus sign at
// most): anything after the digits, before or after the free text, makes
// the command malformed rather than a number read from its start.
TEST(CommandParser, NumberFieldsTakeNothingAfterTheirDigits) {
    for (const char* text : {"IP 57 211 212x", "IP 57x 211 212", "RN 60 3 17.5", "RN 60 3 1e2", "RN 0x3c 3 17",
                             "ET 1 1000ms", "ET 1x", "IU 57;", "IR 57 211 212x 'ADD'", "RR 60 1x 128",
                             "IW 57x '3' 212 0", "IW 57 '3' 212x 0", "IW 57 '3' 212 0x", "RM 60x 3 17 'a' 0",
                             "RM 60 3 17 'a' 0!", "RM 60 3 17x 'a' 0", "RN 60 3 17 ", "RN 60  3 17", "RN 60 3 -"}) {
        std::string error;
        GrammarError kind = GrammarError::none;
        EXPECT_FALSE(parseHostCommand(text, error, &kind)) << text;
        EXPECT_EQ(kind, GrammarError::fields) << text;
        EXPECT_EQ(error, "fields do not match the form of " + std::string(text, 2)) << text;
    }
    EXPECT_EQ(parsed("RN -60 0 -2147483648").numbers, (std::vector<int>{-60, 0, INT32_MIN}));
    EXPECT_EQ(parsed("IW 57 '212 0' 2147483647 0").numbers, (std::vector<int>{57, INT32_MAX, 0}));
    EXPECT_EQ(parsed("IW 57 '212 0' 2147483647 0").texts, (std::vector<std::string>{"212 0"}));
    for (const char* text : {"RN 60 3 2147483648", "RN 60 3 -2147483649"}) {
        std::string error;
        EXPECT_FALSE(parseHostCommand(text, error)) << text << " does not fit a 32-bit number";
    }
}

TEST(CommandParser, MarksAFreeTextHoldingAnApostropheAmbiguous) {
    EXPECT_TRUE(parsed("RM 60 1 5 'a' 'b' 0").ambiguous);
    EXPECT_TRUE(parsed("TP 'text=it's' '2' 'KB_1'").ambiguous);
    EXPECT_TRUE(parsed("SD 'O'Brien'").ambiguous);
    EXPECT_FALSE(parsed("RM 60 3 17 'Cam 17' 0").ambiguous);
    EXPECT_FALSE(parsed("IW 57 '' 212 1").ambiguous);
    EXPECT_FALSE(parsed("CD '2' 'Update'").ambiguous);
}

TEST(CommandParser, TellsQueriesFromPanelFileStatuses) {
    for (const char* code : {"SD", "XI", "RN", "TG"}) EXPECT_TRUE(isQueryCode(code)) << code;
    for (const char* code : {"PI", "PS", "PR"}) {
        EXPECT_TRUE(isPanelFileCode(code));
        EXPECT_FALSE(isQueryCode(code));
    }
    EXPECT_FALSE(isQueryCode("TP"));
    EXPECT_EQ(replyKindOf("RN 60 1 1"), ReplyKind::query);
    EXPECT_EQ(replyKindOf("PS '1' 'x'"), ReplyKind::status);
    EXPECT_EQ(replyKindOf("ZZ"), ReplyKind::none);
    EXPECT_TRUE(hasKnownCode("AS"));
    EXPECT_FALSE(hasKnownCode("ASX"));
    EXPECT_FALSE(hasKnownCode("A"));
    EXPECT_EQ(askedProperty("TG '2' 'KB_1' 'text'"), "text");
    EXPECT_EQ(askedProperty("TG '2' 'KB_1'"), "KB_1");
    EXPECT_EQ(askedProperty("TG x'"), "");
}

}  // namespace
}  // namespace vrelhost
