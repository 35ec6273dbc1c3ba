// vrel_client_callback: the one interface between the panel host and a script.
//
// Both sides implement it. The host calls the script's notify() to deliver
// events; the script calls the host's notify() to send a command text (kind 0)
// or to hand back a reply the host returned earlier (kind 5). Every call comes
// on the host's thread, one at a time.
//
// The host reaches the object only through its vtable, so the vtable is the
// contract, and it has two layouts (chosen when the project is configured,
// KELVANE_HOST_ABI, which defines VREL_HOST_ABI_MSVC to 1 or 0):
//
//  - msvc: what Visual C++ makes of `virtual ~X(); virtual void* notify(void*, int)`.
//    Slot 0 is the scalar deleting destructor, `void* (unsigned flags)`: bit 0
//    set destroys the object and frees it, clear only destroys it; other bits
//    are ignored; it returns the object. Slot 1 is notify. On 32-bit x86 both
//    take `this` in ECX and pop their own arguments (thiscall). A host built
//    with Visual C++ calls a script this way, and a script calls its host so.
//  - native: this compiler's own layout for a virtual destructor followed by
//    notify (with gcc: two destructor slots, then notify), for a host built
//    with the same compiler.
//
// Either way a host ends a script with vrel_destroy_script(), never with
// `delete` (the destructor is protected for that reason): in the msvc layout
// only slot 0 is known to exist in a script built elsewhere.
//
// Every class that overrides notify() writes VREL_CALLBACK before its name,
// so the override keeps the calling convention of the slot:
//
//     void* VREL_CALLBACK notify(void* data, int kind) override;
//
// A script on vrel_script_helper inherits its notify() and needs none of this.
#pragma once

#ifndef VREL_HOST_ABI_MSVC
// The build defines it; this fallback gives a compiler the build's default:
// the Visual C++ layout for 32-bit Windows with gcc (mingw-w64).
#if defined(_WIN32) && !defined(_WIN64) && defined(__GNUC__) && !defined(_MSC_VER)
#define VREL_HOST_ABI_MSVC 1
#else
#define VREL_HOST_ABI_MSVC 0
#endif
#endif

// The calling convention of the two slots. Only 32-bit x86 has a choice;
// Visual C++ and mingw-w64 use thiscall for members there anyway, gcc on
// Linux has to be told. Code built by Visual C++ keeps the stack aligned to
// 4 bytes only, where gcc's code expects 16: so with gcc or clang every
// function a Visual C++ host calls (VREL_HOST_ENTRY: the two slots and the
// library's entry) realigns the stack before it calls anything else.
#if VREL_HOST_ABI_MSVC && (defined(__i386__) || defined(_M_IX86))
#if defined(_MSC_VER) && !defined(__clang__)
#define VREL_HOST_ENTRY
#define VREL_CALLBACK __thiscall
#else
#define VREL_HOST_ENTRY __attribute__((force_align_arg_pointer))
#define VREL_CALLBACK __attribute__((thiscall, force_align_arg_pointer))
#endif
#else
#define VREL_HOST_ENTRY
#define VREL_CALLBACK
#endif

class vrel_client_callback {
public:
#if VREL_HOST_ABI_MSVC
    // Slot 0, as Visual C++ lays out a virtual destructor. Implemented once,
    // here: it runs the most derived destructor, and frees when asked to.
    // Named so that no derived class overrides it by accident.
    virtual void* VREL_CALLBACK vrel_scalar_deleting_destructor(unsigned flags);
    // Slot 1.
    virtual void* VREL_CALLBACK notify(void* data, int kind) = 0;

protected:
    // After the host's slots; only this process's C++ code reaches it.
    virtual ~vrel_client_callback() = default;
#else
protected:
    // The first slots.
    virtual ~vrel_client_callback() = default;

public:
    virtual void* VREL_CALLBACK notify(void* data, int kind) = 0;
#endif

    friend void vrel_destroy_script(vrel_client_callback* script);
};

#if VREL_HOST_ABI_MSVC
inline void* VREL_CALLBACK vrel_client_callback::vrel_scalar_deleting_destructor(unsigned flags) {
    // Both calls are virtual: the most derived destructor runs, and `delete`
    // uses the deallocation of the class that was allocated.
    if (flags & 1u)
        delete this;
    else
        this->~vrel_client_callback();
    return this;
}
#endif

// Destroys a script the host created (null does nothing): its destructor runs,
// sending its closing commands, and its memory is freed by the script's own
// library. The one way any host here ends a script.
inline void vrel_destroy_script(vrel_client_callback* script) {
    if (!script) return;
#if VREL_HOST_ABI_MSVC
    script->vrel_scalar_deleting_destructor(1u);  // through slot 0, as a Visual C++ `delete` does
#else
    delete script;
#endif
}

// For a std::unique_ptr that owns a script the way a host does.
struct vrel_script_deleter {
    void operator()(vrel_client_callback* script) const { vrel_destroy_script(script); }
};

// The kinds of notify(). "data" and ownership for each:
namespace vrel_kind {
constexpr int command = 0;    // script -> host: NUL-terminated command text, the script's, valid for the call
constexpr int revertive = 1;  // host -> script: revertive_record, the host's, valid for the call
constexpr int button = 2;     // host -> script: button_record, the host's, valid for the call
constexpr int parent = 3;     // host -> script: parent-command text; the answer is a new buffer or null
constexpr int timer = 4;      // host -> script: the timer id itself, carried in the pointer value
constexpr int release = 5;    // both ways: a buffer the receiver returned earlier, to be freed by it
constexpr int database = 6;   // host -> script: database_record, the host's, valid for the call
constexpr int value = 7;      // host -> script: host data, not read by this component
}  // namespace vrel_kind
