#include "recording_host.h"

#include <cstring>

namespace {
char panelStatus[] = "ok";  // a status, only ever tested for null
char commandStatus[] = "done";

bool isQuery(const std::string& command) {
    const std::string code = command.substr(0, 2);
    return code == "SD" || code == "XI" || code == "RN" || code == "TG";
}

bool isPanelCommand(const std::string& command) {
    const std::string code = command.substr(0, 2);
    return code == "PI" || code == "PS" || code == "PR";
}
}  // namespace

RecordingHost::~RecordingHost() {
    for (const auto& entry : outstanding_) delete[] static_cast<char*>(entry.first);
}

std::vector<std::string> RecordingHost::commandsSince(std::size_t mark) const {
    if (mark >= commands_.size()) return {};
    return std::vector<std::string>(commands_.begin() + static_cast<std::ptrdiff_t>(mark), commands_.end());
}

std::optional<std::string> RecordingHost::answerFor(const std::string& command) const {
    auto exact = exact_.find(command);
    if (exact != exact_.end()) return exact->second;
    const std::string* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [prefix, answer] : prefixes_) {
        if (command.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= bestLength) {
            best = &answer;
            bestLength = prefix.size();
        }
    }
    if (best) return *best;
    if (responder_) return responder_(command);
    return std::nullopt;
}

void* RecordingHost::notify(void* data, int kind) {
    if (kind == vrel_kind::release) {
        auto given = data ? outstanding_.find(data) : outstanding_.end();
        if (!data) {
            ++nullHandBacks_;
            transcript_.push_back("<release null>");
        } else if (given != outstanding_.end()) {
            transcript_.push_back("<release> " + given->second);
            outstanding_.erase(given);
            delete[] static_cast<char*>(data);
        } else {
            ++badHandBacks_;
            transcript_.push_back("<release unknown>");
        }
        return nullptr;
    }
    if (kind != vrel_kind::command) {
        ++strayKinds_;
        return nullptr;
    }
    const std::string command = data ? static_cast<const char*>(data) : "";
    commands_.push_back(command);
    transcript_.push_back(command);
    if (isPanelCommand(command)) return refusePanels_ ? nullptr : panelStatus;
    if (!isQuery(command)) return answerAll_ ? commandStatus : nullptr;
    const std::optional<std::string> answer = answerFor(command);
    if (!answer) return nullptr;
    char* buffer = new char[answer->size() + 1];
    std::memcpy(buffer, answer->c_str(), answer->size() + 1);
    outstanding_.emplace(buffer, command);
    ++given_;
    return buffer;
}
