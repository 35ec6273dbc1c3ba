#include "display_wall.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "site.h"

namespace vrelhost {
namespace {

const Device* chosen(const Site& site, const DeviceChoice& choice) {
    if (!choice.instance.empty())
        if (const Device* d = site.findInstance(choice.instance)) return d;
    return choice.role.empty() ? nullptr : site.withRole(choice.role);
}

std::string entryOf(const Site& site, const Device* device, int database, int index) {
    if (!device) return std::string();
    return site.entry(device->number, database, index).value_or(std::string());
}

std::optional<std::string> slotOf(const Site& site, const Device* device, int slot) {
    if (!device) return std::nullopt;
    return site.slot(device->number, slot);
}

}  // namespace

int leadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

DisplayChange DisplayChange::all() {
    DisplayChange change;
    change.set = change.brightness = change.title = true;
    return change;
}

DisplayWall::DisplayWall(DisplayLayout layout) : layout_(std::move(layout)) {
    state_.names.assign(static_cast<std::size_t>(std::max(layout_.displays, 0)), std::string());
}

DisplayChange DisplayWall::refresh(const Site& site) {
    const DisplayState before = state_;
    const Device* selector = chosen(site, layout_.selector);
    if (const std::optional<std::string> text = slotOf(site, selector, layout_.setSlot)) {
        const int set = leadingNumber(*text);
        if (set >= 0 && set <= layout_.sets) state_.set = set;
    }
    if (const std::optional<std::string> text = slotOf(site, selector, layout_.brightnessSlot)) {
        const int level = leadingNumber(*text);
        if (level >= 1 && level <= layout_.brightnessLevels()) state_.brightness = level;
    }
    state_.brightnessName =
        state_.brightness > 0 ? layout_.brightnessNames[static_cast<std::size_t>(state_.brightness - 1)] : "";

    const bool fallback = state_.set == 0;
    const Device* device = chosen(site, fallback ? layout_.fallback : layout_.names);
    const int database = fallback ? layout_.fallbackDatabase : layout_.firstSetDatabase + state_.set - 1;
    state_.title = fallback ? layout_.fallbackTitle : entryOf(site, device, layout_.titleDatabase, state_.set);
    for (int k = 1; k <= layout_.displays; ++k)
        state_.names[static_cast<std::size_t>(k - 1)] = entryOf(site, device, database, k);

    if (!read_) {
        read_ = true;
        return DisplayChange::all();
    }
    DisplayChange change;
    change.set = state_.set != before.set;
    change.brightness = state_.brightness != before.brightness;
    change.title = state_.title != before.title;
    for (std::size_t i = 0; i < state_.names.size(); ++i)
        if (state_.names[i] != before.names[i]) change.renamed.push_back(static_cast<int>(i + 1));
    return change;
}

}  // namespace vrelhost
