// CheckedScript: one script created from a library's entry and driven through
// the protocol kit's script driver (host/protocol/script_driver.h), which
// checks the script's side of every call and reports to the case's report. A
// script the entry does not create is a failure of the case.
//
// The host may be null (a script without a host). The host and the report
// must outlive this object. One thread.
#pragma once

#include "case_report.h"
#include "checking_host.h"
#include "host/protocol/script_driver.h"

namespace validator {

class CheckedScript : public vrelhost::ScriptDriver {
public:
    CheckedScript(Entry entry, CheckingHost* host, CaseReport& report, const char* creationText)
        : ScriptDriver(host, report) {
        if (!create(entry, creationText)) report.fail("load_vrel_client_script returned no script");
    }
};

}  // namespace validator
