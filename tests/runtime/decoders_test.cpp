// The two text decoders: parsed_command (name.sub.sub=value) and
// decodeVRELString (blank-separated tokens with quoting). Every input is copied
// into an allocation of exactly its size, so a read past its NUL is caught by
// AddressSanitizer, and is checked afterwards to be unmodified.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode_vrel_string.h"
#include "runtime/boundary/parsed_command.h"

namespace {

using ::testing::ElementsAreArray;

class ExactInput {
public:
    explicit ExactInput(const std::string& text) : original_(text), bytes_(new char[text.size() + 1]) {
        std::memcpy(bytes_.get(), text.c_str(), text.size() + 1);
    }
    const char* get() const { return bytes_.get(); }
    bool unchanged() const { return std::memcmp(bytes_.get(), original_.c_str(), original_.size() + 1) == 0; }

private:
    std::string original_;
    std::unique_ptr<char[]> bytes_;
};

struct Parsed {
    std::string command;
    std::vector<std::string> subs;
    std::string value;
    bool hasValue;
};

Parsed parse(const std::string& text) {
    ExactInput input(text);
    parsed_command parsed(input.get());
    EXPECT_TRUE(input.unchanged()) << text;
    EXPECT_GE(parsed.subCount, 0);
    EXPECT_LE(parsed.subCount, parsed_command::maxSubs);
    Parsed out{parsed.command, {}, parsed.value, parsed.hasValue};
    for (int i = 0; i < parsed.subCount; ++i) out.subs.emplace_back(parsed.sub[i]);
    // Entries beyond subCount point at an empty text, never at garbage.
    for (int i = parsed.subCount; i < parsed_command::maxSubs; ++i) EXPECT_STREQ(parsed.sub[i], "") << i;
    return out;
}

std::vector<std::string> tokens(const std::string& text) {
    ExactInput input(text);
    decodeVRELString decoded(input.get(), '\'');
    EXPECT_TRUE(input.unchanged()) << text;
    EXPECT_GE(decoded.count, 0);
    EXPECT_LE(decoded.count, decodeVRELString::maxTokens);
    std::vector<std::string> out;
    for (int i = 0; i < decoded.count; ++i) out.emplace_back(decoded.token[i]);
    for (int i = decoded.count; i < decodeVRELString::maxTokens; ++i) EXPECT_STREQ(decoded.token[i], "") << i;
    return out;
}

TEST(ParsedCommand, SplitsCommandSubPartsAndValue) {
    Parsed p = parse("name.one.two=val");
    EXPECT_EQ(p.command, "name");
    EXPECT_THAT(p.subs, ElementsAreArray({"one", "two"}));
    EXPECT_EQ(p.value, "val");
    EXPECT_TRUE(p.hasValue);

    p = parse("name=one.two=val");  // everything after the first "=" is the value
    EXPECT_EQ(p.command, "name");
    EXPECT_TRUE(p.subs.empty());
    EXPECT_EQ(p.value, "one.two=val");
    EXPECT_TRUE(p.hasValue);

    p = parse("name");
    EXPECT_EQ(p.command, "name");
    EXPECT_TRUE(p.subs.empty());
    EXPECT_EQ(p.value, "");
    EXPECT_FALSE(p.hasValue);

    p = parse("name=");
    EXPECT_EQ(p.value, "");
    EXPECT_TRUE(p.hasValue);
}

TEST(ParsedCommand, EmptyPiecesAreKept) {
    Parsed p = parse(".one");
    EXPECT_EQ(p.command, "");
    EXPECT_THAT(p.subs, ElementsAreArray({"one"}));

    p = parse("=val");
    EXPECT_EQ(p.command, "");
    EXPECT_EQ(p.value, "val");

    EXPECT_THAT(parse("name.").subs, ElementsAreArray({""}));
    EXPECT_THAT(parse("name..two").subs, ElementsAreArray({"", "two"}));
    EXPECT_THAT(parse("a.b.=c").subs, ElementsAreArray({"b", ""}));
}

TEST(ParsedCommand, NullAndEmptyInputsGiveEmptyFieldsAndNoBuffer) {
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        parsed_command parsed(text);
        EXPECT_STREQ(parsed.command, "");
        EXPECT_STREQ(parsed.value, "");
        EXPECT_EQ(parsed.subCount, 0);
        EXPECT_FALSE(parsed.hasValue);
        EXPECT_EQ(parsed.buffer, nullptr);
        EXPECT_STREQ(parsed.sub[0], "");
    }
}

