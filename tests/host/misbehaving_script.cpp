// A script library that breaks the host protocol on purpose, so the tests can
// check that vrel-host catches it: it keeps one reply, hands another back
// twice, hands back a pointer the host never gave out and the status of a
// panel command, sends a malformed command and calls the host with a kind it
// does not take. It still closes with AS.
#include <string>

#include "runtime/boundary/vrel_client_callback.h"
#include "runtime/boundary/vrel_script_entry.h"

namespace {

class MisbehavingScript : public vrel_client_callback {
public:
    MisbehavingScript(vrel_client_callback* host, const std::string& panels) : host_(host) {
        send("SD 'StC SDI Router'");              // kept: never handed back
        void* reply = send("RN 10 0 1");
        host_->notify(reply, 5);
        host_->notify(reply, 5);                  // the same reply again
        const std::string insert = "PI '1' '" + panels + "/Selector.vrel_ui'";
        host_->notify(send(insert.c_str()), 5);   // a status, not a reply
        host_->notify(send("PR '9'"), 5);         // a null status: harmless
        send("TP 'text=x' '1'");                  // a field short
        host_->notify(nullptr, 2);                // a kind only the host sends
    }
    ~MisbehavingScript() override { send("AS"); }

    void* VREL_CALLBACK notify(void*, int) override { return nullptr; }

private:
    void* send(const char* text) { return host_->notify(const_cast<char*>(text), 0); }
    vrel_client_callback* host_;
};

}  // namespace

extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* load_vrel_client_script(
    vrel_client_callback* host, const char* text) {
    return new MisbehavingScript(host, text ? text : "");
}
