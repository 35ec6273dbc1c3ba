#include "debug_output.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vrel {
namespace {
DebugSink g_sink = nullptr;
void* g_context = nullptr;
}  // namespace

void setDebugSink(DebugSink sink, void* context) {
    g_sink = sink;
    g_context = context;
}

void debugWrite(const char* text) {
    if (!text) return;
    if (g_sink) {
        g_sink(text, g_context);
        return;
    }
#ifdef _WIN32
    OutputDebugStringA(text);
#else
    // One write per text so that lines from several panels do not interleave.
    std::size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t n = ::write(STDERR_FILENO, text, left);
        if (n < 0 && errno == EINTR) continue;  // a signal is no reason to lose the text
        if (n <= 0) return;                     // nowhere to report a failing debug channel
        text += n;
        left -= static_cast<std::size_t>(n);
    }
#endif
}

}  // namespace vrel
