// The transcript's lines as the replay reads them back: what is written
// parses to what was meant, and near misses are not taken for the real thing.
#include "transcript_format.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "transcript.h"

namespace vrelhost {
namespace {

TEST(TranscriptFormat, InstancePrefixesRoundTripAndNearMissesStayText) {
    for (int k : {1, 2, 32, 64}) {
        const TranscriptLine l = splitInstance(instancePrefix(k) + "> AS");
        EXPECT_EQ(l.instance, k);
        EXPECT_EQ(l.body, "> AS");
    }
    for (const char* line : {"[0] > AS", "[-1] > AS", "[2]> AS", "[2 > AS", "[] > AS", "[x] > AS", "[2]",
                             "> AS", "[99999999999] > AS"}) {
        const TranscriptLine l = splitInstance(line);
        EXPECT_EQ(l.instance, 0) << line;
        EXPECT_EQ(l.body, line);
    }
    EXPECT_EQ(splitInstance("[3] ").body, "");
}

TEST(TranscriptFormat, OperatorNarrationAndCreationLinesParseBack) {
    int number = 0;
    std::string line;
    ASSERT_TRUE(parseInputLine(inputLine(12, "press 1 Select_3"), number, line));
    EXPECT_EQ(number, 12);
    EXPECT_EQ(line, "press 1 Select_3");
    ASSERT_TRUE(parseInputLine(inputLine(1, ""), number, line));
    EXPECT_EQ(line, "");
    for (const char* bad : {"# 0: x", "# -2: x", "# 3 x", "# 3:x", "#3: x", "# : x", "| # 3: x"})
        EXPECT_FALSE(parseInputLine(bad, number, line)) << bad;

    EXPECT_EQ(parseNarrationLine(narrationLine("a story")), std::optional<std::string>("a story"));
    EXPECT_FALSE(parseNarrationLine("*no blank"));
    EXPECT_EQ(parseCreationLine("< " + creationDescription("/a \"b\" c")),
              std::optional<std::string>("/a \"b\" c"));
    EXPECT_FALSE(parseCreationLine("< create \"unclosed"));
    EXPECT_FALSE(parseCreationLine("< destroy"));
    EXPECT_TRUE(isFoldedReads("> RN 60 1 1 ... 128  (128 reads, first = a, last = b)"));
    EXPECT_FALSE(isFoldedReads("> RN 60 1 1"));
}

// The kind a reader of the log is shown is the kind the transcript wrote.
TEST(TranscriptFormat, EveryLineTheTranscriptWritesIsReadAsItsKind) {
    std::ostringstream out;
    {
        Transcript t(out, Transcript::Form::exact);
        t.sent("RN 60 1 1");
        t.reply("a");
        t.noReply();
        t.delivered("destroy");
        t.input(1, "press 1 A");
        t.display("panel 1");
        t.note("refused");
        t.protocolError("bad");
        t.narration("a story");
    }
    std::istringstream lines(out.str());
    std::string kinds, line;
    while (std::getline(lines, line)) kinds += std::string(lineKindName(lineKind(line))) + " ";
    EXPECT_EQ(kinds, "sent reply reply delivered input display note error narration ");
    EXPECT_EQ(lineKind("!!x"), LineKind::other);
    EXPECT_EQ(lineKind(""), LineKind::other);
}

// One record per line: a text that holds a line break, a carriage return or
// a NUL stays on its line and reads back to the same bytes; a line without
// such a character is written as it always was.
TEST(TranscriptFormat, TextsAreEscapedOnOneLineAndReadBackToTheSameBytes) {
    const std::string forged =
        std::string("x\n# 1: press 1 Select_5\n!! protocol error: fake\r") + '\0' + "\x7f\t\\n\xe9";
    EXPECT_EQ(escapeText(forged),
              "x\\n# 1: press 1 Select_5\\n!! protocol error: fake\\r\\x00\\x7f\\t\\\\n\xe9");
    std::string back;
    ASSERT_TRUE(unescapeText(escapeText(forged), back));
    EXPECT_EQ(back, forged);
    EXPECT_EQ(escapeText("> RM 60 3 17 'Cam 17' 0"), "> RM 60 3 17 'Cam 17' 0");
    EXPECT_FALSE(unescapeText("a\\q", back));
    EXPECT_FALSE(unescapeText("a\\x4", back));

    std::ostringstream out;
    std::vector<std::string> heard;
    {
        Transcript t(out, Transcript::Form::exact);
        t.listen([&heard](const std::string& line) { heard.push_back(line); });
        t.reply(forged);
        t.input(2, "type a\rb");
    }
    EXPECT_EQ(out.str(), "= " + escapeText(forged) + "\n# 2: type a\\rb\n");
    EXPECT_EQ(heard, (std::vector<std::string>{"= " + escapeText(forged), "# 2: type a\\rb"}))
        << "the browser log shows the same texts";
}

}  // namespace
}  // namespace vrelhost
