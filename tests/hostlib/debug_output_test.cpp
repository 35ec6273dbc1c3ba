// The debug channel: one call, one complete text, nothing added.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "debug_capture.h"
#include "debug_output.h"

namespace {

using ::testing::ElementsAre;

// Sends standard error to a temporary file while it lives; `text()` is what
// reached it.
class StderrToFile {
public:
    StderrToFile() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(::fileno(file_), STDERR_FILENO);
    }
    ~StderrToFile() {
        restore();
        std::fclose(file_);
    }
    std::string text() {
        restore();
        std::string out;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) out += static_cast<char>(c);
        return out;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_ = -1;
};

TEST(DebugOutput, EachCallReachesTheSinkAsOneUnchangedText) {
    DebugCapture capture;
    vrel::debugWrite("first line\n");
    vrel::debugWrite("no line end");
    vrel::debugWrite("");
    vrel::debugWrite(nullptr);  // nothing to write
    EXPECT_THAT(capture.texts(), ElementsAre("first line\n", "no line end", ""));
}

TEST(DebugOutput, ThePlatformChannelGetsTheTextWithNothingAppended) {
    StderrToFile redirect;
    vrel::debugWrite("RM 60 1 1 'x' 0\n");
    vrel::debugWrite("half");
    vrel::debugWrite(" and half");
    const std::string big(100000, 'z');
    vrel::debugWrite(big.c_str());
    EXPECT_EQ(redirect.text(), "RM 60 1 1 'x' 0\nhalf and half" + big);
}

TEST(DebugOutput, RemovingTheSinkRestoresThePlatformChannel) {
    {
        DebugCapture capture;
        vrel::debugWrite("captured");
        EXPECT_THAT(capture.texts(), ElementsAre("captured"));
    }
    StderrToFile redirect;
    vrel::debugWrite("direct");
    EXPECT_EQ(redirect.text(), "direct");
}

}  // namespace
