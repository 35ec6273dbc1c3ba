#include "case_report.h"

#include <stdarg.h>
#include <stdio.h>

static const char* current_case = "";
static unsigned long faults;

void report_begin(const char* case_name) {
    current_case = case_name;
    faults = 0;
}

void report_fault(const char* format, ...) {
    if (++faults > MAX_REPORTED) return;
    va_list arguments;
    va_start(arguments, format);
    printf("  %s: ", current_case);
    vprintf(format, arguments);
    printf("\n");
    va_end(arguments);
    fflush(stdout);
}

unsigned long report_faults(void) { return faults; }
