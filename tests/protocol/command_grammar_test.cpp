// Reading command texts: every code's fields come out by name, the field that
// may hold apostrophes and blanks is found by anchoring the others, optional
// fields are told apart, and anything that does not fit its command's form,
// numbers included, is refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <sstream>
#include <variant>

#include "host/protocol/command_grammar.h"

namespace vrelhost {
namespace {

HostCommand parsed(const std::string& text) {
    std::string error;
    std::optional<HostCommand> command = parseHostCommand(text, error);
    EXPECT_TRUE(command) << text << ": " << error;
    return command ? *command : HostCommand{};
}

// "name=value" for each field, in order; "-" for an optional field left out.
struct Describe {
    std::ostringstream out;
    void field(const char* name) { out << (out.tellp() > 0 ? " " : "") << name << "="; }
    void operator()(const char* name, const std::string& v) { field(name), out << "'" << v << "'"; }
    void operator()(const char* name, int v) { field(name), out << v; }
    void operator()(const char* name, bool v) { field(name), out << (v ? "yes" : "no"); }
    void operator()(const char* name, const std::optional<std::string>& v) {
        if (v) (*this)(name, *v);
        else field(name), out << "-";
    }
    void operator()(const char* name, const std::optional<int>& v) {
        if (v) (*this)(name, *v);
        else field(name), out << "-";
    }
};

std::string described(const HostCommand& command) {
    Describe describe;
    std::visit([&](const auto& fields) { eachField(fields, describe); }, command.fields);
    return describe.out.str();
}

struct Sample {
    const char* text;
    const char* fields;
};

// One text per form of every code, and what its fields are by name.
const Sample samples[] = {
    {"CD '2' 'KB_1'", "panel='2' control='KB_1'"},
    {"CE '2' 'Cancel'", "panel='2' control='Cancel'"},
    {"CH '2' 'L1'", "panel='2' control='L1'"},
    {"CS '1' 'Current'", "panel='1' control='Current'"},
    {"PI '1' 'p/Selector.vrel_ui'", "panel='1' file='p/Selector.vrel_ui' extra=-"},
    {"PI '1' 'Selector.vrel_ui' 'x'", "panel='1' file='Selector.vrel_ui' extra='x'"},
    {"PS '2' 'NameEdit.vrel_ui'", "panel='2' file='NameEdit.vrel_ui' extra=-"},
    {"PS '2' 'NameEdit.vrel_ui' ''", "panel='2' file='NameEdit.vrel_ui' extra=''"},
    {"PR '2'", "panel='2'"},
    {"TP 'text=CAM 2' '2' 'PostEdit'", "assignment='text=CAM 2' panel='2' control='PostEdit'"},
    {"TG '2' 'KB_1' 'text'", "panel='2' control='KB_1' property='text'"},
    {"SD 'StC SDI Router'", "instance='StC SDI Router'"},
    {"XI '2' 'alm_'", "panel='2' pattern='alm_'"},
    {"IP 57 211 212", "device=57 first=211 last=212"},
    {"IR 57 211 212", "device=57 first=211 last=212 add=no"},
    {"IR 57 211 212 'ADD'", "device=57 first=211 last=212 add=yes"},
    {"IU 57", "device=57"},
    {"IW 57 '2' 212 0", "device=57 value='2' slot=212 flag=0"},
    {"RR 60 1 128", "device=60 first=1 last=128 add=no"},
    {"RR 60 1 128 'ADD'", "device=60 first=1 last=128 add=yes"},
    {"RM 60 9 3 'News' 1", "device=60 database=9 index=3 text='News' flag=1"},
    {"RN 10 2 128", "device=10 database=2 index=128"},
    {"ET 1 1000", "timer=1 interval=1000"},
    {"ET 2", "timer=2 interval=-"},
    {"AS", ""},
};

TEST(CommandSchema, EveryCodesFieldsComeOutByName) {
    std::set<CommandCode> seen;
    for (const Sample& sample : samples) {
        const HostCommand command = parsed(sample.text);
        EXPECT_EQ(std::string(sample.text).substr(0, 2), codeName(command.code)) << sample.text;
        EXPECT_EQ(command.fields.index(), static_cast<std::size_t>(command.code) + 1) << sample.text;
        EXPECT_EQ(described(command), sample.fields) << sample.text;
        seen.insert(command.code);
    }
    // A code added to the schema needs a sample here.
    for (int i = 0; i < commandCodeCount; ++i)
        EXPECT_EQ(seen.count(static_cast<CommandCode>(i)), 1u) << codeName(static_cast<CommandCode>(i));
}

TEST(CommandSchema, NamesRepliesAndCodesAgree) {
    for (int i = 0; i < commandCodeCount; ++i) {
        const auto code = static_cast<CommandCode>(i);
        EXPECT_EQ(commandCodeOf(codeName(code)), code) << codeName(code);
        EXPECT_EQ(replyKindOf(codeName(code)), replyOf(code)) << codeName(code);
    }
    std::set<std::string> queries, statuses;
    for (int i = 0; i < commandCodeCount; ++i) {
        const auto code = static_cast<CommandCode>(i);
        if (replyOf(code) == ReplyKind::query) queries.insert(codeName(code));
        if (replyOf(code) == ReplyKind::status) statuses.insert(codeName(code));
    }
    EXPECT_EQ(queries, (std::set<std::string>{"SD", "XI", "RN", "TG"}));
    EXPECT_EQ(statuses, (std::set<std::string>{"PI", "PS", "PR"}));
    EXPECT_EQ(replyKindOf("RN 60 1 1"), ReplyKind::query);
    EXPECT_EQ(replyKindOf("ZZ"), ReplyKind::none);
    EXPECT_EQ(commandCodeOf("ZZ 1"), std::nullopt);
    EXPECT_EQ(commandCodeOf("R"), std::nullopt);
    EXPECT_EQ(commandCodeOf(""), std::nullopt);
    EXPECT_TRUE(hasKnownCode("AS"));
    EXPECT_FALSE(hasKnownCode("ASX"));
    EXPECT_FALSE(hasKnownCode("A"));
    EXPECT_EQ(askedProperty("TG '2' 'KB_1' 'text'"), "text");
    EXPECT_EQ(askedProperty("TG '2' 'KB_1'"), "KB_1");
    EXPECT_EQ(askedProperty("TG x'"), "");
}

TEST(CommandParser, FreeTextKeepsApostrophesAndBlanks) {
    const auto tp = std::get<cmd::TP>(parsed("TP 'text=it's a 'b' ' '2' 'KB_1'").fields);
    EXPECT_EQ(tp.assignment, "text=it's a 'b' ");
    EXPECT_EQ(tp.panel, "2");
    EXPECT_EQ(tp.control, "KB_1");

    const auto rm = std::get<cmd::RM>(parsed("RM 60 3 17 'O'Brien' '' 0").fields);
    EXPECT_EQ(rm.text, "O'Brien' '");
    EXPECT_EQ(rm.index, 17);
    EXPECT_EQ(rm.flag, 0);

    const auto iw = std::get<cmd::IW>(parsed("IW 57 '' 212 1").fields);
    EXPECT_EQ(iw.value, "");
    EXPECT_EQ(iw.slot, 212);
    EXPECT_EQ(iw.flag, 1);
}

TEST(CommandParser, NumbersAreSigned32BitDecimalsAndNothingElse) {
    EXPECT_EQ(std::get<cmd::IU>(parsed("IU 2147483647").fields).device, INT_MAX);
    EXPECT_EQ(std::get<cmd::IU>(parsed("IU -2147483648").fields).device, INT_MIN);
    EXPECT_EQ(std::get<cmd::ET>(parsed("ET -1 1000").fields).timer, -1);
    EXPECT_EQ(std::get<cmd::IU>(parsed("IU 0").fields).device, 0);
    for (const char* text : {"IU 2147483648", "IU -2147483649", "IU 99999999999999999999", "IU +5", "IU --5",
                             "IU -", "IU 5-", "IU 57x", "IU 0x10", "IU 5.0", "IU 1e3", "IU '5'", "IU  5",
                             "RN 60 1 +1", "RN 60 1 1x", "RM 60 3 17x 'a' 0", "RM 60 3 17 'a' 0x",
                             "IW 57 'a' 212 +0", "ET 1 1000x", "ET 1 4294967296"}) {
        std::string error;
        GrammarError kind = GrammarError::none;
        EXPECT_FALSE(parseHostCommand(text, error, &kind)) << text;
        EXPECT_EQ(kind, GrammarError::fields) << text;
    }
}

TEST(CommandParser, RefusesTextsThatDoNotFitTheirForm) {
    for (const char* text : {"", "C", "ZZ 1", "CDx '2' 'a'", "CD '2'", "CD  '2' 'a'", "CD '2' 'a'b'",
                             "CD '2' 'a' ", "IP 57 211", "IP 57 211 x", "RN 1 2 3 4", "ET 1 2 3", "ET +1",
                             "IR 1 2 3 'ADX'", "IR 1 2 3 ADD", "AS x", "AS ", "TP 'text=x' '1'",
                             "TP text=x '1' '2'", "ET 99999999999", "IW 57 '3 212 0", "RM 60 3 17 x 0",
                             "PI '1' 'f' 'x' 'y'", "PR", "SD", "SD x"}) {
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
    const auto rn = std::get<cmd::RN>(parsed("RN -60 0 -2147483648").fields);
    EXPECT_EQ(std::vector<int>({rn.device, rn.database, rn.index}), (std::vector<int>{-60, 0, INT32_MIN}));
    const auto iw = std::get<cmd::IW>(parsed("IW 57 '212 0' 2147483647 0").fields);
    EXPECT_EQ(std::vector<int>({iw.device, iw.slot, iw.flag}), (std::vector<int>{57, INT32_MAX, 0}));
    EXPECT_EQ(iw.value, "212 0");
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

}  // namespace
}  // namespace vrelhost
