// The browser view against the real component: what it refuses, what a
// press does and how fast the change is pushed, the simulated clock, names
// typed in any script reaching the site file byte for byte, where the
// renames are saved, several operator positions on one site, and the layout
// the panel files give.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "panel_definition.h"
#include "raw_http.h"
#include "served_view.h"
#include "state_changes.h"
#include "view_model.h"

namespace vrelhost::test {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::optional<RawResponse> post(int port, const std::string& path, const std::string& body,
                                const std::string& type = "application/json") {
    return roundTrip(port, requestText("POST", path, port, "Content-Type: " + type + "\r\n", body));
}

int status(const std::optional<RawResponse>& response) { return response ? response->status : -1; }

// What a stream sends until `text` is among it, or `timeout` passes.
std::string readUntil(RawConnection& stream, const std::string& text, std::chrono::milliseconds timeout = 3000ms) {
    std::string seen;
    const auto start = Clock::now();
    while (seen.find(text) == std::string::npos && Clock::now() - start < timeout) seen += stream.readFor(100ms, 1);
    return seen;
}

json state(int port) {
    auto response = roundTrip(port, requestText("GET", "/api/state", port));
    EXPECT_EQ(status(response), 200);
    return response ? json::parse(response->body, nullptr, false) : json();
}

const json& control(const json& state, const std::string& panel, const std::string& name, int position = 1) {
    for (const json& p : state["positions"][position - 1]["panels"])
        if (p["id"] == panel)
            for (const json& c : p["controls"])
                if (c["name"] == name) return c;
    static const json none;
    return none;
}

int press(int port, const std::string& panel, const std::string& name, const std::string& event = "",
          int position = 0) {
    json body = {{"panel", panel}, {"control", name}};
    if (!event.empty()) body["event"] = event;
    if (position > 0) body["position"] = position;
    return status(post(port, "/api/press", body.dump()));
}

int key(int port, const std::string& name, int position = 0) {
    json body = {{"key", name}};
    if (position > 0) body["position"] = position;
    return status(post(port, "/api/key", body.dump()));
}

// Each request refused with its status, the reply an error saying `told`;
// the panels as they were.
struct Refusal {
    const char* path;
    std::string body;
    int status;
    const char* told = "";
};
void expectRefused(int port, const std::vector<Refusal>& refusals) {
    const json before = state(port);
    for (const Refusal& r : refusals) {
        auto response = post(port, r.path, r.body);
        ASSERT_TRUE(response) << r.path;
        EXPECT_EQ(response->status, r.status) << r.path << " " << r.body.substr(0, 60);
        const json reply = json::parse(response->body, nullptr, false);
        EXPECT_TRUE(reply.contains("error")) << response->body;
        EXPECT_NE(reply.value("error", "").find(r.told), std::string::npos) << response->body;
    }
    EXPECT_EQ(state(port)["positions"], before["positions"]);
}

TEST(ViewServer, RefusesBadRequestsAndRunsNothing) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    expectRefused(port, {
        {"/api/nothing", "{}", 404},
        {"/api/press", "{\"panel\":\"1\",", 400},
        {"/api/press", "[1,2]", 400},
        {"/api/press", "{\"panel\":\"1\"}", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3 x\"}", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\",\"event\":\"a\\nquit\"}", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\",\"position\":\"1\"}", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\",\"position\":0}", 400},
        {"/api/key", "{\"key\":\"\\n\"}", 400},
        {"/api/key", "{\"key\":\"a\\nquit\"}", 400},
        {"/api/key", "{\"key\":\" \"}", 400},
        {"/api/key", "{\"key\":5}", 400},
        {"/api/clock", "{\"speed\":101}", 400},
        {"/api/clock", "{\"speed\":1,\"step\":true}", 400},
        {"/api/clock", "{\"step\":true}", 409},  // no timer runs
        {"/api/press", std::string(20000, ' '), 413},
    });
    EXPECT_EQ(view.transcript().find("\n# "), std::string::npos) << "a malformed request ran a line";
    EXPECT_EQ(press(port, "1", "Select_3"), 200);  // and the simulation still takes a good press
}

