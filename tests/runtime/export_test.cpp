// The export, used the way a host uses it: load the built library, look up the
// one entry, create a script, destroy it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <type_traits>

#include "recording_host.h"
#include "runtime/boundary/vrel_script_entry.h"

namespace {

// The host calls the entry through vrel_script_entry: the two must not drift apart.
static_assert(std::is_same_v<decltype(&load_vrel_client_script), vrel_script_entry>,
              "the declared entry and the type a host calls it through differ");

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(KELVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        load_ = reinterpret_cast<vrel_script_entry>(dlsym(handle_, "load_vrel_client_script"));
        ASSERT_NE(load_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }
    void* handle_ = nullptr;
    vrel_script_entry load_ = nullptr;
};

TEST_F(ExportTest, CreatesAScriptThatClosesWithAsLast) {
    RecordingHost host;
    vrel_client_callback* script = load_(&host, "");
    ASSERT_NE(script, nullptr);
    vrel_destroy_script(script);
    ASSERT_FALSE(host.commands().empty());
    EXPECT_EQ(host.commands().back(), "AS");
    EXPECT_EQ(host.repliesOutstanding(), 0u);
    EXPECT_EQ(host.badHandBacks(), 0u);
}

TEST_F(ExportTest, ScriptWithoutHostSendsNothingAndIgnoresUnknownKinds) {
    vrel_client_callback* script = load_(nullptr, nullptr);
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->notify(nullptr, 0), nullptr);
    EXPECT_EQ(script->notify(nullptr, 8), nullptr);
    EXPECT_EQ(script->notify(nullptr, -1), nullptr);
    vrel_destroy_script(script);
}

TEST_F(ExportTest, OnlyTheEntryIsVisible) {
    // Internal names must not leak out of the library.
    EXPECT_EQ(dlsym(handle_, "_ZN18vrel_script_helper6notifyEPvi"), nullptr);
    EXPECT_EQ(dlsym(handle_, "vrel_signature"), nullptr);
}

}  // namespace
