#pragma once
// A dry run prints each effect on the outside world, one JSON object per line, instead of causing it.

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrane::platform::dry_run {

// A JSON string literal, quotes included, of UTF-16 text (converted to UTF-8; lone surrogates become U+FFFD).
std::string jsonString(std::u16string_view text);
std::string jsonString(std::string_view utf8);
std::string base64(std::string_view bytes);

class EffectPrinter {
public:
    explicit EffectPrinter(std::FILE* out = stdout) : out_(out) {}
    // Writes one line: {"effect":"<effect>",<fields in order>}. Each value is already JSON. Flushed at once,
    // so the lines survive an immediate process end and keep their order with other output.
    void print(std::string_view effect, const std::vector<std::pair<std::string, std::string>>& fields);

private:
    std::FILE* out_;
};

}  // namespace veltrane::platform::dry_run