// A well-formed request is an operator line: the runner judges it as it
// judges a typed one, and the transcript records it so.
TEST(ViewServer, TheRunnerJudgesEveryPressAsATypedLine) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    expectRefused(port, {
        {"/api/press", "{\"panel\":\"9\",\"control\":\"Select_3\"}", 400, "no panel in slot 9"},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_9\"}", 400, "has no control"},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Confirm\"}", 409, "Confirm on panel 1 is disabled"},
        {"/api/press", "{\"panel\":\"2\",\"control\":\"NameSet_2\"}", 409, "panel 2 is not on screen"},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\",\"position\":2}", 400, "@2 names no position"},
        {"/api/key", "{\"key\":\"a\"}", 409, "panel 2 is not on screen"},
        {"/api/key", "{\"key\":\"ab\"}", 400, "is not a key"},
        {"/api/key", "{\"key\":\"\\u0085\"}", 400, "is not a key"},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"quit\"}", 400, "has no control"},
    });
    const std::string text = view.transcript();
    EXPECT_NE(text.find("# 3: press 1 Confirm\n! refused: Confirm on panel 1 is disabled, so it sends no event\n"),
              std::string::npos)
        << text;
    // Every line is followed by why it was refused; the one refused before
    // it became a line (no position 2) took no number.
    EXPECT_NE(text.find("# 8: press 1 quit\n! panel 1 has no control \"quit\"\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("< button"), std::string::npos) << "a refused press reached the script";
}

TEST(ViewServer, PressGoesThroughTheScriptAndIsPushedAtOnce) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    RawConnection events(port);
    events.send(requestText("GET", "/api/events", port));
    // The stream opens with the state as it is, before any press.
    EXPECT_NE(events.readFor(3000ms, 2000).find("event: state"), std::string::npos);
    events.readFor(200ms);  // the rest of the opening: the log and the site

    const auto pressed = Clock::now();
    EXPECT_EQ(press(port, "1", "Select_3"), 200);
    const std::string pushed = readUntil(events, "KRSourceSelected\",\"name\":\"Select_3\"", 5s);
    const double ms = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - pressed).count() / 1000.0;
    RecordProperty("press_to_push_ms", std::to_string(ms));
    EXPECT_LT(ms, 200.0);
    EXPECT_NE((pushed + readUntil(events, "event: log")).find("event: log"), std::string::npos);

    // The stream's place is given back once its browser is gone.
    events.close();
    const auto start = Clock::now();
    while (view.server().openStreams() != 0 && Clock::now() - start < 3s) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(view.server().openStreams(), 0);

    const std::string text = view.transcript();
    EXPECT_NE(text.find("# 1: press 1 Select_3\n< button panel 1 control Select_3 event \"button=released\"\n"
                        "> TP 'statesheet=KRSourceSelected' '1' 'Select_3'"),
              std::string::npos);
    EXPECT_EQ(control(state(port), "1", "Confirm")["enabled"], true);
}

TEST(ViewServer, APortInUseIsRefusedWithTheReason) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    ViewServer::Options options;
    options.port = view.port();
    ViewServer second(options);
    std::string error;
    EXPECT_FALSE(second.bind(error));
    EXPECT_EQ(error, "cannot listen on 127.0.0.1 port " + std::to_string(view.port()) + ": port " +
                         std::to_string(view.port()) + " is in use: another program listens there (--port 0 takes a free one)");
    for (const char* address : {"127.0.0.1.nip.io", "300.1.1.1", "not an address"}) {
        ViewServer::Options bad;
        bad.address = address;
        bad.port = 0;
        ViewServer server(bad);
        EXPECT_FALSE(server.bind(error)) << address;
        EXPECT_NE(error.find("not an IP address"), std::string::npos) << error;
    }
    ViewServer::Options remote;
    remote.address = "0.0.0.0";
    remote.port = 0;
    ViewServer open(remote);
    EXPECT_FALSE(open.bind(error)) << "beyond this machine without a token";
    EXPECT_NE(error.find("needs an access token"), std::string::npos) << error;
}

