// Fuzzes the tokenizer of host replies. The first input byte is the quote
// character, the rest the reply.
//
// Each run compares the tokens with a second, independently written reading of
// the same rules: tokens are separated by blanks outside quotes, a quoted
// stretch is one token, empty quotes make an empty token, the first token
// always starts at the first character, and at most 32 tokens are taken.
#include <string>
#include <vector>

#include "decode_vrel_string.h"
#include "fuzzer_common.h"

namespace {

std::vector<std::string> expectedTokens(const std::string& text, char quote) {
    std::vector<std::string> tokens;
    if (text.empty()) return tokens;
    tokens.emplace_back();  // the first token starts at the first character, even when it stays empty
    bool open = true;       // characters still go to the last token
    bool inQuotes = false;
    char previous = '\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inQuotes && c == quote) {
            inQuotes = true;
            open = false;
        } else if (!inQuotes && c == ' ') {
            open = false;
        } else if (inQuotes && c == quote) {
            inQuotes = false;
            if (previous == quote) {  // the quotes held nothing
                if (tokens.size() == decodeVRELString::maxTokens) break;
                tokens.emplace_back();
            }
            open = false;
        } else {
            if (!open) {
                if (tokens.size() == decodeVRELString::maxTokens) break;
                tokens.emplace_back();
                open = true;
            }
            tokens.back() += c;
        }
        previous = c;
    }
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char quote = size > 0 ? static_cast<char>(data[0]) : '\'';
    const std::string rest = size > 1 ? std::string(reinterpret_cast<const char*>(data + 1), size - 1) : "";
    const fuzz::ExactText input(rest);
    const std::string original(input.get());  // up to the first NUL
    const std::vector<std::string> expected = expectedTokens(original, quote);
    {
        decodeVRELString decoded(original.empty() && size % 2 ? nullptr : input.get(), quote);
        FUZZ_CHECK(decoded.count == static_cast<int>(expected.size()), "token count");
        FUZZ_CHECK((decoded.buffer == nullptr) == original.empty(), "a buffer exactly when there is text");
        FUZZ_CHECK(decoded.quote == quote, "quote kept");
        for (int i = 0; i < decodeVRELString::maxTokens; ++i) {
            const std::string want = i < decoded.count ? expected[static_cast<std::size_t>(i)] : "";
            FUZZ_CHECK(want == decoded.token[i], "token text");
        }
    }
    FUZZ_CHECK(original == input.get(), "the caller's text is not modified");
    return 0;
}
