/* watched_free: whether the script's own memory was freed, seen from outside.
 *
 * The test host replaces free() (the program is linked with its symbols
 * exported, so the script library's operator delete reaches this one) and
 * forwards every call to the C library. One block at a time is watched: the
 * object a destroy call is about to end. */
#ifndef WATCHED_FREE_H
#define WATCHED_FREE_H

/* Watches `block`; `closed` (may be null) is read when it is freed, to tell
 * whether the script had already sent its closing command. */
void watch_block(const void* block, const int* closed);
/* Whether the watched block has been freed, and whether `closed` was set then. */
int watched_block_freed(void);
int watched_block_closed_first(void);

#endif