TEST(ViewServer, ClockStepsToTheNextTickThroughWaitLines) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    ASSERT_EQ(status(post(port, "/api/clock", "{\"speed\":0}")), 200);
    ASSERT_EQ(press(port, "1", "Select_3"), 200);
    EXPECT_EQ(state(port)["clock"]["nextTick"], 1000);
    std::this_thread::sleep_for(300ms);  // stopped: nothing moves
    EXPECT_EQ(state(port)["clock"]["now"], 0);
    EXPECT_EQ(status(post(port, "/api/clock", "{\"step\":true}")), 200);
    EXPECT_EQ(state(port)["clock"]["now"], 1000);
    EXPECT_NE(view.transcript().find("# 2: wait 1000\n< tick timer 1 at 1000 ms\n"), std::string::npos);
}

TEST(ViewServer, SourceListShowsTheChosenNameSet) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const json s = state(view.port());
    const json& list = control(s, "2", "SrcName");
    ASSERT_TRUE(list.is_object());
    EXPECT_EQ(list["database"], 1);  // NameSet_1 is selected at start-up
    const json* names = nullptr;
    for (const json& d : s["site"]["devices"])
        if (d["role"] == "names") names = &d;
    ASSERT_TRUE(names);
    EXPECT_EQ(list["rows"], (*names)["databases"]["1"]);
    EXPECT_EQ(list["rows"].size(), 128u);
}

// Opens source 17 of name set 3 for editing and empties the keyboard's text.
void editSource17(int port) {
    ASSERT_EQ(press(port, "1", "Name_Editor"), 200);
    ASSERT_EQ(press(port, "2", "NameSet_3"), 200);
    ASSERT_EQ(press(port, "2", "SrcName", "index=17"), 200);
    const std::string typed = control(state(port), "2", "KB_1")["text"];
    ASSERT_FALSE(typed.empty());
    for (std::size_t i = 0; i < typed.size(); ++i) ASSERT_EQ(key(port, "backspace"), 200);
    ASSERT_EQ(control(state(port), "2", "KB_1")["text"], "");
}

std::string savedName(const ServedView& view, int set, int entry) {
    const json site = json::parse(ServedView::readFile(view.sitePath), nullptr, false);
    for (const json& d : site["devices"])
        if (d["role"] == "names") return d["databases"][std::to_string(set)][entry - 1];
    return "(no name driver)";
}

// The state's "displays" section: the live set's names at the brightness,
// following a set confirmed, a brightness chosen and a rename of the live set.
TEST(ViewServer, TheDisplaysSectionFollowsTheSite) {
    ServedView view;
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    json d = state(port)["displays"];
    EXPECT_EQ(d["set"], 1);
    EXPECT_EQ(d["title"], "Studio A");
    EXPECT_EQ(d["brightness"], 2);
    EXPECT_EQ(d["levels"], 3);
    ASSERT_EQ(d["names"].size(), 128u);
    EXPECT_EQ(d["names"][16], "CAM17");

    ASSERT_EQ(press(port, "1", "Select_3"), 200);
    ASSERT_EQ(press(port, "1", "Confirm"), 200);
    ASSERT_EQ(press(port, "1", "UMDBright_3"), 200);
    editSource17(port);
    for (const char* k : {"D", "e", "s", "k", "return"}) ASSERT_EQ(key(port, k), 200);
    ASSERT_EQ(press(port, "2", "Update"), 200);
    d = state(port)["displays"];
    EXPECT_EQ(d["set"], 3);
    EXPECT_EQ(d["title"], "News");
    EXPECT_EQ(d["brightness"], 3);
    EXPECT_EQ(d["brightnessName"], "High");
    EXPECT_EQ(d["names"][16], "Desk");
    EXPECT_EQ(d["names"][0], "N-CAM1");
}

