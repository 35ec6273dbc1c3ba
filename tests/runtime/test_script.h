// TestScript: the smallest script built on vrel_script_helper, for driving the
// runtime directly. Its handlers only record what reached them (texts copied,
// since views and records die with the call); onParent answers whatever the
// test put in `parentAnswer`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "vrel_script_helper.h"

struct HandlerCall {
    std::string handler;  // "button", "revertive", "parent", "value", "timer", "database"
    std::string detail;   // what the handler saw, fields joined by "|"
};

inline bool operator==(const HandlerCall& a, const HandlerCall& b) {
    return a.handler == b.handler && a.detail == b.detail;
}
inline std::ostream& operator<<(std::ostream& out, const HandlerCall& c) {
    return out << c.handler << "(" << c.detail << ")";
}

class TestScript : public vrel_script_helper {
public:
    TestScript(vrel_client_callback* host, const char* text, bool withAlarmActions = false)
        : vrel_script_helper(host, text) {
        alarmActions = withAlarmActions;
    }

    const vrel_string& creationText() const { return basePath; }
    bool alarmActionsOn() const { return alarmActions; }

    void onButton(button_notify* b) override {
        calls.push_back({"button", std::string(b->panel()) + "|" + std::string(b->id()) + "|" +
                                       std::string(b->command()) + "|" + std::string(b->sub()) + "|" +
                                       std::string(b->value()) + "|" + std::to_string(b->subCount())});
    }
    int onRevertive(revertive_notify* r) override {
        calls.push_back({"revertive", std::to_string(r->device()) + "|" + std::to_string(r->index()) + "|" +
                                          std::string(r->text())});
        return 7;  // discarded by the dispatcher
    }
    vrel_string onParent(parent_notify* p) override {
        calls.push_back({"parent", std::string(p->command()) + "|" + std::string(p->value()) + "|" +
                                       std::to_string(p->record->subCount) + "|" +
                                       (p->record->hasValue ? "=" : "")});
        return parentAnswer;
    }
    void onValue(value_notify* v) override {
        calls.push_back({"value", v->record ? "data" : "null"});
    }
    int onTimer(int id) override {
        calls.push_back({"timer", std::to_string(id)});
        return 1;  // discarded by the dispatcher
    }
    void onDatabase(database_notify* d) override {
        calls.push_back({"database", std::to_string(d->device()) + "|" + std::to_string(d->database()) + "|" +
                                         std::to_string(d->index()) + "|" + std::string(d->text())});
    }

    std::vector<HandlerCall> calls;
    vrel_string parentAnswer;
};
