// The device, database and timer operations that read replies or write
// diagnostics: how each reply is read and when it is handed back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_capture.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kLookup[] = "SD 'StC SDI Router'";

struct Lookup {
    bool found;
    int device;
    int offset;
};

Lookup lookUp(RecordingHost& host, const char* reply) {
    if (reply) host.reply(kLookup, reply);
    TestScript script(&host, "");
    Lookup out{false, -99, -99};
    out.found = script.lookupDevice("StC SDI Router", &out.device, &out.offset);
    return out;
}

TEST(LookupDevice, ReadsDeviceAndOffsetFromTheFirstTwoTokens) {
    struct Case {
        const char* reply;
        int device;
        int offset;
    };
    const Case cases[] = {
        {"12", 12, 0},          {"12 7", 12, 7},          {"", 0, 0},          {" 12", 0, 12},
        {"'12' 7", 0, 12},      {"-5 +3", -5, 3},         {"12abc 7x", 12, 7}, {"abc", 0, 0},
        {"99999999999 -99999999999", 2147483647, -2147483648LL},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        Lookup got = lookUp(host, c.reply);
        EXPECT_TRUE(got.found) << c.reply;
        EXPECT_EQ(got.device, c.device) << c.reply;
        EXPECT_EQ(got.offset, c.offset) << c.reply;
        EXPECT_EQ(host.repliesOutstanding(), 0u) << c.reply;
        EXPECT_EQ(host.transcript().at(1), std::string("<release> ") + kLookup);
    }
}

TEST(LookupDevice, NullReplyIsNotFoundWithZeroOutputsAndNothingHandedBack) {
    RecordingHost host;
    Lookup got = lookUp(host, nullptr);
    EXPECT_FALSE(got.found);
    EXPECT_EQ(got.device, 0);
    EXPECT_EQ(got.offset, 0);
    EXPECT_THAT(host.transcript(), ElementsAre(kLookup, "AS"));
}

TEST(LookupDevice, NullOutputsStillQueryAndHandBack) {
    RecordingHost host;
    host.reply(kLookup, "12 7");
    TestScript script(&host, "");
    EXPECT_TRUE(script.lookupDevice("StC SDI Router", nullptr, nullptr));
    int offsetOnly = -1;
    EXPECT_TRUE(script.lookupDevice("StC SDI Router", nullptr, &offsetOnly));
    EXPECT_EQ(offsetOnly, 7);
    EXPECT_EQ(host.repliesGiven(), 2u);
    EXPECT_EQ(host.repliesOutstanding(), 0u);
}

TEST(LookupDevice, WithoutHostOutputsAreZeroAndResultFalse) {
    TestScript script(nullptr, "");
    int device = 5;
    int offset = 5;
    EXPECT_FALSE(script.lookupDevice("StC SDI Router", &device, &offset));
    EXPECT_EQ(device, 0);
    EXPECT_EQ(offset, 0);
}

TEST(QueryInstances, SplitsTheReplyAtCommasAndHandsItBack) {
    RecordingHost host;
    host.reply("XI '1' 'alm_'", "alm_a,alm_b,alm_c");
    TestScript script(&host, "");
    const vrel_stringlist list = script.queryInstances("1", "alm_");
    EXPECT_EQ(list.toString('\n'), "alm_a\nalm_b\nalm_c");
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(host.repliesOutstanding(), 0u);

    EXPECT_EQ(script.queryInstances("1", "other").count(), 0u);  // null reply: nothing to hand back
    EXPECT_EQ(host.nullHandBacks(), 0u);
    EXPECT_EQ(host.transcript().back(), "XI '1' 'other'");
    EXPECT_EQ(TestScript(nullptr, "").queryInstances("1", "alm_").count(), 0u);
}

TEST(ReadDatabaseName, ReplyReplacesTheResultWhole) {
    RecordingHost host;
    host.reply("RN 60 1 17", "CAM 1 'wide'");
    TestScript script(&host, "");
    vrel_string result = "old";
    script.readDatabaseName(60, 1, 17, result);
    EXPECT_EQ(result, "CAM 1 'wide'");

    host.reply("RN 60 1 18", "");
    script.readDatabaseName(60, 1, 18, result);
    EXPECT_EQ(result, "");
    EXPECT_EQ(host.repliesOutstanding(), 0u);
}

TEST(ReadDatabaseName, NullReplyKeepsTheResultAndIsStillHandedBack) {
    RecordingHost host;
    TestScript script(&host, "");
    vrel_string result = "old";
    script.readDatabaseName(60, 1, 17, result);
    EXPECT_EQ(result, "old");
    // Hosts count one kind 5 per RN, so even "no reply" goes back.
    EXPECT_THAT(host.transcript(), ElementsAre("RN 60 1 17", "<release null>"));
}

TEST(ReadDatabaseName, WithoutHostKeepsTheResult) {
    TestScript script(nullptr, "");
    vrel_string result = "old";
    script.readDatabaseName(60, 1, 17, result);
    EXPECT_EQ(result, "old");
}

TEST(WriteInfodriver, WarnsAboveTwoHundredFiftySixCharactersButSendsTheWhole) {
    DebugCapture debug;
    RecordingHost host;
    TestScript script(&host, "");
    const std::string limit(256, 'a');
    const std::string over(257, 'b');
    script.writeInfodriver(57, limit.c_str(), 211);
    EXPECT_THAT(debug.texts(), IsEmpty());
    script.writeInfodriver(57, over.c_str(), 211);
    EXPECT_THAT(debug.texts(), ElementsAre("The IW string is too long (max 256 chars)\n"));
    EXPECT_THAT(host.commands(), ElementsAre("IW 57 '" + limit + "' 211 0", "IW 57 '" + over + "' 211 0"));

    TestScript detached(nullptr, "");
    detached.writeInfodriver(57, over.c_str(), 211);
    EXPECT_EQ(debug.texts().size(), 2u);  // the warning does not need a host
}

TEST(ModifyDatabase, EveryRenameLeavesItsTextAsOneDebugLine) {
    DebugCapture debug;
    RecordingHost host;
    TestScript script(&host, "");
    script.modifyDatabase(60, 9, 3, "News");
    script.modifyDatabase(60, 1, 17, "50% %1");
    TestScript(nullptr, "").modifyDatabase(60, 2, 1, "x");
    EXPECT_THAT(debug.texts(), ElementsAre("RM 60 9 3 'News' 0\n", "RM 60 1 17 '50% %1' 0\n", "RM 60 2 1 'x' 0\n"));
    EXPECT_THAT(host.commands(), ElementsAre("RM 60 9 3 'News' 0", "RM 60 1 17 '50% %1' 0"));
}

}  // namespace