TEST(ViewServer, TypedCharactersOfAnyScriptReachTheSiteFileByteExact) {
    ServedView view({}, true);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    editSource17(port);
    // "Café": the last key is one character of two bytes; a backspace takes it whole.
    for (const char* k : {"C", "a", "f", "\xc3\xa9", "\xc3\xa9", "backspace"}) ASSERT_EQ(key(port, k), 200) << k;
    EXPECT_EQ(control(state(port), "2", "KB_1")["text"], "Caf\xc3\xa9");
    ASSERT_EQ(key(port, "return"), 200);
    ASSERT_EQ(press(port, "2", "Update"), 200);
    EXPECT_EQ(savedName(view, 3, 17), "Caf\xc3\xa9");
    EXPECT_NE(view.transcript().find("> RM 60 3 17 'Caf\xc3\xa9' 0"), std::string::npos);

    // A capital, an apostrophe and more than the name takes: every key is
    // taken; the script keeps its own limit, and the host warns of the apostrophe.
    ASSERT_EQ(press(port, "2", "SrcName", "index=18"), 200);
    const std::string old = control(state(port), "2", "KB_1")["text"];
    for (std::size_t i = 0; i < old.size(); ++i) ASSERT_EQ(key(port, "backspace"), 200);
    for (const char* k : {"O", "'", "N", "e", "i", "l", "l", "y", "s", "s"}) ASSERT_EQ(key(port, k), 200) << k;
    ASSERT_EQ(key(port, "return"), 200);
    ASSERT_EQ(press(port, "2", "Update"), 200);
    EXPECT_EQ(savedName(view, 3, 18), "O'Neilly");
    EXPECT_NE(view.transcript().find("! ambiguous command"), std::string::npos);
    EXPECT_EQ(view.finish(), 0);
}

TEST(ViewServer, TheStateSaysWhereRenamesAreSaved) {
    {
        ServedView view({}, true);
        ASSERT_TRUE(view.ready());
        EXPECT_EQ(state(view.port())["siteFile"], view.sitePath);
        RawConnection events(view.port());
        events.send(requestText("GET", "/api/events", view.port()));
        const std::string named = "\"siteFile\":\"" + view.sitePath + "\"";
        EXPECT_NE(readUntil(events, named).find(named), std::string::npos);
    }
    ServedView inMemory;
    ASSERT_TRUE(inMemory.ready());
    EXPECT_TRUE(state(inMemory.port())["siteFile"].is_null());
}

// Two positions on one site: what one does arrives at the other through the
// host, and the view shows and operates each.
TEST(ViewServer, EveryPositionIsShownAndARenameAtOneReachesTheOther) {
    ServedView view({}, false, 2);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    ASSERT_EQ(state(port)["positions"].size(), 2u);
    // Position 2 opens name set 3 in its editor; position 1 renames source 17 of it.
    ASSERT_EQ(press(port, "1", "Name_Editor", "", 2), 200);
    ASSERT_EQ(press(port, "2", "NameSet_3", "", 2), 200);
    ASSERT_EQ(control(state(port), "2", "SrcName", 2)["database"], 3);
    ASSERT_EQ(press(port, "1", "Name_Editor", "", 1), 200);
    ASSERT_EQ(press(port, "2", "NameSet_3", "", 1), 200);
    ASSERT_EQ(press(port, "2", "SrcName", "index=17", 1), 200);
    const std::string typed = control(state(port), "2", "KB_1", 1)["text"];
    for (std::size_t i = 0; i < typed.size(); ++i) ASSERT_EQ(key(port, "backspace", 1), 200);
    for (const char* k : {"V", "T", "R", "\xc3\x89"}) ASSERT_EQ(key(port, k, 1), 200);
    ASSERT_EQ(key(port, "return", 1), 200);
    ASSERT_EQ(press(port, "2", "Update", "", 1), 200);
    const json after = state(port);
    EXPECT_EQ(control(after, "2", "SrcName", 2)["rows"][16], "VTR\xc3\x89");
    EXPECT_EQ(control(after, "2", "KB_1", 2)["text"], "") << "position 2's keyboard took position 1's keys";
    const std::string text = view.transcript();
    EXPECT_NE(text.find("[1] # 3: press 1 Name_Editor\n"), std::string::npos);
    EXPECT_NE(text.find("[2] < database device 60 database 3 entry 17"), std::string::npos);

    // The log names each line's position and kind, as the transcript wrote it.
    RawConnection events(port);
    events.send(requestText("GET", "/api/events", port));
    const std::string rename = "{\"kind\":\"sent\",\"position\":1,\"text\":\"[1] > RM 60 3 17 'VTR\xc3\x89' 0\"}";
    const std::string opening = readUntil(events, rename);
    EXPECT_NE(opening.find(rename), std::string::npos);
    EXPECT_NE(opening.find("\"kind\":\"delivered\",\"position\":2,"), std::string::npos);
}

