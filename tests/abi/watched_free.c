#include "watched_free.h"

#include <stddef.h>

/* glibc's own free, which every free() ends in. */
extern void __libc_free(void* block);

static const void* volatile watched;
static const int* watched_closed;
static volatile int freed;
static volatile int closed_first;

void watch_block(const void* block, const int* closed) {
    watched = block;
    watched_closed = closed;
    freed = 0;
    closed_first = 0;
}

int watched_block_freed(void) { return freed; }
int watched_block_closed_first(void) { return closed_first; }

void free(void* block) {
    if (block && block == watched) {
        freed = 1;
        closed_first = watched_closed ? *watched_closed : 1;
        watched = NULL;
    }
    __libc_free(block);
}
