// The boundary declared the way a site's panel host declares it: a class with
// a virtual destructor and a pure virtual notify, and the entry as a C
// function. Nothing here says how the object is laid out: the compiler that
// builds the host decides (Visual C++'s layout from clang-cl, gcc's from
// mingw-w64), and must agree with the DLL the host loads.
#pragma once

class vrel_client_callback {
public:
    virtual ~vrel_client_callback() {}
    virtual void* notify(void* data, int kind) = 0;
};

typedef vrel_client_callback*(__cdecl* load_vrel_client_script_fn)(vrel_client_callback* host, const char* text);
