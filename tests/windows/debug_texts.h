// debug_texts: the DLL's OutputDebugStringA texts, read in this process.
//
// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the length (NUL
// included) and the address of the text; a vectored exception handler sees
// it before anything else, keeps a copy and lets the call return. Each text
// must arrive whole, with the length the exception says, and not empty. Every
// rename the host receives (an RM command) must be followed, within the same
// call into the script, by a debug text of its own: that command and a line
// end, in one piece.
//
// One thread; the texts stay until debug_texts_clear.
#pragma once

#include <stddef.h>

void debug_texts_watch();
size_t debug_texts_count();
const char* debug_text(size_t at);
void debug_texts_clear();

// A rename the host received: its debug text must follow before the call ends.
void debug_texts_expect_rename(const char* command);
// At the end of each call into the script: the renames' texts arrived.
void debug_texts_check_renames(const char* what);
