// DebugCapture: collects what the code under test writes to the debug channel,
// one entry per call, for as long as the object lives.
#pragma once

#include <string>
#include <vector>

#include "debug_output.h"

class DebugCapture {
public:
    DebugCapture() { vrel::setDebugSink(&DebugCapture::collect, this); }
    ~DebugCapture() { vrel::setDebugSink(nullptr, nullptr); }
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    const std::vector<std::string>& texts() const { return texts_; }

private:
    static void collect(const char* text, void* self) { static_cast<DebugCapture*>(self)->texts_.push_back(text); }
    std::vector<std::string> texts_;
};
