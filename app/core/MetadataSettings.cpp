#include "MetadataSettings.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>


namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The factor of a unit, 0 for one not known.
std::size_t unitFactor(std::string_view unit) {
    std::string upper;
    for (const char c : unit)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.empty() || upper == "B") return 1;
    if (upper == "K" || upper == "KB") return 1024;
    if (upper == "M" || upper == "MB") return 1024 * 1024;
    return 0;
}

}  // namespace

std::size_t readMaxCoverBytes(const TIniFile& settings) {
    const std::string stored = settings.ReadString("Metadata", "maxcover", "");
    const std::string_view text = trimmed(stored);
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end == text.data()) return kDefaultMaxCoverBytes;
    const std::size_t factor = unitFactor(trimmed(std::string_view(end, text.end() - end)));
    if (factor == 0 || value > std::numeric_limits<std::size_t>::max() / factor)
        return kDefaultMaxCoverBytes;
    return value * factor;
}
