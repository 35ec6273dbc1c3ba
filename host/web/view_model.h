// The view model: what the browser draws, as JSON, read from a ViewSource.
// One state document serves both GET /api/state and the event stream:
//
//   positions   one entry per operator position: its number, whether its
//               script runs, and its panels (each with its size, whether it
//               is on screen, and each control's kind, text, look, states and
//               place; a list carries the rows its layout binds to it, the
//               names of a site database; a group its number of pages)
//   alive       whether any position's script runs
//   clock       the simulated clock (ClockDriver::json)
//   siteFile    where renames are saved, or null when they stay in memory
//   keyboard    the panel and control that keys go to, at every position
//   site        the site's devices: number, instance, role, name databases,
//               the infodriver slots that were written
//   displays    what the under-monitor displays show (displays_view.h), or null
//
// A log entry is one transcript line with what the page needs to show it:
// its position (0 with one position) and its kind, read by the transcript's
// own format (transcript_format.h).
//
// Texts can hold any bytes: they are kept as they are, and bytes that are not
// UTF-8 become U+FFFD only when the JSON is written (toText).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "view_source.h"

namespace vrelhost {

nlohmann::json stateDocument(const ViewSource& source, const nlohmann::json& clock);
nlohmann::json controlJson(const Control& control, const PanelSlots::Slot& panel, const std::vector<Device>& devices);
nlohmann::json panelsJson(const std::map<std::string, PanelSlots::Slot>& panels, const std::vector<Device>& devices);
nlohmann::json siteJson(const std::vector<Device>& devices);
nlohmann::json logEntry(const std::string& line);

// The database a list's layout binds it to, given its panel's controls:
// "database=N", or "database=PREFIX@LOOK" for the number ending the name of
// the PREFIX control that shows LOOK. Nothing when none is bound or chosen.
std::optional<int> boundDatabase(const Control& list, const std::vector<Control>& panel);

// Compact JSON text; invalid UTF-8 replaced, never thrown.
std::string toText(const nlohmann::json& value);

}  // namespace vrelhost
