// Fuzzes the splitting of name.sub.sub=value texts (parent commands, and the
// layout the host sends button events in).
//
// Beyond "no crash, no sanitizer report", every run checks that the parts put
// back together give the input again, that no part holds a separator it should
// have split at, and that the caller's text is left untouched.
#include <string>

#include "fuzzer_common.h"
#include "runtime/boundary/parsed_command.h"

namespace {

bool hasSeparator(const char* part) { return std::strpbrk(part, ".=") != nullptr; }

void checkSplit(const std::string& original, const parsed_command& parsed) {
    FUZZ_CHECK(parsed.subCount >= 0 && parsed.subCount <= parsed_command::maxSubs, "sub-part count in range");
    FUZZ_CHECK((parsed.buffer == nullptr) == original.empty(), "a buffer exactly when there is text");
    FUZZ_CHECK(parsed.hasValue || parsed.value[0] == '\0', "no value without an \"=\"");
    for (int i = parsed.subCount; i < parsed_command::maxSubs; ++i)
        FUZZ_CHECK(parsed.sub[i][0] == '\0', "unused sub-parts are empty");

    std::string joined = parsed.command;
    for (int i = 0; i < parsed.subCount; ++i) joined += std::string(".") + parsed.sub[i];
    if (parsed.hasValue) joined += std::string("=") + parsed.value;
    FUZZ_CHECK(joined == original, "the parts give the input back");

    FUZZ_CHECK(!hasSeparator(parsed.command), "command ends at the first separator");
    // Only the last of 32 sub-parts may keep the rest of the text, dots and all.
    const int strict = parsed.subCount == parsed_command::maxSubs ? parsed.subCount - 1 : parsed.subCount;
    for (int i = 0; i < strict; ++i) FUZZ_CHECK(!hasSeparator(parsed.sub[i]), "sub-part ends at a separator");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        parsed_command none(nullptr);
        checkSplit("", none);
        return 0;
    }
    // The text ends at the first NUL, as a C text does.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const fuzz::ExactText input(text);
    const std::string original(input.get());
    {
        parsed_command parsed(input.get());
        checkSplit(original, parsed);
    }
    FUZZ_CHECK(original == input.get(), "the caller's text is not modified");
    return 0;
}
