// The replies a validator host gives to the script's queries (SD, XI, RN, TG).
//
// A real host answers sensibly, but a script must survive any answer: null,
// empty, 1,000 characters, a property answer without its "=", or one for
// another property. `plausibleReply` answers as a working site would;
// `everyShape` cycles through all the shapes in turn; `randomShape` picks one
// with the storm's generator, which must outlive the returned function.
#pragma once

#include <optional>
#include <random>
#include <string>

#include "checking_host.h"

namespace validator {

std::optional<std::string> plausibleReply(const std::string& command);
CheckingHost::Replies everyShape();
CheckingHost::Replies randomShape(std::mt19937_64& random);
CheckingHost::Replies noReplies();

}  // namespace validator
