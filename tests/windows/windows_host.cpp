// windows_host: a Windows host of kelvane.dll, in C++, whose calls into the
// DLL the compiler lays out (see compiled_calls.cpp). Built twice from this
// source: with clang-cl for the Visual C++ ABI (for the ZIP's kelvane.dll)
// and with mingw-w64's g++ for gcc's (for mingw-w64/kelvane.dll).
//
//   windows_host DLL [--startup T] [--transcript T]... [--seed N] [--rounds N] [--events N]
//                    [--creation-text TEXT] [--names-device N [--config-dir DIR]]
//                    [--fail-allocation BYTES] [--load-libgcc-first]
//
// Before loading the DLL its version record must name the host this program
// is (a DLL of the other layout is refused: exit status 3). Then, in this
// process, with every debug text of the DLL read as it is written:
//  - every transcript replayed twice, ended with `delete` and with an
//    explicit destructor call: each command in order, byte for byte;
//  - `rounds` seeded storms of `events` random notifications per script;
//  - --names-device: a script created with the configuration folder of the
//    environment must read the name driver's databases from device N;
//    --config-dir names that folder in this process's environment first
//    (SetEnvironmentVariableA, as a host does that sets it at run time);
//  - --fail-allocation: the DLL is a build whose first allocation of BYTES or
//    more fails: a parent command that long must be dropped with one debug
//    line, and the script must go on.
// --load-libgcc-first loads gcc's shared runtime (libgcc_s_dw2-1.dll) before
// the DLL, as a host built with gcc's shared runtime would have it.
// Prints one line a case and the faults found; exits 1 when a case failed.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "debug_texts.h"
#include "site_interface.h"

extern "C" {
#include "case_report.h"
#include "layout_host.h"
#include "replay_case.h"
#include "script_calls.h"
#include "storm_case.h"
#include "transcript_steps.h"
}

namespace {

#if defined(_MSC_VER)
const char this_host[] = "a host built with Visual C++";
#else
const char this_host[] = "a host built with mingw-w64 (gcc)";
#endif

constexpr int max_transcripts = 16;
const char dropped_for_memory[] = "vrel_script_helper: a notification was dropped: out of memory\n";

struct options {
    const char* library = nullptr;
    const char* startup = nullptr;
    const char* transcripts[max_transcripts] = {};
    int transcript_count = 0;
    unsigned seed = 0;
    unsigned rounds = 3;
    unsigned events = 2000;
    const char* creation_text = "panels";
    unsigned names_device = 0;
    const char* config_dir = nullptr;
    unsigned fail_allocation = 0;
    bool load_libgcc_first = false;
};

int usage(const char* message) {
    fprintf(stderr, "windows_host: %s\n", message);
    fprintf(stderr, "usage: windows_host DLL [--startup T] [--transcript T]... [--seed N] [--rounds N] [--events N] "
                    "[--creation-text TEXT] [--names-device N [--config-dir DIR]] [--fail-allocation BYTES] "
                    "[--load-libgcc-first]\n");
    return 2;
}

bool number(const char* text, unsigned* out) {
    char* end = nullptr;
    const unsigned long value = strtoul(text, &end, 10);
    if (!*text || *end) return false;
    *out = static_cast<unsigned>(value);
    return true;
}

int parse(int argc, char** argv, options* o) {
    o->seed = static_cast<unsigned>(GetTickCount()) ^ static_cast<unsigned>(GetCurrentProcessId());
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (option[0] != '-') {
            if (o->library) return usage("one DLL only");
            o->library = option;
            continue;
        }
        if (!strcmp(option, "--load-libgcc-first")) {
            o->load_libgcc_first = true;
            continue;
        }
        if (i + 1 == argc) return usage("an option without its value");
        const char* value = argv[++i];
        bool ok = true;
        if (!strcmp(option, "--startup")) {
            o->startup = value;
        } else if (!strcmp(option, "--transcript")) {
            if (o->transcript_count == max_transcripts) return usage("too many transcripts");
            o->transcripts[o->transcript_count++] = value;
        } else if (!strcmp(option, "--creation-text")) {
            o->creation_text = value;
        } else if (!strcmp(option, "--seed")) {
            ok = number(value, &o->seed);
        } else if (!strcmp(option, "--rounds")) {
            ok = number(value, &o->rounds);
        } else if (!strcmp(option, "--events")) {
            ok = number(value, &o->events);
        } else if (!strcmp(option, "--config-dir")) {
            o->config_dir = value;
        } else if (!strcmp(option, "--names-device")) {
            ok = number(value, &o->names_device);
        } else if (!strcmp(option, "--fail-allocation")) {
            ok = number(value, &o->fail_allocation) && o->fail_allocation > 256;
        } else {
            return usage("an unknown option");
        }
        if (!ok) return usage("an option takes a number");
    }
    return o->library ? 0 : usage("no DLL named");
}

