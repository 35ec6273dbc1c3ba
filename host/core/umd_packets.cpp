#include "umd_packets.h"

namespace vrelhost {
namespace {

constexpr std::size_t headerBytes = 6;   // PBC, VER, FLAGS, SCREEN
constexpr std::size_t messageBytes = 6;  // INDEX, CONTROL, LENGTH
constexpr std::size_t longestText = umdLargestPacket - headerBytes - messageBytes;

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

// The code points of `text` when it is UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF); false when it is not.
bool utf8CodePoints(const std::string& text, std::vector<char32_t>& out) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3
                                                : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t point = length == 1 ? c : c & (0xff >> (length + 1));
        for (std::size_t j = 1; j < length; ++j) {
            const unsigned char next = static_cast<unsigned char>(text[i + j]);
            if ((next & 0xc0) != 0x80) return false;
            point = (point << 6) | (next & 0x3f);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) return false;
        out.push_back(point);
        i += length;
    }
    return true;
}

std::string utf16le(const std::vector<char32_t>& points) {
    std::string out;
    for (char32_t p : points) {
        std::string unit;
        if (p < 0x10000) {
            put16(unit, static_cast<unsigned>(p));
        } else {
            put16(unit, static_cast<unsigned>(0xd800 + ((p - 0x10000) >> 10)));
            put16(unit, static_cast<unsigned>(0xdc00 + ((p - 0x10000) & 0x3ff)));
        }
        if (out.size() + unit.size() > longestText) break;  // whole characters only
        out += unit;
    }
    return out;
}

void pack(const std::vector<const UmdDisplay*>& displays, const std::vector<std::string>& texts, bool utf16,
          std::uint16_t screen, std::vector<std::string>& packets) {
    std::string packet;
    auto close = [&] {
        if (packet.empty()) return;
        const std::size_t count = packet.size() - 2;
        packet[0] = static_cast<char>(count & 0xff);
        packet[1] = static_cast<char>(count >> 8);
        packets.push_back(std::move(packet));
        packet.clear();
    };
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const std::string& text = texts[i];
        if (!packet.empty() && packet.size() + messageBytes + text.size() > umdLargestPacket) close();
        if (packet.empty()) {
            put16(packet, 0);  // PBC, once the packet is whole
            packet += '\0';    // VER: 5.0
            packet += static_cast<char>(utf16 ? 0x01 : 0x00);
            put16(packet, screen);
        }
        const int level = displays[i]->brightness;
        put16(packet, displays[i]->index);
        put16(packet, static_cast<unsigned>((level >= 1 && level <= 3 ? level : 3) << 6));
        put16(packet, static_cast<unsigned>(text.size()));
        packet += text;
    }
    close();
}

}  // namespace

UmdText umdText(const std::string& name) {
    bool ascii = true;
    for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return {false, name.substr(0, longestText)};
    std::vector<char32_t> points;
    if (!utf8CodePoints(name, points)) {
        points.clear();
        for (char c : name) points.push_back(static_cast<unsigned char>(c));  // Latin-1
    }
    return {true, utf16le(points)};
}

std::vector<std::string> umdPackets(const std::vector<UmdDisplay>& displays, std::uint16_t screen) {
    std::vector<UmdText> texts;
    for (const UmdDisplay& d : displays) texts.push_back(umdText(d.name));
    std::vector<std::string> packets;
    for (const bool utf16 : {false, true}) {
        std::vector<const UmdDisplay*> group;
        std::vector<std::string> groupTexts;
        for (std::size_t i = 0; i < displays.size(); ++i) {
            if (texts[i].utf16 != utf16) continue;
            group.push_back(&displays[i]);
            groupTexts.push_back(std::move(texts[i].bytes));
        }
        pack(group, groupTexts, utf16, screen, packets);
    }
    return packets;
}

}  // namespace vrelhost
