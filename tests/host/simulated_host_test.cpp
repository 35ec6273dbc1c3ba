// The simulator's handler for each command code, driven through notify() as a
// script drives it: one row per code, with the commands that set the scene
// and what the code must leave behind. A handler wired to another code's
// action, or a code without a row, fails here.
#include "simulated_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "default_site.h"
#include "host/protocol/command_grammar.h"
#include "runtime/boundary/vrel_client_callback.h"

namespace vrelhost {
namespace {

const std::string panels = VREL_HOST_PANELS;
const std::string editor = "PS '2' '" + panels + "/NameEdit.vrel_ui'";

// A simulator on the default site, with what it writes kept.
struct Dispatch {
    Dispatch() : site(*siteFromJson(defaultSiteDocument(), error)) {}

    // Sends a command; a reply is copied and handed back at once, as a script must.
    std::optional<std::string> send(const std::string& text) {
        void* reply = host.notify(const_cast<char*>(text.c_str()), vrel_kind::command);
        if (!reply) return std::nullopt;
        std::string copy = static_cast<const char*>(reply);
        if (replyOf(*commandCodeOf(text.c_str())) == ReplyKind::query) host.notify(reply, vrel_kind::release);
        return copy;
    }
    const Control& control(const char* panel, const char* name) {
        const Control* c = host.panels().control(panel, name);
        if (!c) throw std::runtime_error(std::string("no control ") + name);
        return *c;
    }
    std::vector<std::string> pending() {
        std::vector<std::string> reports;
        for (const PendingReport& r : host.takePending())
            reports.push_back(std::to_string(r.device) + "/" + std::to_string(r.database) + "/" +
                              std::to_string(r.index) + "=" + r.text);
        return reports;
    }

    std::string error;
    Site site;
    std::ostringstream out;
    Transcript transcript{out, Transcript::Form::exact};
    ProtocolLog log{transcript};
    SimulatedHost host{site, transcript, log};
};

struct Row {
    CommandCode code;
    std::vector<std::string> lines;  // sent in order, `code` among them; the last reply is kept
    std::function<void(Dispatch&, const std::optional<std::string>& lastReply)> expect;
};

using Reply = std::optional<std::string>;

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        {CommandCode::CD,
         {editor, "CE '2' 'KB_1'", "CD '2' 'KB_1'"},
         [](Dispatch& d, const Reply&) { EXPECT_FALSE(d.control("2", "KB_1").enabled()); }},
        {CommandCode::CE,
         {editor, "CD '2' 'KB_1'", "CE '2' 'KB_1'"},
         [](Dispatch& d, const Reply&) { EXPECT_TRUE(d.control("2", "KB_1").enabled()); }},
        {CommandCode::CH,
         {editor, "CS '2' 'L1'", "CH '2' 'L1'"},
         [](Dispatch& d, const Reply&) { EXPECT_FALSE(d.control("2", "L1").visible()); }},
        {CommandCode::CS,
         {editor, "CH '2' 'L1'", "CS '2' 'L1'"},
         [](Dispatch& d, const Reply&) { EXPECT_TRUE(d.control("2", "L1").visible()); }},
        {CommandCode::PI,
         {"PI '2' '" + panels + "/NameEdit.vrel_ui'"},
         [](Dispatch& d, const Reply& r) {
             EXPECT_TRUE(r);
             ASSERT_TRUE(d.host.panels().slot("2"));
             EXPECT_FALSE(d.host.panels().slot("2")->onScreen);
         }},
        {CommandCode::PS,
         {editor},
         [](Dispatch& d, const Reply& r) {
             EXPECT_TRUE(r);
             ASSERT_TRUE(d.host.panels().slot("2"));
             EXPECT_TRUE(d.host.panels().slot("2")->onScreen);
         }},
        {CommandCode::PR,
         {editor, "PR '2'"},
         [](Dispatch& d, const Reply& r) {
             EXPECT_TRUE(r);
             ASSERT_TRUE(d.host.panels().slot("2"));  // kept, with what was set on it, for a later PS
             EXPECT_FALSE(d.host.panels().slot("2")->onScreen);
         }},
        {CommandCode::TP,
         {editor, "TP 'text=A=B' '2' 'KB_1'"},
         [](Dispatch& d, const Reply&) { EXPECT_EQ(d.control("2", "KB_1").property("text"), "A=B"); }},
        {CommandCode::TG,
         {editor, "TP 'text=AB' '2' 'KB_1'", "TG '2' 'KB_1' 'text'"},
         [](Dispatch&, const Reply& r) { EXPECT_EQ(r, "text=AB"); }},
        {CommandCode::SD,
         {"SD 'StC_UMD_Names_DriverID'"},
         [](Dispatch&, const Reply& r) { EXPECT_EQ(r, "60"); }},
        {CommandCode::XI,
         {editor, "XI '2' 'NameSet_'"},
         [](Dispatch&, const Reply& r) {
             EXPECT_EQ(r, "NameSet_1,NameSet_2,NameSet_3,NameSet_4,NameSet_5,NameSet_6,NameSet_7,NameSet_8");
         }},
        {CommandCode::IP,
         {"IP 57 211 212"},
         [](Dispatch& d, const Reply&) {
             EXPECT_EQ(d.pending(), (std::vector<std::string>{"57/0/211=2", "57/0/212=1"}));
         }},
        {CommandCode::IR,
         {"IR 57 212 212", "IW 57 '3' 211 0", "IW 57 '4' 212 0"},
         [](Dispatch& d, const Reply&) { EXPECT_EQ(d.pending(), (std::vector<std::string>{"57/0/212=4"})); }},
        {CommandCode::IU,
         {"IR 57 211 212", "IU 57", "IW 57 '3' 211 0"},
         [](Dispatch& d, const Reply&) { EXPECT_TRUE(d.pending().empty()); }},
        {CommandCode::IW,
         {"IW 57 '3' 211 0"},
         [](Dispatch& d, const Reply&) {
             EXPECT_EQ(d.site.slot(57, 211), "3");
             EXPECT_TRUE(d.pending().empty());  // nobody registered
         }},
        {CommandCode::RR,
         {"RR 60 17 17", "RM 60 3 16 'A' 0", "RM 60 3 17 'B' 0"},
         [](Dispatch& d, const Reply&) { EXPECT_EQ(d.pending(), (std::vector<std::string>{"60/3/17=B"})); }},
        {CommandCode::RM,
         {"RM 60 3 17 'Cam 17' 0"},
         [](Dispatch& d, const Reply&) { EXPECT_EQ(d.site.entry(60, 3, 17), "Cam 17"); }},
        {CommandCode::RN,
         {"RM 60 3 17 'Cam 17' 0", "RN 60 3 17"},
         [](Dispatch&, const Reply& r) { EXPECT_EQ(r, "Cam 17"); }},
        {CommandCode::ET,
         {"ET 1 300", "ET 2 200", "ET 2"},
         [](Dispatch& d, const Reply&) {
             EXPECT_TRUE(d.host.timers().running(1));
             EXPECT_FALSE(d.host.timers().running(2));
             EXPECT_EQ(d.host.timers().nextDue(), 300);
         }},
        {CommandCode::AS,
         {"ET 1 300", "AS"},
         [](Dispatch& d, const Reply& r) {
             EXPECT_FALSE(r);
             EXPECT_TRUE(d.host.closed());
             EXPECT_TRUE(d.host.timers().running(1));  // AS only closes; the session stops the rest
         }},
    };
    return table;
}