// The version record's file description, or false when there is none.
bool file_description(const char* path, char* out, size_t size) {
    DWORD ignored = 0;
    const DWORD length = GetFileVersionInfoSizeA(path, &ignored);
    if (!length) return false;
    void* record = malloc(length);
    if (!record) abort();
    bool found = false;
    struct translation {
        WORD language;
        WORD code_page;
    }* translations = nullptr;
    UINT translations_size = 0;
    if (GetFileVersionInfoA(path, 0, length, record) &&
        VerQueryValueA(record, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &translations_size) &&
        translations_size >= sizeof *translations) {
        char key[64];
        snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileDescription", translations->language,
                 translations->code_page);
        char* text = nullptr;
        UINT text_size = 0;
        if (VerQueryValueA(record, key, reinterpret_cast<void**>(&text), &text_size) && text) {
            snprintf(out, size, "%s", text);
            found = true;
        }
    }
    free(record);
    return found;
}

// A DLL of the other layout would end the host on its first call: it is told
// by its version record before it is loaded.
bool is_for_this_host(const char* path) {
    char description[256];
    if (!file_description(path, description, sizeof description)) {
        printf("windows_host: %s has no version record; it cannot be told to be for %s\n", path, this_host);
        return false;
    }
    const char* comma = strstr(description, ", for ");
    if (!comma || strcmp(comma + 6, this_host) != 0) {
        printf("windows_host: %s is \"%s\"; this is %s: take the other DLL of the ZIP\n", path, description, this_host);
        return false;
    }
    return true;
}

load_vrel_client_script_fn load_entry(const options& o) {
    if (o.load_libgcc_first && !LoadLibraryA("libgcc_s_dw2-1.dll")) {
        printf("windows_host: cannot load libgcc_s_dw2-1.dll (error %lu)\n", GetLastError());
        return nullptr;
    }
    HMODULE library = LoadLibraryA(o.library);
    if (!library) {
        printf("windows_host: cannot load %s (error %lu)\n", o.library, GetLastError());
        return nullptr;
    }
    FARPROC symbol = GetProcAddress(library, "load_vrel_client_script");
    if (!symbol) {
        printf("windows_host: %s does not export load_vrel_client_script\n", o.library);
        return nullptr;
    }
    return reinterpret_cast<load_vrel_client_script_fn>(reinterpret_cast<void*>(symbol));  // FARPROC says nothing of the signature
}

answer unscripted(void*, const char* command) {
    answer reply = {ANSWER_NOTHING, nullptr};
    if (!strncmp(command, "PI ", 3) || !strncmp(command, "PS ", 3) || !strncmp(command, "PR ", 3))
        reply.kind = ANSWER_STATUS;
    return reply;
}

struct expected_command {
    char text[32];
    bool seen;
};

answer watch_for_command(void* context, const char* command) {
    auto* expected = static_cast<expected_command*>(context);
    if (!strcmp(command, expected->text)) expected->seen = true;
    return unscripted(nullptr, command);
}

// The configuration file is read where docs/windows.md says: its device
// number is the one the name driver's databases are read from.
case_counts names_device_case(vc_entry entry, const char* creation_text, unsigned device) {
    expected_command expected = {};
    snprintf(expected.text, sizeof expected.text, "RN %u 1 1", device);
    layout_host host;
    layout_host_init(&host, 1, watch_for_command, &expected);
    script_under_test script;
    if (script_create(&script, entry, &host, creation_text)) {
        script_destroy(&script, 1u);
        if (!expected.seen) report_fault("the script never sent \"%s\": the configuration was not read", expected.text);
    } else {
        report_fault("the entry returned no script");
    }
    const case_counts counts = {script.calls, host.commands};
    layout_host_dispose(&host);
    return counts;
}

size_t texts_equal_to(const char* wanted, size_t from) {
    size_t found = 0;
    for (size_t i = from; i < debug_texts_count(); ++i) found += strcmp(debug_text(i), wanted) == 0;
    return found;
}

// The first allocation of `bytes` or more fails inside the DLL (a parent
// command that long is split in a copy of its own): the notification is
// dropped at the boundary with one debug line, and the script goes on.
case_counts failed_allocation_case(vc_entry entry, const char* creation_text, unsigned bytes) {
    char* text = static_cast<char*>(malloc(bytes + 1));
    if (!text) abort();
    memset(text, 'x', bytes);
    text[bytes] = '\0';
    layout_host host;
    layout_host_init(&host, 1, unscripted, nullptr);
    script_under_test script;
    if (script_create(&script, entry, &host, creation_text)) {
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const size_t before = debug_texts_count();
            free(script_parent(&script, text));
            const size_t dropped = texts_equal_to(dropped_for_memory, before);
            if (attempt == 1 && dropped != 1)
                report_fault("the failed allocation left %u debug lines saying so; one was expected",
                             static_cast<unsigned>(dropped));
            if (attempt == 2 && dropped != 0) report_fault("the second long parent command was dropped too");
        }
        script_notify(&script, reinterpret_cast<void*>(1), VC_TIMER, "a timer tick after the failure");
        script_destroy(&script, 1u);
    } else {
        report_fault("the entry returned no script");
    }
    const case_counts counts = {script.calls, host.commands};
    layout_host_dispose(&host);
    free(text);
    return counts;
}

