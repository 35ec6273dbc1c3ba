/* visual_cpp_layout_host: a 32-bit host that lays out the boundary as Visual
 * C++ does (visual_cpp_layout.h), written without the project's headers, and
 * drives a script library through it.
 *
 *   visual_cpp_layout_host LIBRARY [--startup TRANSCRIPT] [--transcript TRANSCRIPT]...
 *                          [--seed N] [--rounds N] [--events N] [--creation-text TEXT] [--verbose]
 *
 * Cases, each in a child process of its own (a crash fails that case only):
 *  - every transcript replayed twice, once ended with flags 1 (destroy and
 *    free) and once with flags 0 (destroy only): the start-up commands and
 *    every later one must reach this host, in order, with `this` right;
 *  - `rounds` storms of `events` random notifications per script (seeds N,
 *    N+1, ...), the transcripts lending their controls, devices and texts.
 * Every call into the script is measured (measured_call.h). Prints one line
 * per case and the faults found; exits 1 when a case failed. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "case_report.h"
#include "replay_case.h"
#include "storm_case.h"
#include "transcript_steps.h"
#include "visual_cpp_layout.h"

#define MAX_TRANSCRIPTS 16

struct options {
    const char* library;
    const char* startup;
    const char* transcripts[MAX_TRANSCRIPTS];
    int transcript_count;
    unsigned seed;
    unsigned rounds;
    unsigned events;
    const char* creation_text;
    int verbose;
};

static int usage(const char* message) {
    fprintf(stderr, "visual_cpp_layout_host: %s\n", message);
    fprintf(stderr, "usage: visual_cpp_layout_host LIBRARY [--startup T] [--transcript T]... [--seed N] [--rounds N] "
                    "[--events N] [--creation-text TEXT] [--verbose]\n");
    return 2;
}

static int number(const char* text, unsigned* out) {
    char* end = NULL;
    const unsigned long value = strtoul(text, &end, 10);
    if (!*text || *end || value > 0xffffffffu) return 0;
    *out = (unsigned)value;
    return 1;
}

static int parse(int argc, char** argv, struct options* options) {
    memset(options, 0, sizeof *options);
    options->seed = (unsigned)time(NULL) ^ (unsigned)getpid();
    options->rounds = 3;
    options->events = 2000;
    options->creation_text = "panels";
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        if (argv[i][0] != '-') {
            if (options->library) return usage("one library only");
            options->library = argv[i];
            continue;
        }
        if (!strcmp(argv[i], "--verbose")) {
            options->verbose = 1;
            continue;
        }
        if (!value) return usage("an option without its value");
        ++i;
        if (!strcmp(argv[i - 1], "--startup")) {
            options->startup = value;
        } else if (!strcmp(argv[i - 1], "--transcript")) {
            if (options->transcript_count == MAX_TRANSCRIPTS) return usage("too many transcripts");
            options->transcripts[options->transcript_count++] = value;
        } else if (!strcmp(argv[i - 1], "--seed")) {
            if (!number(value, &options->seed)) return usage("--seed takes a number");
        } else if (!strcmp(argv[i - 1], "--rounds")) {
            if (!number(value, &options->rounds)) return usage("--rounds takes a number");
        } else if (!strcmp(argv[i - 1], "--events")) {
            if (!number(value, &options->events)) return usage("--events takes a number");
        } else if (!strcmp(argv[i - 1], "--creation-text")) {
            options->creation_text = value;
        } else {
            return usage("an unknown option");
        }
    }
    if (!options->library) return usage("no library named");
    return 0;
}

static vc_entry load_entry(const char* library) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fprintf(stderr, "visual_cpp_layout_host: cannot load %s: %s\n", library, dlerror());
        return NULL;
    }
    void* symbol = dlsym(handle, "load_vrel_client_script");
    if (!symbol) {
        fprintf(stderr, "visual_cpp_layout_host: %s does not export load_vrel_client_script\n", library);
        return NULL;
    }
    vc_entry entry;
    memcpy(&entry, &symbol, sizeof entry);
    return entry;
}

enum case_kind { CASE_REPLAY, CASE_STORM };
struct test_case {
    enum case_kind kind;
    char name[160];
    const struct steps* scenario;
    unsigned flags;
    unsigned seed;
};

struct run_context {
    vc_entry entry;
    const struct options* options;
    const struct steps* startup;
    const struct steps* transcripts;
    size_t transcript_count;
};

/* The child's part: run the case, say how it went. */
static int run_case(const struct run_context* context, const struct test_case* test) {
    report_begin(test->name);
    struct case_counts counts;
    if (test->kind == CASE_REPLAY)
        counts = replay_case(context->entry, context->startup, test->scenario, test->flags);
    else
        counts = storm_case(context->entry, context->options->creation_text, context->transcripts,
                           context->transcript_count, test->seed, context->options->events);
    if (report_faults()) {
        printf("  %s: %lu fault%s in %lu calls\n", test->name, report_faults(), report_faults() == 1 ? "" : "s",
               counts.calls);
        return 1;
    }
    printf("pass  %s: %lu calls into the script, %lu commands back\n", test->name, counts.calls, counts.commands);
    return 0;
}

