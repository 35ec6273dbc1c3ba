/* case_report: what the test host found, one case at a time.
 *
 * Each case runs in a child process; its faults are written to standard
 * output as they are found, one line each, flushed at once, so that a crash
 * loses none of them. After MAX_REPORTED lines only the count goes on. */
#ifndef CASE_REPORT_H
#define CASE_REPORT_H

#define MAX_REPORTED 20

/* Starts a case: its name prefixes every line, the count is zero. */
void report_begin(const char* case_name);
/* One fault of the case. */
void report_fault(const char* format, ...) __attribute__((format(printf, 1, 2)));
/* Faults of the current case so far. */
unsigned long report_faults(void);

#endif
