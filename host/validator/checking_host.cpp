#include "checking_host.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>
#include <variant>

namespace validator {
namespace {

// What a command's fields name, told by the fields' names in the schema
// (command_codes.def): a control (a panel and a control), a device, a timer,
// or a device instance whose lookup answers a device number.
template <class T, class = void>
struct NamesControl : std::false_type {};
template <class T>
struct NamesControl<T, std::void_t<decltype(T::panel), decltype(T::control)>> : std::true_type {};

template <class T, class = void>
struct NamesDevice : std::false_type {};
template <class T>
struct NamesDevice<T, std::void_t<decltype(T::device)>> : std::true_type {};

template <class T, class = void>
struct NamesTimer : std::false_type {};
template <class T>
struct NamesTimer<T, std::void_t<decltype(T::timer)>> : std::true_type {};

template <class T, class = void>
struct LooksUpInstance : std::false_type {};
template <class T>
struct LooksUpInstance<T, std::void_t<decltype(T::instance)>> : std::true_type {};

// By code, so that it holds also for a command whose fields did not fit.
constexpr bool answersDeviceNumber[] = {
#define HOST_COMMAND(code, reply, fields) LooksUpInstance<vrelhost::cmd::code>::value,
#include "host/protocol/command_codes.def"
};

}  // namespace

void CheckingHost::received(const std::string& text) {
    ++commandCount_;
    lastCommand_ = text;
}

vrelhost::ProtocolHost::Answer CheckingHost::carryOut(const vrelhost::HostCommand& c,
                                                      const std::string& text) {
    // A command whose fields did not fit (monostate) names nothing that can be trusted.
    std::visit([this](const auto& fields) { noteNames(fields); }, c.fields);

    switch (vrelhost::replyOf(c.code)) {
    case vrelhost::ReplyKind::none: return Answer::none();
    case vrelhost::ReplyKind::status: return Answer::status();
    case vrelhost::ReplyKind::query: break;
    }
    std::optional<std::string> reply = replies_(text);
    if (reply && answersDeviceNumber[static_cast<int>(c.code)])
        noteNumber(devices_, std::atoi(reply->c_str()));
    return Answer::reply(std::move(reply));
}

template <class Named>
void CheckingHost::noteNames(const Named& fields) {
    if constexpr (NamesControl<Named>::value) noteControl(fields.panel, fields.control);
    if constexpr (NamesDevice<Named>::value) noteNumber(devices_, fields.device);
    if constexpr (NamesTimer<Named>::value) noteNumber(timers_, fields.timer);
    (void)fields;
}

void CheckingHost::noteNumber(std::vector<int>& numbers, int number) {
    constexpr std::size_t most = 64;
    if (numbers.size() < most && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
        numbers.push_back(number);
}

void CheckingHost::noteControl(const std::string& panel, const std::string& control) {
    constexpr std::size_t most = 512;
    if (controls_.size() >= most) return;
    const auto pair = std::make_pair(panel, control);
    if (std::find(controls_.begin(), controls_.end(), pair) == controls_.end()) controls_.push_back(pair);
}

}  // namespace validator