static int run_in_child(const struct run_context* context, const struct test_case* test) {
    fflush(stdout);
    const pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return 0;
    }
    if (child == 0) {
        /* The script's own debug lines are not this host's business. */
        if (!context->options->verbose && !freopen("/dev/null", "w", stderr)) _exit(2);
        const int failed = run_case(context, test);
        fflush(stdout);
        _exit(failed);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return 1;
    if (WIFSIGNALED(status))
        printf("FAIL  %s: the process died of signal %d\n", test->name, WTERMSIG(status));
    else
        printf("FAIL  %s\n", test->name);
    return 0;
}

static const char* base_name(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int main(int argc, char** argv) {
    struct options options;
    const int bad = parse(argc, argv, &options);
    if (bad) return bad;
    const vc_entry entry = load_entry(options.library);
    if (!entry) return 1;

    struct steps startup = {0};
    struct steps transcripts[MAX_TRANSCRIPTS + 1];
    size_t transcript_count = 0;
    if (options.startup) {
        if (!steps_read(options.startup, &startup)) return 1;
        transcripts[transcript_count++] = startup;
    }
    for (int i = 0; i < options.transcript_count; ++i) {
        if (!steps_read(options.transcripts[i], &transcripts[transcript_count])) return 1;
        if (transcripts[transcript_count].begins_with_operator_line && !options.startup) {
            fprintf(stderr, "visual_cpp_layout_host: %s omits the start-up; name one with --startup\n",
                    options.transcripts[i]);
            return 2;
        }
        ++transcript_count;
    }

    printf("visual_cpp_layout_host: %s; storm seeds %u to %u, %u events per script\n", options.library, options.seed,
           options.seed + options.rounds - 1, options.events);
    const struct run_context context = {entry, &options, &startup, transcripts, transcript_count};
    int failed = 0, total = 0;
    for (size_t i = 0; i < transcript_count; ++i) {
        static const unsigned destroy_flags[] = {1u, 0u};
        for (size_t f = 0; f < 2; ++f) {
            const unsigned flags = destroy_flags[f];
            struct test_case test = {CASE_REPLAY, "", &transcripts[i], flags, 0};
            snprintf(test.name, sizeof test.name, "replay %s, destroyed with flags %u (%s)",
                     base_name(transcripts[i].items ? transcripts[i].items[0].file : "?"), flags,
                     flags ? "destroy and free" : "destroy only");
            ++total;
            failed += !run_in_child(&context, &test);
        }
    }
    for (unsigned round = 0; round < options.rounds; ++round) {
        struct test_case test = {CASE_STORM, "", NULL, 0, options.seed + round};
        snprintf(test.name, sizeof test.name, "storm seed %u", test.seed);
        ++total;
        failed += !run_in_child(&context, &test);
    }
    printf("visual_cpp_layout_host: %d of %d cases passed\n", total - failed, total);
    for (size_t i = 0; i < transcript_count; ++i) steps_free(&transcripts[i]);
    return failed ? 1 : 0;
}
