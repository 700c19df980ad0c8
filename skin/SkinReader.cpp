#include "SkinReader.h"

// Placeholder: the container reader is being written.
TSkinReader::OpenResult TSkinReader::OpenSkin(std::span<const std::uint8_t>) {
    return OpenResult::damaged;
}
std::vector<std::uint8_t> TSkinReader::ExtractFile(std::string_view) const { return {}; }
bool TSkinReader::FindFile(std::string_view, std::vector<std::uint8_t>& out, std::string&) const {
    out.clear();
    return false;
}
std::vector<std::uint8_t> PackSkinContainer(const std::vector<SkinEntry>&) { return {}; }
std::vector<std::uint8_t> PackSkinFile(const std::vector<SkinEntry>&) { return {}; }
