// The browser view's server against the real component: what it refuses,
// what a press does and how fast the change is pushed, the simulated clock,
// streams that end with their browser, and the layout the panel files give.
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "kelvane_profile.h"
#include "simulation_source.h"
#include "panel_definition.h"
#include "view_model.h"
#include "view_server.h"

namespace vrelhost {
namespace {

using nlohmann::json;

class ViewServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        transcriptPath_ = ::testing::TempDir() + "view_test_transcript.txt";
        std::string error;
        SimulationSettings settings;
        settings.profile = &kelvaneProfile();
        settings.library = KELVANE_LIBRARY;
        settings.panels = VREL_HOST_PANELS;
        settings.transcriptFile = transcriptPath_;
        live_ = SimulationSource::start(settings, error);
        ASSERT_TRUE(live_) << error;
        ViewServer::Options options;
        options.port = 0;
        server_ = std::make_unique<ViewServer>(*live_, options);
        ASSERT_TRUE(server_->bind(error)) << error;
        thread_ = std::thread([this] { server_->run(); });
        client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    }
    void TearDown() override {
        if (server_) server_->stop();
        if (thread_.joinable()) thread_.join();
        server_.reset();
        if (live_) {
            EXPECT_EQ(live_->finish(), 0);
        }
    }

    httplib::Result post(const std::string& path, const std::string& body) {
        return client_->Post(path.c_str(), body, "application/json");
    }
    json state() {
        auto res = client_->Get("/api/state");
        EXPECT_TRUE(res && res->status == 200);
        return res ? json::parse(res->body) : json();
    }
    static const json& control(const json& state, const std::string& panel, const std::string& name) {
        for (const json& p : state["panels"])
            if (p["id"] == panel)
                for (const json& c : p["controls"])
                    if (c["name"] == name) return c;
        static const json none;
        return none;
    }
    std::string transcript() {
        std::ifstream in(transcriptPath_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string transcriptPath_;
    std::unique_ptr<SimulationSource> live_;
    std::unique_ptr<ViewServer> server_;
    std::thread thread_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_F(ViewServerTest, RefusesBadRequestsAndRunsNothing) {
    const json before = state();
    struct Case {
        const char* path;
        std::string body;
        const char* type;
        int status;
    };
    const Case cases[] = {
        {"/api/nothing", "{}", "application/json", 404},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\"}", "text/plain", 415},
        {"/api/press", "{\"panel\":\"1\",", "application/json", 400},
        {"/api/press", "[1,2]", "application/json", 400},
        {"/api/press", "{\"panel\":\"1\"}", "application/json", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3 x\"}", "application/json", 400},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\",\"event\":\"a\\nquit\"}", "application/json", 400},
        {"/api/press", "{\"panel\":\"9\",\"control\":\"Select_3\"}", "application/json", 404},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Select_9\"}", "application/json", 404},
        {"/api/press", "{\"panel\":\"1\",\"control\":\"Confirm\"}", "application/json", 409},      // disabled
        {"/api/press", "{\"panel\":\"2\",\"control\":\"NameSet_2\"}", "application/json", 409},    // off screen
        {"/api/press", "{\"panel\":\"2\",\"control\":\"KB_1\"}", "application/json", 400},         // a keyboard
        {"/api/key", "{\"key\":\"a\"}", "application/json", 409},                                   // disabled
        {"/api/key", "{\"key\":\"ab\"}", "application/json", 400},
        {"/api/clock", "{\"speed\":101}", "application/json", 400},
        {"/api/clock", "{\"step\":true}", "application/json", 409},  // no timer runs
        {"/api/press", std::string(20000, ' '), "application/json", 413},
    };
    for (const Case& c : cases) {
        auto res = client_->Post(c.path, c.body, c.type);
        ASSERT_TRUE(res) << c.path;
        EXPECT_EQ(res->status, c.status) << c.path << " " << c.body.substr(0, 60);
        EXPECT_TRUE(json::parse(res->body, nullptr, false).contains("error")) << res->body;
    }
    auto foreign = client_->Get("/", httplib::Headers{{"Host", "example.com"}});
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->status, 403);

    EXPECT_EQ(state()["panels"], before["panels"]);
    EXPECT_EQ(transcript().find("\n# "), std::string::npos) << "a refused request ran a line";
    // And the simulation still takes a good press.
    auto res = post("/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\"}");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200) << res->body;
}

