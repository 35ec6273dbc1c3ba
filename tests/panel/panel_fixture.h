// PanelFixture: a Kelvane panel started against a RecordingHost, driven only
// through notify() as a host drives it, with the host's records built in memory.
//
// The host answers the three device lookups with 10 (router), 57 (tally) and
// 31 (name driver; the site configuration replaces it with 60) and every name
// read with a text that says where it came from (see nameFor). Records built
// here live for the one notify() call, as the host's do.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Kelvane.h"
#include "debug_capture.h"
#include "host_records.h"
#include "recording_host.h"

namespace panel_test {

// The name the host reports for entry `index` of database `database` of `device`.
inline std::string nameFor(int device, int database, int index) {
    if (device == 10) return (database == 0 ? "Long " : "Short ") + std::to_string(index);
    if (database == 9) return "Title " + std::to_string(index);
    return "S" + std::to_string(database) + "N" + std::to_string(index);
}

class PanelFixture : public ::testing::Test {
protected:
    static constexpr int router = 10;
    static constexpr int tally = 57;
    static constexpr int names = 60;

    void SetUp() override {
        host.reply("SD 'StC SDI Router'", "10");
        host.reply("SD 'CTA Tally Infodriver'", "57");
        host.reply("SD 'StC_UMD_Names_DriverID'", "31");
        host.respondWith([](const std::string& command) -> std::optional<std::string> {
            int device = 0, database = 0, index = 0;
            if (std::sscanf(command.c_str(), "RN %d %d %d", &device, &database, &index) == 3)
                return nameFor(device, database, index);
            return std::nullopt;
        });
    }

    void start() { panel.reset(new Kelvane(&host, "")); }
    // Starts the panel and forgets the start-up commands.
    void startQuietly() {
        start();
        host.clearCommands();
    }
    void destroy() { panel.reset(); }

    void press(const char* panelId, const char* control, const char* event = "") {
        ButtonPress record(panelId, control, event);
        EXPECT_EQ(panel->notify(record.data(), vrel_kind::button), nullptr);
    }
    void tick(int id) {
        EXPECT_EQ(panel->notify(reinterpret_cast<void*>(static_cast<std::intptr_t>(id)), vrel_kind::timer), nullptr);
    }
    void revertive(int device, int index, const std::string& text) {
        RevertiveRecord record(device, index, text);
        EXPECT_EQ(panel->notify(record.data(), vrel_kind::revertive), nullptr);
    }
    void databaseChange(int device, int database, int index, const std::string& text) {
        DatabaseRecord record(device, database, index, text);
        EXPECT_EQ(panel->notify(record.data(), vrel_kind::database), nullptr);
    }
    // The answer to a parent command, handed back as the host does; "" for none.
    std::string parent(const char* text) {
        void* answer = panel->notify(const_cast<char*>(text), vrel_kind::parent);
        if (!answer) return "";
        std::string copy(static_cast<const char*>(answer));
        panel->notify(answer, vrel_kind::release);
        return copy;
    }

    std::size_t mark() const { return host.commands().size(); }
    std::vector<std::string> since(std::size_t from) const { return host.commandsSince(from); }

    // Opens an edit of `source` in the name set shown and has the keyboard hold `typed`.
    void typeName(int source, const std::string& typed) {
        press("2", "SrcName", ("index=" + std::to_string(source)).c_str());
        host.reply("TG '2' 'KB_1' 'text'", "text=" + typed);
        press("2", "KB_1", "key.return");
    }

    RecordingHost host;
    std::unique_ptr<vrel_client_callback, vrel_script_deleter> panel;
};

// Command-list builders for the sequences the panel repeats.
inline void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}
inline std::vector<std::string> forEditFields(const std::string& code) {
    std::vector<std::string> out;
    for (const char* field : {"L1", "L2", "L3", "L4", "Nameset_id", "LongName", "PreEdit", "PostEdit"})
        out.push_back(code + " '2' '" + field + "'");
    return out;
}
inline std::vector<std::string> forNameSetButtons(const std::string& code) {
    std::vector<std::string> out;
    for (int k = 1; k <= 8; ++k) out.push_back(code + " '2' 'NameSet_" + std::to_string(k) + "'");
    return out;
}

}  // namespace panel_test