// The events of a stream's text (after its head): name and data.
std::vector<std::pair<std::string, json>> eventsOf(const std::string& text) {
    std::vector<std::pair<std::string, json>> events;
    std::size_t at = text.find("\r\n\r\n");
    at = at == std::string::npos ? 0 : at + 4;
    for (std::size_t end; (end = text.find("\n\n", at)) != std::string::npos; at = end + 2) {
        const std::string block = text.substr(at, end - at);
        const std::size_t data = block.find("\ndata: ");
        if (block.rfind("event: ", 0) == 0 && data != std::string::npos)
            events.emplace_back(block.substr(7, data - 7), json::parse(block.substr(data + 7), nullptr, false));
    }
    return events;
}

// The stream sends the whole document once, then numbered changes: applied in
// order to it, they give the document /api/state has, renames, panels shown
// and slots written included. One that follows a position is sent nothing of
// the other's panels, and every number all the same.
TEST(ViewServer, ChangesOnTheFirstDocumentGiveTheStateAndFollowOnePosition) {
    ServedView view({}, false, 2);
    ASSERT_TRUE(view.ready());
    const int port = view.port();
    RawConnection all(port), first(port);
    all.send(requestText("GET", "/api/events", port));
    first.send(requestText("GET", "/api/events?position=1", port));
    std::string allText = readUntil(all, "event: state");
    ASSERT_NE(allText.find("event: state"), std::string::npos);
    ASSERT_EQ(press(port, "1", "Name_Editor", "", 2), 200);
    ASSERT_EQ(press(port, "2", "NameSet_3", "", 2), 200);
    ASSERT_EQ(press(port, "1", "UMDBright_1", "", 1), 200);
    ASSERT_EQ(press(port, "1", "Name_Editor", "", 1), 200);
    ASSERT_EQ(press(port, "2", "NameSet_3", "", 1), 200);
    ASSERT_EQ(press(port, "2", "SrcName", "index=17", 1), 200);
    ASSERT_EQ(key(port, "X", 1), 200);
    ASSERT_EQ(key(port, "return", 1), 200);
    ASSERT_EQ(press(port, "2", "Update", "", 1), 200);
    json expected = state(port);
    const int seq = expected["seq"];
    const std::string last = "{\"seq\":" + std::to_string(seq) + ",";
    const auto allEvents = eventsOf(allText + readUntil(all, last));
    const auto firstEvents = eventsOf(readUntil(first, last));

    json document, opening;
    int applied = -1;
    for (const auto& [name, data] : allEvents) {
        if (name == "state") {
            document = opening = data;
            applied = data["seq"];
        } else if (name == "change" && applied >= 0 && data["seq"] <= seq) {
            ASSERT_EQ(data["seq"], applied + 1) << "a batch is missing";
            applied = data["seq"];
            for (const json& c : data["changes"]) ASSERT_TRUE(applyChange(document, c["path"], c["value"])) << c.dump();
        }
    }
    ASSERT_EQ(applied, seq);
    document["seq"] = seq;
    const auto names = [](const json& d) {
        for (const json& device : d["site"]["devices"])
            if (device["number"] == 60) return device["databases"]["3"][16];
        return json();
    };
    EXPECT_NE(names(document), names(opening)) << "no rename was made";
    EXPECT_NE(document["displays"], opening["displays"]) << "the brightness chosen reaches the displays";
    EXPECT_EQ(document, expected);

    int numbered = 0, ofTheOther = 0;
    for (const auto& [name, data] : firstEvents) {
        if (name != "change") continue;
        EXPECT_EQ(data["seq"], ++numbered);
        for (const json& c : data["changes"])
            if (c["path"].size() > 2 && c["path"][0] == "positions" && c["path"][1] == 2 && c["path"][2] == "panels")
                ++ofTheOther;
    }
    EXPECT_EQ(numbered, seq);
    EXPECT_EQ(ofTheOther, 0);
    for (const char* bad : {"0", "x", "1%00", "99999"})
        EXPECT_EQ(status(roundTrip(port, requestText("GET", std::string("/api/events?position=") + bad, port))), 400) << bad;
}

