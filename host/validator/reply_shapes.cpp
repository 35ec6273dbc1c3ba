#include "reply_shapes.h"

#include <memory>

#include "host/protocol/command_grammar.h"

namespace validator {
namespace {

constexpr int shapeCount = 9;

std::optional<std::string> shaped(int shape, const std::string& command) {
    switch (shape) {
    case 0: return std::nullopt;
    case 1: return std::string();
    case 2: return std::string(1000, 'W');
    case 3: return std::string("no equals sign here");
    case 4: return vrelhost::askedProperty(command) + "=" + std::string(1000, 'V');
    case 5: return std::string("other=1");  // an answer for another property
    case 6: return std::string("12 7");
    case 7: return std::string("'quoted text' and a ' stray apostrophe");
    default: return plausibleReply(command);
    }
}

}  // namespace

std::optional<std::string> plausibleReply(const std::string& command) {
    using vrelhost::CommandCode;
    const std::optional<CommandCode> code = vrelhost::commandCodeOf(command.c_str());
    if (!code || vrelhost::replyOf(*code) != vrelhost::ReplyKind::query) return std::nullopt;
    switch (*code) {
    case CommandCode::SD: return std::string("57");
    case CommandCode::XI: return std::string("alm_1,alm_2");
    case CommandCode::RN: return std::string("Name");
    // From the text, not the fields: a command that does not fit still asks.
    case CommandCode::TG: return vrelhost::askedProperty(command) + "=ABC";
    default: return std::nullopt;  // a query added to the schema: nothing plausible known yet
    }
}

CheckingHost::Replies everyShape() {
    auto next = std::make_shared<int>(0);
    return [next](const std::string& command) {
        const int shape = *next;
        *next = (shape + 1) % shapeCount;
        return shaped(shape, command);
    };
}

CheckingHost::Replies randomShape(std::mt19937_64& random) {
    return [&random](const std::string& command) {
        return shaped(static_cast<int>(random() % (shapeCount + 3)), command);  // plausible more often
    };
}

CheckingHost::Replies noReplies() {
    return [](const std::string&) { return std::optional<std::string>(); };
}

}  // namespace validator
