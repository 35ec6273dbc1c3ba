// The transcript: on the console a run of reads of one database is one line
// (only a run of three or more, of consecutive entries, each answered), and
// the exact form keeps every line; a screen, when given, gets every message
// line of the exact form and nothing else; a line that cannot be written
// marks the transcript failed.
#include <gtest/gtest.h>

#include <sstream>

#include "transcript.h"

namespace vrelhost {
namespace {

void reads(Transcript& t, int database, int first, int last) {
    for (int i = first; i <= last; ++i) {
        t.sent("RN 60 " + std::to_string(database) + " " + std::to_string(i));
        t.reply("name " + std::to_string(i));
    }
}

TEST(TranscriptConsole, FoldsARunOfConsecutiveReadsOfOneDatabase) {
    std::ostringstream console;
    Transcript t(console, Transcript::Form::console);
    reads(t, 3, 1, 4);
    reads(t, 3, 6, 7);  // a gap: a run of its own, too short to fold
    reads(t, 4, 8, 10);  // another database
    t.sent("RN 60 4 11");
    t.noReply();
    t.sent("CE '1' 'Confirm'");
    t.flush();
    EXPECT_EQ(console.str(),
              "> RN 60 3 1 ... 4  (4 reads, first = name 1, last = name 4)\n"
              "> RN 60 3 6\n= name 6\n> RN 60 3 7\n= name 7\n"
              "> RN 60 4 8 ... 11  (4 reads, first = name 8, last - no reply)\n"
              "> CE '1' 'Confirm'\n");
}

TEST(TranscriptConsole, AnUnansweredReadEndsTheRunBeforeIt) {
    std::ostringstream console;
    Transcript t(console, Transcript::Form::console);
    reads(t, 1, 1, 3);
    t.sent("RN 60 1 4");  // its answer not yet come
    t.sent("RN 60 1 5");
    t.reply("late");
    t.flush();
    EXPECT_EQ(console.str(), "> RN 60 1 1 ... 4  (4 reads, first = name 1, last )\n> RN 60 1 5\n= late\n");
}

TEST(TranscriptExact, KeepsEveryLineAndShowsOnlyMessagesOnTheScreen) {
    std::ostringstream file, screen;
    std::vector<std::string> heard;
    Transcript t(file, Transcript::Form::exact);
    t.listen([&heard](const std::string& line) { heard.push_back(line); });
    t.showMessagesOn(&screen);
    reads(t, 3, 1, 3);
    t.note("the rename could not be saved: disk full");
    t.protocolError("a reply was handed back twice");
    t.input(7, "press 1 Select_3");
    t.narration("A sentence.");
    EXPECT_EQ(file.str(),
              "> RN 60 3 1\n= name 1\n> RN 60 3 2\n= name 2\n> RN 60 3 3\n= name 3\n"
              "! the rename could not be saved: disk full\n!! protocol error: a reply was handed back twice\n"
              "# 7: press 1 Select_3\n* A sentence.\n");
    EXPECT_EQ(screen.str(), "! the rename could not be saved: disk full\n!! protocol error: a reply was handed back twice\n");
    EXPECT_EQ(heard.size(), 10u);
    EXPECT_FALSE(t.failed());
}

TEST(TranscriptExact, ALineThatCannotBeWrittenMarksItFailed) {
    std::ostringstream file;
    Transcript t(file, Transcript::Form::exact);
    t.sent("AS");
    EXPECT_FALSE(t.failed());
    file.setstate(std::ios::badbit);
    t.sent("AS");
    EXPECT_TRUE(t.failed());
    file.clear();
    t.sent("AS");
    EXPECT_TRUE(t.failed()) << "once incomplete, always incomplete";
}

}  // namespace
}  // namespace vrelhost
