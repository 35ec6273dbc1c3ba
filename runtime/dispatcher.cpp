// The host boundary: construction, the closing command, and the dispatch of
// every notification kind to its handler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "hostlib/debug_output.h"
#include "vrel_script_helper.h"

namespace {

// Parent texts shorter than this are split in a copy on the stack, so that a
// parent command allocates nothing but its answer; longer ones are split by
// parsed_command in a copy of its own.
constexpr std::size_t stackParentText = 256;

// One debug line naming what a dropped notification met. Composed on the
// stack and written as is: out of memory, nothing more may be allocated.
void reportDropped(const char* what) noexcept {
    char line[256];
    std::snprintf(line, sizeof line, "vrel_script_helper: a notification was dropped: %s\n", what);
    vrel::debugWrite(line);
}

}  // namespace

vrel_script_helper::vrel_script_helper(vrel_client_callback* hostCallback, const char* text)
    : host(hostCallback), basePath(text), alarmActions(false) {}

vrel_script_helper::~vrel_script_helper() {
    if (host) send("AS");
    // Answers the host never handed back can no longer be returned through this
    // object; they stay the host's, so they are not freed under its feet.
}

void vrel_script_helper::onValue(value_notify*) {}
void vrel_script_helper::onDatabase(database_notify*) {}

void* VREL_CALLBACK vrel_script_helper::notify(void* data, int kind) {
    // An exception must never unwind into the host's frames: it would take the
    // whole panel host down. The notification is dropped instead, and the debug
    // line names what was caught (running out of memory, or whatever a host
    // that broke its promise threw through a command).
    try {
        return dispatch(data, kind);
    } catch (const std::bad_alloc&) {
        reportDropped("out of memory");
    } catch (const std::exception& e) {
        reportDropped(e.what());
    } catch (...) {
        reportDropped("an exception that is not a std::exception");
    }
    return nullptr;
}

void* vrel_script_helper::dispatch(void* data, int kind) {
    switch (kind) {
    case vrel_kind::revertive: {
        if (!data) return nullptr;  // a record is always sent; never read through null
        revertive_notify view{static_cast<const revertive_record*>(data)};
        onRevertive(&view);
        return nullptr;
    }
    case vrel_kind::button: {
        if (!data) return nullptr;
        button_notify view{static_cast<const button_record*>(data)};
        dispatchButton(&view);
        return nullptr;
    }
    case vrel_kind::parent:
        return dispatchParent(static_cast<const char*>(data));
    case vrel_kind::timer:
        // The id travels in the pointer value itself.
        onTimer(static_cast<int>(reinterpret_cast<std::intptr_t>(data)));
        return nullptr;
    case vrel_kind::release:
        releaseAnswer(data);
        return nullptr;
    case vrel_kind::database: {
        if (!data) return nullptr;
        database_notify view{static_cast<const database_record*>(data)};
        onDatabase(&view);
        return nullptr;
    }
    case vrel_kind::value: {
        value_notify view{data};
        onValue(&view);
        return nullptr;
    }
    default:
        return nullptr;
    }
}

void* vrel_script_helper::dispatchParent(const char* text) {
    vrel_string answer;
    {
        // The text is split in a copy; the host's text is untouched.
        const std::size_t length = text ? std::strlen(text) : 0;
        const bool onStack = length < stackParentText;
        char copy[stackParentText];
        parsed_command parsed(onStack ? nullptr : text);
        if (onStack && length != 0) {
            std::memcpy(copy, text, length + 1);
            splitCommandInPlace(copy, parsed);
        }
        parent_notify view{&parsed};
        answer = onParent(&view);
    }
    if (answer.length() == 0) return nullptr;
    char* buffer = new (std::nothrow) char[answer.length() + 1];
    if (!buffer) return nullptr;
    std::memcpy(buffer, answer.c_str(), answer.length() + 1);
    try {
        outstandingAnswers_.push_back(buffer);
    } catch (...) {
        delete[] buffer;  // never handed over: the host could not give it back
        throw;
    }
    return buffer;
}

void vrel_script_helper::releaseAnswer(void* data) {
    if (!data) return;
    // Only answers this script gave out are freed: a pointer handed back twice,
    // or one it never gave, is ignored instead of corrupting the heap.
    auto it = std::find(outstandingAnswers_.begin(), outstandingAnswers_.end(), data);
    if (it == outstandingAnswers_.end()) {
        debugOut("vrel_script_helper: ignored a buffer handed back that this script does not own\n");
        return;
    }
    *it = outstandingAnswers_.back();
    outstandingAnswers_.pop_back();
    delete[] static_cast<char*>(data);
}
