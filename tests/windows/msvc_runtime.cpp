// The little of a C++ runtime the clang-cl host needs, on msvcrt.dll's heap:
// it links no C++ library (Visual C++'s cannot be had here).
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

void* operator new(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block) abort();  // this host does not throw
    return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }

// msvcrt.dll has it from Windows Vista on, but mingw-w64's import library
// lacks it.
extern "C" size_t __cdecl strnlen(const char* text, size_t longest) {
    size_t length = 0;
    while (length < longest && text[length]) ++length;
    return length;
}

// mingw-w64's headers make snprintf call this (from its own static library);
// msvcrt's _vsnprintf does the work, and the text always ends.
extern "C" int __cdecl __ms_vsnprintf(char* out, size_t size, const char* format, va_list arguments) {
    const int written = _vsnprintf(out, size, format, arguments);
    if (size && (written < 0 || static_cast<size_t>(written) >= size)) out[size - 1] = '\0';
    return written;
}