TEST_F(ViewServerTest, PressGoesThroughTheScriptAndIsPushedAtOnce) {
    std::mutex mutex;
    std::condition_variable seen;
    std::string stream;
    std::chrono::steady_clock::time_point pressed, pushed;
    bool done = false;
    std::thread reader([&] {
        httplib::Client events("127.0.0.1", server_->port());
        events.Get("/api/events", [&](const char* data, std::size_t size) {
            std::lock_guard<std::mutex> lock(mutex);
            stream.append(data, size);
            if (!done && pressed.time_since_epoch().count() != 0 &&
                stream.find("KRSourceSelected\",\"name\":\"Select_3\"") != std::string::npos) {
                pushed = std::chrono::steady_clock::now();
                done = true;
                seen.notify_all();
            }
            return !done;
        });
    });
    // The stream opens with the state as it is, before any press.
    for (int i = 0; i < 100 && server_->openStreams() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    {
        std::lock_guard<std::mutex> lock(mutex);
        pressed = std::chrono::steady_clock::now();
    }
    auto res = post("/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\"}");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    {
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_TRUE(seen.wait_for(lock, std::chrono::seconds(5), [&] { return done; }));
        const auto ms = std::chrono::duration_cast<std::chrono::microseconds>(pushed - pressed).count() / 1000.0;
        RecordProperty("press_to_push_ms", std::to_string(ms));
        EXPECT_LT(ms, 100.0);
        EXPECT_NE(stream.find("event: log"), std::string::npos);
    }
    reader.join();
    // The stream's thread is given back once its browser is gone.
    for (int i = 0; i < 500 && server_->openStreams() != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server_->openStreams(), 0);

    const std::string text = transcript();
    const std::size_t line = text.find("# 1: press 1 Select_3\n< button panel 1 control Select_3 event \"button=released\"\n"
                                       "> TP 'statesheet=KRSourceSelected' '1' 'Select_3'");
    EXPECT_NE(line, std::string::npos) << text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
    EXPECT_EQ(control(state(), "1", "Confirm")["enabled"], true);
}

// Just enough of a source to stand up a second server.
class IdleSource : public ViewSource {
public:
    bool runLine(const std::string&, std::string&) override { return true; }
    const std::map<std::string, PanelSlots::Slot>& panels() const override { return panels_; }
    const std::vector<Device>& devices() const override { return devices_; }
    long long clock() const override { return 0; }
    std::optional<long long> nextTick() const override { return std::nullopt; }
    bool alive() const override { return true; }
    std::string keyboardPanel() const override { return ""; }
    std::string keyboardControl() const override { return ""; }
    void onTranscriptLine(std::function<void(const std::string&)>) override {}

private:
    std::map<std::string, PanelSlots::Slot> panels_;
    std::vector<Device> devices_;
};

TEST_F(ViewServerTest, APortInUseIsRefused) {
    IdleSource idle;
    ViewServer::Options options;
    options.port = server_->port();
    ViewServer second(idle, options);
    std::string error;
    EXPECT_FALSE(second.bind(error));
    EXPECT_EQ(error, "cannot listen on 127.0.0.1 port " + std::to_string(server_->port()));
}

TEST_F(ViewServerTest, ClockStepsToTheNextTickThroughWaitLines) {
    ASSERT_EQ(post("/api/clock", "{\"speed\":0}")->status, 200);
    ASSERT_EQ(post("/api/press", "{\"panel\":\"1\",\"control\":\"Select_3\"}")->status, 200);
    EXPECT_EQ(state()["clock"]["nextTick"], 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // stopped: nothing moves
    EXPECT_EQ(state()["clock"]["now"], 0);
    auto res = post("/api/clock", "{\"step\":true}");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(state()["clock"]["now"], 1000);
    EXPECT_NE(transcript().find("# 2: wait 1000\n< tick timer 1 at 1000 ms\n"), std::string::npos);
}

TEST_F(ViewServerTest, SourceListShowsTheChosenNameSet) {
    const json s = state();
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
}  // namespace vrelhost