TEST(SimulatedHostDispatch, EveryCodeHasARow) {
    std::set<CommandCode> covered;
    for (const Row& row : rows()) {
        covered.insert(row.code);
        EXPECT_TRUE(
            std::any_of(row.lines.begin(), row.lines.end(),
                        [&](const std::string& line) { return commandCodeOf(line.c_str()) == row.code; }))
            << codeName(row.code) << " is not sent in its own row";
    }
    EXPECT_EQ(covered.size(), static_cast<std::size_t>(commandCodeCount));
}

TEST(SimulatedHostDispatch, EachCodeDoesItsOwnThing) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(codeName(row.code));
        Dispatch d;
        Reply last;
        for (const std::string& line : row.lines) last = d.send(line);
        row.expect(d, last);
        EXPECT_EQ(d.log.count(), 0u) << d.out.str();
    }
}

// What the host does not have is a null answer, or a note that names the
// code and what is missing; a rename it cannot carry out is also counted.
TEST(SimulatedHostDispatch, RefusalsNameTheCodeAndTheMissingThing) {
    Dispatch d;
    d.send("CS '2' 'L1'");  // no panel yet
    EXPECT_FALSE(d.send("PI '1' 'nowhere/Selector.vrel_ui'"));
    EXPECT_FALSE(d.send("PR '1'"));
    d.send(editor);
    d.send("CD '2' 'Nope'");
    for (const char* query : {"SD 'Nobody'", "RN 60 9 129", "RN 60 10 1", "TG '2' 'Nope' 'text'", "XI '2' 'alm_'"})
        EXPECT_FALSE(d.send(query)) << query;
    EXPECT_EQ(d.send("TG '2' 'KB_1' 'page'"), "page=") << "a property never set is empty, not missing";
    d.send("IP 60 1 2");  // the name driver has databases, not slots
    for (const char* rename : {"RM 60 10 1 'x' 0", "RM 60 3 129 'x' 0", "RM 99 1 1 'x' 0", "RM 60 3 17 'Fine' 0"})
        d.send(rename);
    EXPECT_EQ(d.host.refusedRenames(), 3);
    EXPECT_EQ(d.host.firstRefusedRename(), "RM: device 60 has no entry 1 in database 10");
    EXPECT_EQ(d.site.entry(60, 3, 17), "Fine");
    const std::string said = d.out.str();
    for (const char* note : {"! CS: no panel in slot 2", "! PI refused: no panel file nowhere/Selector.vrel_ui",
                             "! PR refused: no panel in slot 1", "! CD: panel 2 has no control \"Nope\"",
                             "! TG: panel 2 has no control \"Nope\"", "! IP: device 60 is not an infodriver",
                             "! RM: device 99 has no entry 1 in database 1; the rename is not done"})
        EXPECT_NE(said.find(note), std::string::npos) << note << "\n" << said;
    EXPECT_EQ(d.log.count(), 0u);
}

}  // namespace
}  // namespace vrelhost
