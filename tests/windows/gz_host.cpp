// A host compiled with /Gz, which makes __stdcall the default convention of
// every function that states none, as some Visual C++ projects are set up.
// It includes the project's public header and calls the entry through the
// header's pointer type: the header says __cdecl on 32-bit Windows, so the
// host still calls a C function. Without it the host would call
// _load_vrel_client_script@8 as stdcall, leave its arguments on the stack
// and run 8 bytes off after every call.
//
//   gz_host DLL [CALLS]    (exit status 0 when every call left the stack as it was)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "runtime/boundary/vrel_script_entry.h"

namespace {

template <class A, class B>
struct same_type {
    static constexpr bool value = false;
};
template <class A>
struct same_type<A, A> {
    static constexpr bool value = true;
};
using cdecl_entry = vrel_client_callback*(__cdecl*)(vrel_client_callback*, const char*);
static_assert(same_type<vrel_script_entry, cdecl_entry>::value, "the entry's pointer type must say __cdecl");
static_assert(same_type<decltype(&load_vrel_client_script), cdecl_entry>::value, "the entry must say __cdecl");

unsigned stack_pointer() {
    unsigned esp;
    __asm__ __volatile__("movl %%esp, %0" : "=r"(esp));
    return esp;
}

int gz_main(int argc, char** argv) {
    if (argc < 2) {
        printf("usage: gz_host DLL [CALLS]\n");
        return 2;
    }
    const int calls = argc > 2 ? atoi(argv[2]) : 100;
    HMODULE library = LoadLibraryA(argv[1]);
    FARPROC symbol = library ? GetProcAddress(library, "load_vrel_client_script") : nullptr;
    if (!symbol) {
        printf("gz_host: cannot load the entry of %s\n", argv[1]);
        return 1;
    }
    const vrel_script_entry entry = reinterpret_cast<vrel_script_entry>(reinterpret_cast<void*>(symbol));
    int off = 0;
    for (int i = 0; i < calls; ++i) {
        const unsigned before = stack_pointer();
        vrel_client_callback* script = entry(nullptr, "panels");
        const unsigned after = stack_pointer();
        if (!script) {
            printf("gz_host: call %d: no script\n", i + 1);
            return 1;
        }
        vrel_destroy_script(script);
        if (after != before && off++ == 0) printf("gz_host: call %d: the stack moved by %d bytes\n", i + 1, int(after - before));
    }
    printf("gz_host (/Gz): %d calls of load_vrel_client_script, %d left the stack off\n", calls, off);
    return off ? 1 : 0;
}

}  // namespace

extern "C" int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expand, int* start_info);
extern "C" void __cdecl gz_host_start() {
    int argc = 0, start_info = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    if (__getmainargs(&argc, &argv, &environment, 0, &start_info) < 0) ExitProcess(2);
    exit(gz_main(argc, argv));
}
