#pragma once
// A dry run prints each effect on the outside world, one JSON object per line, instead of causing it.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrane::platform::dry_run {

// A JSON string literal, quotes included, of UTF-16 text (converted to UTF-8; lone surrogates become U+FFFD).
std::string jsonString(std::u16string_view text);
std::string jsonString(std::string_view utf8);
std::string base64(std::string_view bytes);

class EffectWriter {
public:
    explicit EffectWriter(std::ostream& out) : out_(out) {}
    // Writes one line: {"effect":"<effect>", the text fields (UTF-8, escaped here), then the number fields}.
    // Flushed at once, so the lines survive an immediate process end and keep their order with other output.
    void write(std::string_view effect, const std::vector<std::pair<std::string, std::string>>& textFields,
               const std::vector<std::pair<std::string, long>>& numberFields = {});

private:
    std::ostream& out_;
};

}  // namespace veltrane::platform::dry_run
