#include "view_server.h"

#include <sys/socket.h>

#include <httplib.h>

#include "page_files.h"
#include "view_model.h"

namespace vrelhost {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

void reply(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(toText(body), "application/json");
}

void refuse(httplib::Response& res, int status, const std::string& message) {
    reply(res, status, {{"error", message}});
}

// A panel id, control name or event: printable ASCII without blanks, so it
// stays one word of one operator line.
bool isWord(const std::string& text, std::size_t longest) {
    if (text.empty() || text.size() > longest) return false;
    for (unsigned char c : text)
        if (c <= ' ' || c >= 0x7f) return false;
    return true;
}

// The JSON object of a request body; nothing, with the response set, otherwise.
std::optional<json> readBody(const httplib::Request& req, httplib::Response& res) {
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        refuse(res, 400, "the body must be a JSON object");
        return std::nullopt;
    }
    return body;
}

// A string member; nothing (and the response set) when it is missing or not a word.
std::optional<std::string> wordMember(const json& body, const char* key, bool required, httplib::Response& res) {
    auto it = body.find(key);
    if (it == body.end() && !required) return std::string();
    if (it == body.end() || !it->is_string() || !isWord(it->get<std::string>(), 256)) {
        refuse(res, 400, std::string("\"") + key + "\" must be a text of printable characters without blanks");
        return std::nullopt;
    }
    return it->get<std::string>();
}

bool isLoopback(const std::string& address) {
    return address.compare(0, 4, "127.") == 0 || address == "::1" || address == "localhost";
}

// The host name of a Host header, without the port.
std::string hostName(const std::string& header) {
    if (!header.empty() && header[0] == '[') return header.substr(1, header.find(']') - 1);
    return header.substr(0, header.rfind(':'));
}

std::string event(const char* name, const std::string& data) {
    return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

}  // namespace

ViewServer::ViewServer(ViewSource& source, Options options)
    : source_(source), options_(std::move(options)), http_(std::make_unique<httplib::Server>()),
      clock_(source, Clock::now()) {
    source_.onTranscriptLine([this](const std::string& line) { hub_.appendLine(line); });
    // Each open event stream holds a worker: room for all of them and the requests.
    const std::size_t workers = static_cast<std::size_t>(options_.maxStreams) + 8;
    http_->new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
    http_->set_payload_max_length(options_.maxBody);
    // An event goes out in small writes: without this, the kernel holds them back for an ACK.
    http_->set_tcp_nodelay(true);
    // A port another server listens on is refused (the library's default would
    // share it with SO_REUSEPORT and split the browsers between the two).
    http_->set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    routes();
    std::lock_guard<std::mutex> lock(simulation_);
    publishLocked();
}

ViewServer::~ViewServer() {
    stop();
    source_.onTranscriptLine(nullptr);
}

void ViewServer::publishLocked() {
    const json state = {{"panels", panelsJson(source_)},
                        {"clock", clock_.json()},
                        {"alive", source_.alive()},
                        {"keyboard", {{"panel", source_.keyboardPanel()}, {"control", source_.keyboardControl()}}}};
    hub_.publish(toText(state), toText(siteJson(source_.devices())));
}

