// Panel and control commands, and the debug output. Every text field is put in
// apostrophes unchanged: nothing is escaped, the host's parser decides.
#include <string>
#include <string_view>

#include "hostlib/debug_output.h"
#include "command_text.h"
#include "vrel_script_helper.h"

namespace {

command_text controlCommand(const char* code, const vrel_string& panel, const vrel_string& control) {
    command_text text(code);
    text.add(" '").add(panel).add("' '").add(control).add("'");
    return text;
}

// PI and PS: the file is prefixed with basePath and "/" whenever basePath is
// set (even when it already ends in "/"), and an empty extra adds no field.
command_text panelFileCommand(const char* code, const vrel_string& panel, const vrel_string& basePath,
                              const vrel_string& file, const vrel_string& extra) {
    command_text text(code);
    text.add(" '").add(panel).add("' '");
    if (basePath.length() != 0) text.add(basePath).add("/");
    text.add(file).add("'");
    if (extra.length() != 0) text.add(" '").add(extra).add("'");
    return text;
}

}  // namespace

void vrel_script_helper::disableControl(const vrel_string& panel, const vrel_string& control) {
    send(controlCommand("CD", panel, control).c_str());
}

void vrel_script_helper::enableControl(const vrel_string& panel, const vrel_string& control) {
    send(controlCommand("CE", panel, control).c_str());
}

void vrel_script_helper::hideControl(const vrel_string& panel, const vrel_string& control) {
    send(controlCommand("CH", panel, control).c_str());
}

void vrel_script_helper::showControl(const vrel_string& panel, const vrel_string& control) {
    send(controlCommand("CS", panel, control).c_str());
}

// The status of PI, PS and PR is only tested, never read as text nor handed back.
bool vrel_script_helper::insertPanel(const vrel_string& panel, const vrel_string& file, const vrel_string& extra) {
    if (!host) return true;
    return send(panelFileCommand("PI", panel, basePath, file, extra).c_str()) != nullptr;
}

bool vrel_script_helper::showPanel(const vrel_string& panel, const vrel_string& file, const vrel_string& extra) {
    if (!host) return true;
    return send(panelFileCommand("PS", panel, basePath, file, extra).c_str()) != nullptr;
}

bool vrel_script_helper::removePanel(const vrel_string& panel) {
    if (!host) return true;
    return send(command_text("PR '").add(panel).add("'").c_str()) != nullptr;
}

void vrel_script_helper::setControlProperty(const vrel_string& property, const vrel_string& value,
                                            const vrel_string& panel, const vrel_string& control) {
    command_text text("TP '");
    text.add(property).add("=").add(value).add("' '").add(panel).add("' '").add(control).add("'");
    send(text.c_str());
}

void vrel_script_helper::setControlText(const vrel_string& text, const vrel_string& panel,
                                        const vrel_string& control) {
    send(command_text("TP '").add(text).add("' '").add(panel).add("' '").add(control).add("'").c_str());
}

void vrel_script_helper::getControlText(const vrel_string& property, const vrel_string& panel,
                                        const vrel_string& control, vrel_string& result) {
    command_text request("TG '");
    request.add(panel).add("' '").add(control).add("' '").add(property).add("'");
    void* answer = send(request.c_str());
    if (!answer) {
        result = vrel_string();
        return;
    }
    // Read in place, then handed back: only the value is copied, into `result`.
    const char* reply = static_cast<const char*>(answer);
    if (property == "all") {
        result = reply;
    } else {
        // The host answers a property request as {property}={value}.
        const std::string_view text(reply);
        const std::size_t equals = text.find('=');
        const std::string_view key = text.substr(0, equals);
        if (key == property.str()) {
            // The property alone, without "=", is an empty value.
            result = equals == std::string_view::npos ? "" : reply + equals + 1;
        } else {
            debugOut("textGet: value returned \"%1\" was not the value requested \"%2\" "
                     "(value returned was \"%3\" from control \"%4\", on panel \"%5\")",
                     vrel_string(std::string(key)), property, vrel_string(reply), control, panel);
            result = vrel_string();
        }
    }
    handBack(answer);
}

void vrel_script_helper::debugOut(const vrel_string& text) { vrel::debugWrite(text.c_str()); }

void vrel_script_helper::debugOut(const vrel_string& format, const vrel_string& value1, const vrel_string& value2,
                                  const vrel_string& value3, const vrel_string& value4, const vrel_string& value5,
                                  const vrel_string& value6, const vrel_string& value7, const vrel_string& value8,
                                  const vrel_string& value9) {
    const vrel_string* values[9] = {&value1, &value2, &value3, &value4, &value5,
                                    &value6, &value7, &value8, &value9};
    const std::string& f = format.str();
    auto markerAt = [&f](std::size_t i) {
        return f[i] == '%' && i + 1 < f.size() && f[i + 1] >= '1' && f[i + 1] <= '9' ? f[i + 1] - '0' : 0;
    };
    // Successive arg() calls would give value1 to the lowest marker number in
    // the format, value2 to the next one present, and so on ("%1 %3" takes
    // value1 and value2). Rank the markers the same way, then fill them in one
    // pass: a value that itself holds "%2" is copied as it stands instead of
    // being filled by a later value.
    bool present[10] = {};
    for (std::size_t i = 0; i < f.size(); ++i) present[markerAt(i)] = true;
    int rank[10] = {};
    for (int marker = 1, next = 0; marker <= 9; ++marker)
        if (present[marker]) rank[marker] = next++;
    std::string out;
    out.reserve(f.size() + 64);
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (const int marker = markerAt(i)) {
            out += values[rank[marker]]->str();
            ++i;
        } else {
            out += f[i];
        }
    }
    vrel::debugWrite(out.c_str());
}