TEST(ParsedCommand, StopsAfterThirtyTwoSubPartsKeepingTheRestInTheLast) {
    // 33 dots: the 32nd sub-part keeps the remainder with its dot and the "=".
    std::string text = "cmd";
    for (int i = 1; i <= 33; ++i) text += "." + std::to_string(i);
    text += "=v";
    Parsed p = parse(text);
    EXPECT_EQ(p.command, "cmd");
    ASSERT_EQ(p.subs.size(), 32u);
    EXPECT_EQ(p.subs[0], "1");
    EXPECT_EQ(p.subs[30], "31");
    EXPECT_EQ(p.subs[31], "32.33=v");
    EXPECT_EQ(p.value, "");
    EXPECT_FALSE(p.hasValue);

    // Exactly 32 sub-parts: the scan ends before the "=" is seen.
    Parsed full = parse("c.1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18.19.20.21.22.23.24.25.26.27.28.29.30.31.32=v");
    ASSERT_EQ(full.subs.size(), 32u);
    EXPECT_EQ(full.subs[31], "32=v");
    EXPECT_FALSE(full.hasValue);
}

TEST(ParsedCommand, SplitsItsOwnCopyInPlace) {
    ExactInput input("a.b=c");
    parsed_command parsed(input.get());
    ASSERT_NE(parsed.buffer, nullptr);
    EXPECT_NE(parsed.buffer, input.get());
    EXPECT_EQ(std::memcmp(parsed.buffer, "a\0b\0c", 6), 0);
    EXPECT_EQ(parsed.command, parsed.buffer);
    EXPECT_EQ(parsed.sub[0], parsed.buffer + 2);
    EXPECT_EQ(parsed.value, parsed.buffer + 4);
}

TEST(DecodeVrelString, BlankSeparatedTokens) {
    EXPECT_THAT(tokens("12 0"), ElementsAreArray({"12", "0"}));
    EXPECT_THAT(tokens("x  y "), ElementsAreArray({"x", "y"}));
    EXPECT_THAT(tokens(" x"), ElementsAreArray({"", "x"}));  // a leading blank leaves the first token empty
    EXPECT_THAT(tokens("   "), ElementsAreArray({""}));
    EXPECT_THAT(tokens("x\ty"), ElementsAreArray({"x\ty"}));  // only the blank separates
    EXPECT_THAT(tokens("12"), ElementsAreArray({"12"}));
}

TEST(DecodeVrelString, QuotedStretchesAreOneToken) {
    EXPECT_THAT(tokens("'x y' z"), ElementsAreArray({"", "x y", "z"}));
    EXPECT_THAT(tokens("x '' y"), ElementsAreArray({"x", "", "y"}));
    EXPECT_THAT(tokens("x'y z'w"), ElementsAreArray({"x", "y z", "w"}));
    EXPECT_THAT(tokens("x 'y z"), ElementsAreArray({"x", "y z"}));  // unterminated: runs to the end
    EXPECT_THAT(tokens("''"), ElementsAreArray({"", ""}));
    EXPECT_THAT(tokens("'"), ElementsAreArray({""}));
}

TEST(DecodeVrelString, NullAndEmptyInputsGiveNoTokensAndNoBuffer) {
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        decodeVRELString decoded(text, '\'');
        EXPECT_EQ(decoded.count, 0);
        EXPECT_EQ(decoded.buffer, nullptr);
        EXPECT_STREQ(decoded.token[0], "");
        EXPECT_EQ(decoded.quote, '\'');
    }
}

TEST(DecodeVrelString, KeepsTheFirstThirtyTwoTokens) {
    std::string text;
    for (int i = 1; i <= 40; ++i) text += std::to_string(i) + " ";
    std::vector<std::string> got = tokens(text);
    ASSERT_EQ(got.size(), 32u);
    EXPECT_EQ(got.front(), "1");
    EXPECT_EQ(got.back(), "32");  // ends at its own blank, not at the rest of the text

    // Empty quotes at the limit start no 33rd token either.
    std::string quoted;
    for (int i = 0; i < 32; ++i) quoted += "a ";
    quoted += "''";
    EXPECT_EQ(tokens(quoted).size(), 32u);
}

TEST(DecodeVrelString, InputsEitherSideOfTheInlineCopyAreSplitWhole) {
    // Short replies are copied inside the object, longer ones to the heap.
    for (std::size_t length : {62u, 63u, 64u, 65u, 200u}) {
        const std::string last(length - 2, 'x');
        EXPECT_THAT(tokens("1 " + last), ElementsAreArray({std::string("1"), last})) << length;
    }
}

TEST(DecodeVrelString, QuoteCharacterIsTheOneGiven) {
    ExactInput input("a \"b c\" d'e");
    decodeVRELString decoded(input.get(), '"');
    ASSERT_EQ(decoded.count, 3);
    EXPECT_STREQ(decoded.token[0], "a");
    EXPECT_STREQ(decoded.token[1], "b c");
    EXPECT_STREQ(decoded.token[2], "d'e");
}

}  // namespace