// A path names array elements by their key field and arrays of texts by
// index; one that leads nowhere changes nothing.
TEST(StateChanges, APathNamesElementsByKeyAndIndex) {
    json doc = json::parse(R"({"positions":[{"position":1,"panels":[{"id":"1","controls":[{"name":"A","text":"a"}]}]}],
                              "site":{"devices":[{"number":60,"databases":{"3":["x","y"]}}]}})");
    EXPECT_TRUE(applyChange(doc, {"positions", 1, "panels", "1", "controls", "A"}, {{"name", "A"}, {"text", "b"}}));
    EXPECT_TRUE(applyChange(doc, {"site", "devices", 60, "databases", "3", 1}, "z"));
    EXPECT_TRUE(applyChange(doc, {"positions", 1, "panels", "1", "controls", "B"}, {{"name", "B"}}));
    EXPECT_EQ(doc["positions"][0]["panels"][0]["controls"][0]["text"], "b");
    EXPECT_EQ(doc["positions"][0]["panels"][0]["controls"][1]["name"], "B");
    EXPECT_EQ(doc["site"]["devices"][0]["databases"]["3"], json({"x", "z"}));
    EXPECT_TRUE(applyChange(doc, {"positions", 1, "panels", "1", "controls", "A"}, nullptr));
    EXPECT_EQ(doc["positions"][0]["panels"][0]["controls"].size(), 1u);
    const json before = doc;
    EXPECT_FALSE(applyChange(doc, {"positions", 2, "alive"}, true));
    EXPECT_FALSE(applyChange(doc, {"site", "devices", 60, "databases", "3", 5}, "w"));
    EXPECT_FALSE(applyChange(doc, {"site", "devices", 60, "databases", "3", 1, "x"}, "w"));
    EXPECT_EQ(doc, before);
}

// Names can hold any bytes: the JSON the page gets replaces what is not UTF-8
// instead of failing the whole update.
TEST(ViewModel, TextsInAnyBytesStillMakeJson) {
    const std::string text = toText(json{{"name", std::string("a\xff<&\"")}});
    EXPECT_EQ(text, "{\"name\":\"a\xef\xbf\xbd<&\\\"\"}");
}

TEST(PanelLayout, KeptApartFromWhatTheScriptReads) {
    std::string error;
    auto panel = parsePanelDefinition("@panel w=300 h=200\nA type=list x=5 y=6 w=70 h=8 database=Set_@Look\n", error);
    ASSERT_TRUE(panel) << error;
    EXPECT_EQ(panel->layout.at("w"), "300");
    const Control& a = panel->controls.at(0);
    EXPECT_EQ(a.layout.at("x"), "5");
    EXPECT_EQ(a.layout.at("database"), "Set_@Look");
    EXPECT_EQ(a.properties.size(), 5u);  // enabled, visible, text, statesheet, type: nothing of the layout
    EXPECT_FALSE(parsePanelDefinition("A x=-1\n", error));
    EXPECT_EQ(error, "line 1: x= expects a number of 0 to 999999, not \"-1\"");
    EXPECT_FALSE(parsePanelDefinition("@panel colour=red\n", error));
    EXPECT_EQ(error, "line 1: the panel line takes only w= and h=, not \"colour\"");
}

// Every control of the shipped panels is placed, and inside its panel.
TEST(PanelLayout, ShippedPanelsPlaceEveryControl) {
    for (const char* file : {"Selector.vrel_ui", "NameEdit.vrel_ui"}) {
        std::string error;
        auto panel = loadPanelDefinition(std::string(VREL_HOST_PANELS) + "/" + file, error);
        ASSERT_TRUE(panel) << error;
        const int width = std::stoi(panel->layout.at("w")), height = std::stoi(panel->layout.at("h"));
        for (const Control& c : panel->controls) {
            ASSERT_EQ(c.layout.count("x") + c.layout.count("y") + c.layout.count("w") + c.layout.count("h"), 4u)
                << file << " " << c.name;
            EXPECT_LE(std::stoi(c.layout.at("x")) + std::stoi(c.layout.at("w")), width) << c.name;
            EXPECT_LE(std::stoi(c.layout.at("y")) + std::stoi(c.layout.at("h")), height) << c.name;
        }
    }
}

}  // namespace
}  // namespace vrelhost::test