const char* base_name(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return name;
}

int failed_cases = 0;
int total_cases = 0;

void finish_case(const char* name, const case_counts& counts) {
    ++total_cases;
    if (report_faults()) {
        ++failed_cases;
        printf("FAIL  %s: %lu fault%s in %lu calls\n", name, report_faults(), report_faults() == 1 ? "" : "s",
               counts.calls);
    } else {
        printf("pass  %s: %lu calls into the script, %lu commands back, %u debug texts\n", name, counts.calls,
               counts.commands, static_cast<unsigned>(debug_texts_count()));
    }
    fflush(stdout);
    debug_texts_clear();
}

int host_main(int argc, char** argv) {
    options o;
    if (const int bad = parse(argc, argv, &o)) return bad;
    if (!is_for_this_host(o.library)) return 3;
    debug_texts_watch();
    const load_vrel_client_script_fn load = load_entry(o);
    if (!load) return 1;
    const vc_entry entry = reinterpret_cast<vc_entry>(reinterpret_cast<void*>(load));  // passed on untouched

    steps startup = {};
    steps transcripts[max_transcripts + 1];
    size_t transcript_count = 0;
    if (o.startup) {
        if (!steps_read(o.startup, &startup)) return 1;
        transcripts[transcript_count++] = startup;
    }
    for (int i = 0; i < o.transcript_count; ++i) {
        if (!steps_read(o.transcripts[i], &transcripts[transcript_count])) return 1;
        if (transcripts[transcript_count].begins_with_operator_line && !o.startup)
            return usage("a transcript omits the start-up; name one with --startup");
        ++transcript_count;
    }

    printf("windows_host (%s): %s", this_host, o.library);
    if (o.rounds) printf("; storm seeds %u to %u, %u events per script", o.seed, o.seed + o.rounds - 1, o.events);
    printf("\n");
    char name[200];
    for (size_t i = 0; i < transcript_count; ++i) {
        static const unsigned destroy_flags[] = {1u, 0u};
        for (const unsigned flags : destroy_flags) {
            snprintf(name, sizeof name, "replay %s, ended with %s", base_name(transcripts[i].items[0].file),
                     flags ? "delete" : "an explicit destructor call");
            report_begin(name);
            finish_case(name, replay_case(entry, &startup, &transcripts[i], flags));
        }
    }
    for (unsigned round = 0; round < o.rounds; ++round) {
        snprintf(name, sizeof name, "storm seed %u", o.seed + round);
        report_begin(name);
        finish_case(name, storm_case(entry, o.creation_text, transcripts, transcript_count, o.seed + round, o.events));
    }
    if (o.names_device) {
        if (o.config_dir && !SetEnvironmentVariableA("VREL_CONFIG_DIR", o.config_dir)) return usage("cannot set VREL_CONFIG_DIR");
        snprintf(name, sizeof name, "the configuration names device %u for the name driver", o.names_device);
        report_begin(name);
        finish_case(name, names_device_case(entry, o.creation_text, o.names_device));
    }
    if (o.fail_allocation) {
        snprintf(name, sizeof name, "an allocation of %u bytes fails inside the DLL%s", o.fail_allocation,
                 o.load_libgcc_first ? ", libgcc_s_dw2-1.dll loaded first" : "");
        report_begin(name);
        finish_case(name, failed_allocation_case(entry, o.creation_text, o.fail_allocation));
    }
    printf("windows_host: %d of %d cases passed\n", total_cases - failed_cases, total_cases);
    for (size_t i = 0; i < transcript_count; ++i) steps_free(&transcripts[i]);
    return failed_cases ? 1 : 0;
}

}  // namespace

#if defined(_MSC_VER)
// Built with no C runtime start-up of its own (only msvcrt.dll's functions):
// the arguments come from msvcrt, and exit() flushes its streams.
extern "C" int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expand, int* start_info);
extern "C" void __cdecl windows_host_start() {
    int argc = 0, start_info = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    if (__getmainargs(&argc, &argv, &environment, 0, &start_info) < 0) ExitProcess(2);
    exit(host_main(argc, argv));
}
#else
int main(int argc, char** argv) { return host_main(argc, argv); }
#endif
