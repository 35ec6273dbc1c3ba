#include "layout_host.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "case_report.h"

/* A command text longer than this is taken for one that never ends. */
#define LONGEST_COMMAND 65536

static void forget_reply(struct layout_host* host, int at) {
    host->replies[at] = host->replies[--host->reply_count];
}

static void* receive_command(struct layout_host* host, const char* text) {
    if (!text) {
        report_fault("host %d: a command (kind 0) with a null text", host->number);
        return NULL;
    }
    const size_t length = strnlen(text, LONGEST_COMMAND);
    if (length == LONGEST_COMMAND) {
        report_fault("host %d: a command text that does not end within %d bytes", host->number, LONGEST_COMMAND);
        return NULL;
    }
    if (host->closed) report_fault("host %d: \"%.60s\" came after AS", host->number, text);
    if (length < 2 || text[0] < 'A' || text[0] > 'Z' || text[1] < 'A' || text[1] > 'Z' ||
        (text[2] != '\0' && text[2] != ' '))
        report_fault("host %d: \"%.60s\" does not start with a two-letter command code", host->number, text);
    ++host->commands;
    snprintf(host->last_command, sizeof host->last_command, "%s", text);
    if (strcmp(text, "AS") == 0) host->closed = 1;

    const struct answer answer = host->policy(host->policy_context, text);
    if (answer.kind == ANSWER_STATUS) return host->status;
    if (answer.kind == ANSWER_NOTHING) return NULL;
    if (host->reply_count == HOST_REPLIES_PER_CALL) {
        report_fault("host %d: more than %d replies held at once", host->number, HOST_REPLIES_PER_CALL);
        return NULL;
    }
    char* reply = malloc(strlen(answer.text) + 1);
    if (!reply) abort();
    strcpy(reply, answer.text);
    host->replies[host->reply_count++] = reply;
    return reply;
}

static void receive_hand_back(struct layout_host* host, void* data) {
    if (!data) return;
    for (int i = 0; i < host->reply_count; ++i) {
        if (host->replies[i] == data) {
            free(data);
            forget_reply(host, i);
            return;
        }
    }
    if (data == host->status)
        report_fault("host %d: the status of a panel command was handed back (kind 5); only replies are", host->number);
    else
        report_fault("host %d: kind 5 with a pointer the host never gave out, or gave back already", host->number);
}

void* layout_host_receive(struct layout_host* host, void* data, int kind) {
    if (!host->in_call)
        report_fault("host %d: the script called its host while the host was not calling it", host->number);
    switch (kind) {
    case VC_COMMAND:
        return receive_command(host, data);
    case VC_RELEASE:
        receive_hand_back(host, data);
        return NULL;
    default:
        report_fault("host %d: the script called the host with kind %d; a host takes 0 and 5 only", host->number, kind);
        return NULL;
    }
}

void layout_host_init(struct layout_host* host, int number, answer_policy policy, void* context) {
    memset(host, 0, sizeof *host);
    host->number = number;
    host->policy = policy;
    host->policy_context = context;
    strcpy(host->status, "ok");
    layout_host_attach(host);
}

void layout_host_dispose(struct layout_host* host) {
    while (host->reply_count) {
        free(host->replies[host->reply_count - 1]);
        --host->reply_count;
    }
    layout_host_detach(host);
}

void layout_host_after_call(struct layout_host* host, const char* what) {
    if (host->reply_count)
        report_fault("host %d: %d repl%s not handed back before %s returned (the last command: \"%.60s\")",
                     host->number, host->reply_count, host->reply_count == 1 ? "y was" : "ies were", what,
                     host->last_command);
    while (host->reply_count) {
        free(host->replies[host->reply_count - 1]);
        --host->reply_count;
    }
}

