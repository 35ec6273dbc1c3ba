// A script library that gets the Visual C++ layout wrong in one way, chosen by
// the definition it is built with, so that the test host is seen to catch
// each kind of fault. Written without the project's headers: each fault is a
// plausible mistake of a script built for the wrong layout.
//
//   FAULT_GCC_LAYOUT         gcc's own layout (two destructor slots, then notify)
//   FAULT_CDECL_CALLS        the right slots, but `this` on the stack both ways
//   FAULT_CDECL_NOTIFY       its own notify leaves its arguments on the stack
//   FAULT_CLOBBERS_REGISTER  its notify changes ESI and does not restore it
//   FAULT_ALWAYS_FREES       its destructor slot frees even with flags 0
//   FAULT_NEVER_FREES        its destructor slot never frees
//   FAULT_TRUSTS_ALIGNMENT   built with SSE2, its notify keeps a vector on a
//                            stack it takes for 16-byte aligned, which a
//                            Visual C++ host does not promise
#include <new>

#define THISCALL __attribute__((thiscall))

#if defined(FAULT_CDECL_CALLS) || defined(FAULT_GCC_LAYOUT)
#define CALLS_TO_HOST
#else
#define CALLS_TO_HOST THISCALL
#endif
#if defined(FAULT_CDECL_CALLS) || defined(FAULT_CDECL_NOTIFY)
#define OWN_NOTIFY
#else
#define OWN_NOTIFY THISCALL
#endif

// The host, as this script calls it. Not in an anonymous namespace: gcc would
// know that no class in this file implements it, and call the pure virtual.
class HostView {
public:
#if defined(FAULT_GCC_LAYOUT)
    virtual ~HostView() {}
#else
    virtual void* CALLS_TO_HOST destroy(unsigned flags) = 0;
#endif
    virtual void* CALLS_TO_HOST notify(void* data, int kind) = 0;
};

namespace {

class Script {
public:
    explicit Script(HostView* host) : host_(host) { send("PI '1' 'Fixture.vrel_ui'"); }

#if defined(FAULT_GCC_LAYOUT)
    virtual ~Script() { send("AS"); }
#else
    virtual void* THISCALL destroy(unsigned flags) {
        send("AS");
#if defined(FAULT_ALWAYS_FREES)
        flags = 1;
#elif defined(FAULT_NEVER_FREES)
        flags = 0;
#endif
        this->~Script();
        if (flags & 1u) ::operator delete(this);
        // Slot 0 returns the object's address, freed or not; it is not read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
        return this;
#pragma GCC diagnostic pop
    }
#endif

#if defined(FAULT_TRUSTS_ALIGNMENT)
    virtual void* OWN_NOTIFY notify(void*, int) {
        typedef float four_floats __attribute__((vector_size(16)));
        volatile four_floats lanes = {1, 2, 3, 4};  // moved with movaps: faults when misaligned
        lanes = lanes + lanes;
        return nullptr;
    }
#elif defined(FAULT_CLOBBERS_REGISTER)
    virtual void* OWN_NOTIFY notify(void*, int) {
        __asm__ volatile("xorl %%esi, %%esi" ::: "memory");  // ESI not declared: the compiler keeps no copy
        return nullptr;
    }
#else
    // Touches nothing: with `this` taken from the wrong place it must not crash.
    virtual void* OWN_NOTIFY notify(void*, int) { return nullptr; }
#endif

private:
    void send(const char* text) {
        if (host_) host_->notify(const_cast<char*>(text), 0);
    }
    HostView* host_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void* load_vrel_client_script(void* host, const char*) {
    return new Script(static_cast<HostView*>(host));
}
