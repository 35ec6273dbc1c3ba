// UMD packets: the displays' names and brightness as the 16-bit UMD message
// protocol, version 5.0, carries them over UDP to multiviewers, display
// controllers and tally software.
//
// A packet: PBC (16 bits: the count of the bytes after it), VER (8 bits,
// 0 for 5.0), FLAGS (8 bits; bit 0 set when the packet's texts are
// UTF-16LE, bit 1 clear: display messages follow), SCREEN (16 bits), then
// display messages: INDEX (16 bits, the display's address, counted from 0),
// CONTROL (16 bits: tallies in bits 0-5, all off here; brightness in bits
// 6-7; bit 15 clear: a display message), LENGTH (16 bits: the bytes of
// text), TEXT. 16-bit values are little-endian. A packet holds at most
// 2,048 bytes and as many whole messages as fit.
//
// Texts: a name of ASCII bytes goes as it is; any other name that is UTF-8
// goes as UTF-16LE, and a name whose bytes are not UTF-8 is read as Latin-1
// and sent likewise. One FLAGS bit covers a packet's texts, so ASCII and
// UTF-16LE names travel in packets of their own. A text too long for one
// packet is cut to fit (whole characters). Pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vrelhost {

constexpr std::size_t umdLargestPacket = 2048;

struct UmdDisplay {
    std::uint16_t index = 0;  // the display's address
    int brightness = 3;       // 1 to 3; 0 is off, which the wall never sends
    std::string name;         // the name's bytes, as the site holds them
};

struct UmdText {
    bool utf16 = false;  // else ASCII
    std::string bytes;
};
UmdText umdText(const std::string& name);

// The packets for these displays on `screen`, in order: the ASCII names
// first, then the others, each group in the order given.
std::vector<std::string> umdPackets(const std::vector<UmdDisplay>& displays, std::uint16_t screen);

}  // namespace vrelhost
