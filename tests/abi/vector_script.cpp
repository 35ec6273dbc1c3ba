// A script on the kit whose handlers keep 16-byte vectors on the stack, built
// with SSE2 (aligned moves, which fault on a misaligned address). A host
// built with Visual C++ keeps the stack aligned to 4 bytes only: the entry
// and the slots the script inherits must realign it, or the first event
// from such a host ends the process.
#include "runtime/boundary/vrel_script_entry.h"
#include "runtime/vrel_script_helper.h"

namespace {

typedef float four_floats __attribute__((vector_size(16)));

// Not inlined, so that the vector lives in a frame of its own.
__attribute__((noinline)) void useVector() {
    volatile four_floats lanes = {1, 2, 3, 4};
    lanes = lanes + lanes;
}

class VectorScript : public vrel_script_helper {
public:
    VectorScript(vrel_client_callback* host, const char* text) : vrel_script_helper(host, text) {
        useVector();
        showPanel("1", "Vector.vrel_ui");
    }
    void onButton(button_notify*) override { useVector(); }
    int onRevertive(revertive_notify*) override {
        useVector();
        return 0;
    }
    vrel_string onParent(parent_notify*) override {
        useVector();
        return vrel_string("lanes=4");
    }
    int onTimer(int) override {
        useVector();
        return 0;
    }
};

}  // namespace

extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* load_vrel_client_script(vrel_client_callback* host,
                                                                            const char* text) {
    try {
        return new VectorScript(host, text);
    } catch (...) {
        return nullptr;
    }
}