void ViewServer::routes() {
    httplib::Server& http = *http_;
    const bool loopback = isLoopback(options_.address);
    http.set_pre_routing_handler([loopback](const httplib::Request& req, httplib::Response& res) {
        // A page from elsewhere that found the address by DNS must not reach it.
        if (loopback && !isLoopback(hostName(req.get_header_value("Host")))) {
            refuse(res, 403, "this view answers only to the loopback address");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.method == "POST" && req.get_header_value("Content-Type").compare(0, 16, "application/json") != 0) {
            refuse(res, 415, "send the body as application/json");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    http.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return;
        if (res.status == 404) refuse(res, 404, "no such resource: " + req.method + " " + req.path);
        else if (res.status == 413) refuse(res, 413, "the request is too large");
        else refuse(res, res.status, "the request could not be served");
    });

    for (std::size_t i = 0; i < pageFileCount; ++i) {
        const PageFile& file = pageFiles[i];
        http.Get(file.path, [&file](const httplib::Request&, httplib::Response& res) {
            res.set_header("Cache-Control", "no-store");
            res.set_content(reinterpret_cast<const char*>(file.data), file.size, file.type);
        });
    }

    http.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(simulation_);
        reply(res, 200, {{"panels", panelsJson(source_)}, {"clock", clock_.json()}, {"alive", source_.alive()},
                         {"site", siteJson(source_.devices())}});
    });

    http.Get("/api/events", [this](const httplib::Request&, httplib::Response& res) {
        if (!hub_.openStream(options_.maxStreams)) {
            refuse(res, 503, "too many open views");
            return;
        }
        auto cursor = std::make_shared<UpdateHub::Cursor>();
        res.set_header("Cache-Control", "no-store");
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, cursor](std::size_t, httplib::DataSink& sink) {
                UpdateHub::News news = hub_.wait(*cursor, std::chrono::seconds(2));
                if (news.stopped) return false;
                // The panels first: what the operator waits to see.
                std::string out;
                if (!news.panels.empty()) out += event("state", news.panels);
                if (!news.lines.empty() || news.linesDropped)
                    out += event("log", toText({{"dropped", news.linesDropped}, {"lines", news.lines}}));
                if (!news.site.empty()) out += event("site", news.site);
                // A comment keeps idle streams honest: a browser that left is noticed here.
                if (out.empty()) out = ": idle\n\n";
                return sink.write(out.data(), out.size());
            },
            [this](bool) { hub_.closeStream(); });
    });

    http.Post("/api/press", [this](const httplib::Request& req, httplib::Response& res) {
        std::optional<json> body = readBody(req, res);
        if (!body) return;
        std::optional<std::string> panel = wordMember(*body, "panel", true, res);
        if (!panel) return;
        std::optional<std::string> control = wordMember(*body, "control", true, res);
        if (!control) return;
        std::optional<std::string> event = wordMember(*body, "event", false, res);
        if (!event) return;
        std::lock_guard<std::mutex> lock(simulation_);
        auto& slots = source_.panels();
        auto slot = slots.find(*panel);
        if (slot == slots.end()) return refuse(res, 404, "no panel " + *panel);
        const Control* found = nullptr;
        for (const Control& c : slot->second.controls)
            if (c.name == *control) found = &c;
        if (!found) return refuse(res, 404, "panel " + *panel + " has no control " + *control);
        if (found->property("type") == "keyboard")
            return refuse(res, 400, *control + " is a keyboard: send its keys to /api/key");
        if (!source_.alive()) return refuse(res, 409, "the script is gone");
        if (!slot->second.onScreen) return refuse(res, 409, "panel " + *panel + " is not on screen");
        if (!found->visible()) return refuse(res, 409, *control + " is hidden");
        if (!found->enabled()) return refuse(res, 409, *control + " is disabled");
        clock_.catchUp(Clock::now());
        std::string line = "press " + *panel + " " + *control + (event->empty() ? "" : " " + *event), error;
        const bool ran = source_.runLine(line, error);
        publishLocked();
        tickerWake_.notify_all();  // the press may have started a timer
        if (!ran) return refuse(res, 500, error);
        reply(res, 200, {{"line", line}});
    });

    http.Post("/api/key", [this](const httplib::Request& req, httplib::Response& res) {
        std::optional<json> body = readBody(req, res);
        if (!body) return;
        std::optional<std::string> key = wordMember(*body, "key", true, res);
        if (!key) return;
        if (key->size() != 1 && *key != "space" && *key != "backspace" && *key != "return")
            return refuse(res, 400, "a key is one printable character, space, backspace or return");
        std::lock_guard<std::mutex> lock(simulation_);
        auto& slots = source_.panels();
        auto slot = slots.find(source_.keyboardPanel());
        const Control* keyboard = nullptr;
        if (slot != slots.end())
            for (const Control& c : slot->second.controls)
                if (c.name == source_.keyboardControl()) keyboard = &c;
        if (!keyboard) return refuse(res, 404, "there is no keyboard");
        if (!source_.alive()) return refuse(res, 409, "the script is gone");
        if (!slot->second.onScreen || !keyboard->visible() || !keyboard->enabled())
            return refuse(res, 409, "the keyboard takes no keys now");
        clock_.catchUp(Clock::now());
        const std::string line = "key " + *key;
        std::string error;
        const bool ran = source_.runLine(line, error);
        publishLocked();
        tickerWake_.notify_all();
        if (!ran) return refuse(res, 500, error);
        reply(res, 200, {{"line", line}});
    });

    http.Post("/api/clock", [this](const httplib::Request& req, httplib::Response& res) {
        std::optional<json> body = readBody(req, res);
        if (!body) return;
        auto speed = body->find("speed");
        auto step = body->find("step");
        const bool wantsStep = step != body->end() && *step == true;
        const bool speedOk = speed != body->end() && speed->is_number_integer() && *speed >= 0 &&
                             *speed <= ClockDriver::fastest;
        if ((speed == body->end()) == !wantsStep || (speed != body->end() && !speedOk))
            return refuse(res, 400, "send {\"speed\": 0 to 100} or {\"step\": true}");
        std::lock_guard<std::mutex> lock(simulation_);
        if (wantsStep && !clock_.step(Clock::now())) return refuse(res, 409, "no timer runs");
        if (!wantsStep) clock_.setSpeed(speed->get<int>(), Clock::now());
        publishLocked();
        tickerWake_.notify_all();
        reply(res, 200, {{"clock", clock_.json()}});
    });
}

bool ViewServer::bind(std::string& error) {
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.address.c_str());
    } else {
        port_ = http_->bind_to_port(options_.address.c_str(), options_.port) ? options_.port : -1;
    }
    if (port_ <= 0) {
        error = "cannot listen on " + options_.address + " port " + std::to_string(options_.port);
        return false;
    }
    return true;
}

void ViewServer::tickerLoop() {
    std::unique_lock<std::mutex> lock(simulation_);
    while (!stopping_) {
        if (clock_.tick(Clock::now())) publishLocked();
        tickerWake_.wait_for(lock, clock_.sleepFor(Clock::now()));
    }
}

void ViewServer::run() {
    {
        std::lock_guard<std::mutex> lock(simulation_);
        if (stopping_) return;
        serving_ = true;
    }
    std::thread ticker(&ViewServer::tickerLoop, this);
    http_->listen_after_bind();
    serving_ = false;
    {
        std::lock_guard<std::mutex> lock(simulation_);
        stopping_ = true;
    }
    tickerWake_.notify_all();
    ticker.join();
}

void ViewServer::stop() {
    {
        std::lock_guard<std::mutex> lock(simulation_);
        stopping_ = true;
    }
    tickerWake_.notify_all();
    hub_.stop();
    // A stop that comes while run() is only about to listen must still end it.
    while (serving_ && !http_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    http_->stop();
}

}  // namespace vrelhost
