// The host's command schema, expanded from the one list in command_codes.def:
// the codes, one struct of named fields per code (cmd::RM has device,
// database, index, text and flag), the fields of a parsed command as a
// variant of those structs, and a visit of a struct's fields with their names.
//
// A host dispatches on the variant (std::visit with one overload per struct),
// so a code added to the list is a compile error in every host that does not
// handle it, and no host reads a field by its position.
//
// Value types and constant tables only. Used by every host here.
#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <variant>

namespace vrelhost {

// What the host answers a command with.
enum class ReplyKind {
    none,    // null
    query,   // a reply buffer the script must hand back with kind 5, or null
    status,  // PI, PS, PR: a status the script only tests for null, never hands back
};

enum class CommandCode : unsigned char {
#define HOST_COMMAND(code, reply, fields) code,
#include "host/protocol/command_codes.def"
};

// The two letters of a code ("RM").
const char* codeName(CommandCode code);
ReplyKind replyOf(CommandCode code);

// One struct per code; a member per field, named as in command_codes.def.
namespace cmd {
// The member type of each field shape.
namespace member {
using T = std::string;                 // a text
using F = std::string;                 // the free text
using N = int;                         // a number
using t = std::optional<std::string>;  // a text that may be left out
using n = std::optional<int>;          // a number that may be left out
using a = bool;                        // 'ADD' given
}  // namespace member
#define HOST_FIELD(shape, name) member::shape name{};
#define HOST_COMMAND(code, reply, fields)                    \
    struct code {                                            \
        static constexpr CommandCode id = CommandCode::code; \
        fields                                               \
    };
#include "host/protocol/command_codes.def"
}  // namespace cmd

// The fields of a parsed command: the struct of its code, or monostate when a
// lenient host carries out a command whose fields did not fit (see
// protocol_host.h).
using CommandFields = std::variant<std::monostate
#define HOST_COMMAND(code, reply, fields) , cmd::code
#include "host/protocol/command_codes.def"
                                   >;

inline constexpr int commandCodeCount = static_cast<int>(std::variant_size_v<CommandFields>) - 1;

// Calls visit(name, member) for each field of `c`, in the order of the text.
// The member is an lvalue of its own type (std::string, int, bool, or an
// optional for a field that may be left out), const when `c` is.
template <class Visit>
void eachField(const std::monostate&, Visit&&) {}

// One overload per code, for its struct const or not.
template <class Command, class Code>
using IfCommandOf = std::enable_if_t<std::is_same_v<std::remove_const_t<Command>, Code>>;

#define HOST_FIELD(shape, name) visit(#name, c.name);
#define HOST_COMMAND(code, reply, fields)                                  \
    template <class Command, class Visit>                                  \
    IfCommandOf<Command, cmd::code> eachField(Command& c, Visit&& visit) { \
        (void)c;                                                           \
        (void)visit;                                                       \
        fields                                                             \
    }
#include "host/protocol/command_codes.def"

}  // namespace vrelhost
