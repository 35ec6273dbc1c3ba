// Ending a script, and the slots a host calls: vrel_destroy_script runs the
// whole destructor chain and frees through the script's own deallocation; in
// the Visual C++ layout, slot 0 frees only when bit 0 of its flags is set and
// slot 1 is notify; in the native one, the slots follow the two destructors.
// The slots are called here through the raw vtable, as a host built elsewhere
// calls them, not through the C++ names.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "runtime/boundary/vrel_client_callback.h"

namespace {

// What the probes below saw, in order.
std::vector<std::string> events;

class BaseProbe : public vrel_client_callback {
public:
    ~BaseProbe() override { events.push_back("~BaseProbe"); }
    void* VREL_CALLBACK notify(void* data, int kind) override {
        events.push_back("notify " + std::to_string(kind));
        return data;
    }
};

class Probe : public BaseProbe {
public:
    ~Probe() override { events.push_back("~Probe"); }
    // The deallocation of the class that was allocated must be the one used.
    static void operator delete(void* block, std::size_t size) {
        events.push_back(size == sizeof(Probe) ? "delete Probe" : "delete, wrong size");
        ::operator delete(block);
    }
    int payload[8] = {};
};

// The host's view of the object: a pointer to a table of functions.
using Slot = void (*)();
Slot slotOf(vrel_client_callback* object, int slot) {
    Slot* table = nullptr;
    std::memcpy(&table, object, sizeof table);
    return table[slot];
}
template <typename Function>
Function as(Slot slot) {
    Function function;
    static_assert(sizeof function == sizeof slot, "a plain function pointer");
    std::memcpy(&function, &slot, sizeof function);
    return function;
}

// `this` comes first, as the host passes it (in ECX on 32-bit x86 with
// thiscall, which gcc applies to a plain function pointer too, with a warning
// that it is meant for members).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
using NotifySlot = void* (VREL_CALLBACK*)(vrel_client_callback* self, void* data, int kind);
using DestroySlot = void* (VREL_CALLBACK*)(vrel_client_callback* self, unsigned flags);
#pragma GCC diagnostic pop

#if VREL_HOST_ABI_MSVC
constexpr int notifySlot = 1;
#else
constexpr int notifySlot = 2;  // after the complete and the deleting destructor
#endif

class Destroy : public ::testing::Test {
protected:
    void SetUp() override { events.clear(); }
};

TEST_F(Destroy, RunsTheWholeDestructorChainThenFreesThroughTheScriptsOwnDeallocation) {
    vrel_destroy_script(new Probe);
    EXPECT_EQ(events, (std::vector<std::string>{"~Probe", "~BaseProbe", "delete Probe"}));
}

TEST_F(Destroy, NullIsNoScript) {
    vrel_destroy_script(nullptr);
    EXPECT_TRUE(events.empty());
}

TEST_F(Destroy, ADeleterEndsAScriptWithItsOwner) {
    {
        std::unique_ptr<vrel_client_callback, vrel_script_deleter> owned(new Probe);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"~Probe", "~BaseProbe", "delete Probe"}));
}

TEST_F(Destroy, NotifyIsInTheSlotTheLayoutPutsItIn) {
    std::unique_ptr<vrel_client_callback, vrel_script_deleter> script(new Probe);
    int data = 0;
    void* result = as<NotifySlot>(slotOf(script.get(), notifySlot))(script.get(), &data, 6);
    EXPECT_EQ(result, &data);
    EXPECT_EQ(events, (std::vector<std::string>{"notify 6"}));
}

#if VREL_HOST_ABI_MSVC
TEST_F(Destroy, SlotZeroWithBitZeroSetDestroysAndFreesAndReturnsTheObject) {
    vrel_client_callback* script = new Probe;
    void* result = as<DestroySlot>(slotOf(script, 0))(script, 1u);
    EXPECT_EQ(result, script);
    EXPECT_EQ(events, (std::vector<std::string>{"~Probe", "~BaseProbe", "delete Probe"}));
}

TEST_F(Destroy, SlotZeroWithBitZeroClearOnlyDestroys) {
    // In storage of the test's own, which must stay the test's.
    alignas(Probe) unsigned char storage[sizeof(Probe)];
    vrel_client_callback* script = new (storage) Probe;
    for (unsigned flags : {0u, 2u}) {
        events.clear();
        if (flags == 2u) script = new (storage) Probe;
        void* result = as<DestroySlot>(slotOf(script, 0))(script, flags);
        EXPECT_EQ(result, static_cast<void*>(storage)) << "flags " << flags;
        EXPECT_EQ(events, (std::vector<std::string>{"~Probe", "~BaseProbe"})) << "flags " << flags;
    }
}
#endif

}  // namespace
