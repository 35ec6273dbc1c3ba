// The state document (view_model.h) told as changes: after a first whole
// document, each change replaces one part of it, named by its path.
//
// A change is {"path": [...], "value": ...}. The path walks the document from
// its top: a step into an object is a key; a step into an array of objects
// names the element whose key field equals it (the first field it has of
// "position", "id", "name", "number": a position, a panel, a control, a
// device); a step into any other array is an index from 0. The value
// replaces what the path reaches; an empty path replaces the whole document.
// A key or an element of an array of objects that is not there yet is added
// (the element names itself by the last step); null as an element of an
// array of objects removes it.
//
// StateTracker finds a running simulation's changes without drawing its whole
// document again: it keeps a copy of what it last saw, looks at a position's
// panels only when they may have changed (ViewSource::panelsVersion) or a
// name database one of its lists shows did, and there compares only the
// controls handed out to change since (PanelSlots' versions); a control is
// drawn as JSON only when it changed. The site's devices are compared with
// their copy; the clock, the displays and the top-level fields are small.
//
// One thread (the simulation's).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "view_source.h"

namespace vrelhost {

struct Change {
    nlohmann::json path;
    nlohmann::json value;
    int position = 0;  // the position whose panels it is about; 0 when it is not one position's
    nlohmann::json json() const { return {{"path", path}, {"value", value}}; }
};

// Applies one change to `document`; false (the document unchanged) when its
// path leads nowhere.
bool applyChange(nlohmann::json& document, const nlohmann::json& path, const nlohmann::json& value);

class StateTracker {
public:
    explicit StateTracker(const ViewSource& source) : source_(source) {}

    // The whole document, read afresh; what changes() compares with from now on.
    nlohmann::json start(const nlohmann::json& clock);
    // What changed since start() or the last call.
    std::vector<Change> changes(const nlohmann::json& clock);

private:
    struct ListSeen {
        std::string panel;
        std::size_t index = 0;
        std::optional<int> database;  // the one whose names it shows
    };
    struct Seen {
        std::uint64_t version = 0;
        bool alive = false;
        std::map<std::string, PanelSlots::Slot> panels;
        std::vector<ListSeen> lists;
    };
    void see(int position);
    void positionChanges(int position, std::vector<Change>& out);
    // The device changes; the databases whose names changed go to renamed_.
    void siteChanges(std::vector<Change>& out);
    // What the displays show: a rename is one name, a brightness its fields,
    // another set live the section whole.
    void displaysChanges(std::vector<Change>& out);

    const ViewSource& source_;
    std::vector<Seen> seen_;  // by position, from 1
    std::vector<Device> devices_;
    std::vector<int> renamed_;  // by number, in this round
    nlohmann::json displays_;
    nlohmann::json clock_;  // the keyboard and the site file never change
    bool alive_ = false;
};

}  // namespace vrelhost
