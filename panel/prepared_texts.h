// The panel's fixed texts and numbered control names as vrel_string objects,
// each built once, on first use, and kept until the library is unloaded.
//
// The command operations take vrel_string. Handing them a C text builds a
// string on every call: a copy each time, and a heap allocation for a text
// longer than the string's inline capacity (the looks "KRSourceSelected" and
// "KRSourceDeselected" are). The handlers an operator waits for pass these
// instead. The texts themselves are declared once, in panel_names.h.
#pragma once

#include <iterator>
#include <vector>

#include "panel_names.h"
#include "vrel_string.h"

namespace prepared {

// `Text` as a vrel_string: str<panel_names::statesheet>().
template <const char* Text>
const vrel_string& str() {
    static const vrel_string prepared(Text);
    return prepared;
}

// A control name ending in `number` ("Names_" and 3 give "Names_3"). Numbered
// controls carry a single digit, so 0 to 9 are built once; any other number is
// composed on the spot.
template <const char* Prefix>
vrel_string numberedName(int number) {
    struct Table {
        vrel_string names[10];
        Table() {
            for (int n = 0; n < 10; ++n) names[n] = panel_names::numbered(Prefix, n);
        }
    };
    static const Table table;
    return number >= 0 && number < 10 ? table.names[number] : panel_names::numbered(Prefix, number);
}

// Every text of a list declared in panel_names, in its order.
template <const auto& List>
const std::vector<vrel_string>& strs() {
    static const std::vector<vrel_string> prepared(std::begin(List), std::end(List));
    return prepared;
}

}  // namespace prepared
