#include "debug_texts.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

extern "C" {
#include "case_report.h"
}

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006
#endif

namespace {

struct text_list {
    char** items = nullptr;
    size_t count = 0;
    size_t capacity = 0;
};

text_list texts;
text_list renames;     // expected debug texts of the renames of the current call
size_t renames_from;   // the first text they may be found in

char* copy_of(const char* text, size_t length) {
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy) abort();
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

void add(text_list& list, char* text) {
    if (list.count == list.capacity) {
        list.capacity = list.capacity ? list.capacity * 2 : 256;
        list.items = static_cast<char**>(realloc(list.items, list.capacity * sizeof *list.items));
        if (!list.items) abort();
    }
    list.items[list.count++] = text;
}

void clear(text_list& list) {
    for (size_t i = 0; i < list.count; ++i) free(list.items[i]);
    list.count = 0;
}

void receive(const EXCEPTION_RECORD& record) {
    if (record.NumberParameters < 2) {
        report_fault("a debug text raised with %lu parameters; OutputDebugStringA passes 2",
                     static_cast<unsigned long>(record.NumberParameters));
        return;
    }
    const size_t length = record.ExceptionInformation[0];
    const char* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    if (!text || length == 0) {
        report_fault("a debug text without its text");
        return;
    }
    const size_t measured = strlen(text);
    if (measured + 1 != length)
        report_fault("a debug text of %u bytes said to be %u long: \"%.60s\"", static_cast<unsigned>(measured),
                     static_cast<unsigned>(length - 1), text);
    if (measured == 0) report_fault("an empty debug text");
    add(texts, copy_of(text, measured));
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode != DBG_PRINTEXCEPTION_C) return EXCEPTION_CONTINUE_SEARCH;
    receive(*exception->ExceptionRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void debug_texts_watch() {
    if (!AddVectoredExceptionHandler(1, on_exception)) {
        report_fault("no vectored exception handler: the debug texts cannot be read");
    }
}

size_t debug_texts_count() { return texts.count; }
const char* debug_text(size_t at) { return at < texts.count ? texts.items[at] : nullptr; }
void debug_texts_clear() { clear(texts); }

void debug_texts_expect_rename(const char* command) {
    if (renames.count == 0) renames_from = texts.count;
    const size_t length = strlen(command);
    char* line = copy_of(command, length + 1);
    line[length] = '\n';
    add(renames, line);
}

void debug_texts_check_renames(const char* what) {
    // In order, each a text of its own.
    size_t at = renames_from;
    for (size_t i = 0; i < renames.count; ++i) {
        while (at < texts.count && strcmp(texts.items[at], renames.items[i]) != 0) ++at;
        if (at == texts.count) {
            report_fault("%s: the rename \"%.60s\" left no debug text of its own", what, renames.items[i]);
            break;
        }
        ++at;
    }
    clear(renames);
}
