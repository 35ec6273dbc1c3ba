// Parameter commands from the parent panel, answered as the host sees them.
#include "panel_fixture.h"

namespace panel_test {
namespace {

class ParentCommands : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        startQuietly();
    }
};

TEST_F(ParentCommands, AnswerInOrder) {
    struct Step {
        const char* command;
        const char* answer;
    };
    // Each step depends on the ones before it.
    const Step steps[] = {
        {"return=all", "myParam="},  // never set: still an answer
        {"return=myParam", "myParam="},
        {"myParam=abc", ""},
        {"return=myParam", "myParam=abc"},
        {"return=all", "myParam=abc"},
        {"myParam=a=b.c", ""},
        {"return=myParam", "myParam=a=b.c"},
        {"myParam.sub=7", ""},
        {"return=all", "myParam=7"},
        {"returns=all", ""},
        {"return=all", "myParam=7"},
        {"instance=studio", ""},
        {"return=instance", ""},
        {"instance=studio", ""},
        {"return", ""},
        {"return=other", ""},
        {"_events=x", "notify=*"},
        {"_commands", "myParam=[value]"},
        {"unknown=1", ""},
        {"", ""},
        {"myParam", ""},
        {"return=all", "myParam="},
    };
    for (const Step& step : steps) EXPECT_EQ(parent(step.command), step.answer) << step.command;
    EXPECT_TRUE(host.commands().empty());  // parent commands never reach the host
}

TEST_F(ParentCommands, ANullTextGetsNoAnswer) {
    EXPECT_EQ(panel->notify(nullptr, vrel_kind::parent), nullptr);
}

}  // namespace
}  // namespace panel_test
