// The skin container reader on arbitrary bytes, both as a whole skin file and as the container
// inside one: it opens or refuses, and every entry it lists can be looked up. The skin check
// (`quillon-cli skin check`) of the same bytes agrees with the reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "LZH.h"
#include "SkinCheck.h"
#include "SkinReader.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_skin_container: %s\n", what);
        std::abort();
    }
}

void exercise(const std::vector<std::uint8_t>& skinFile) {
    TSkinReader reader;
    const auto result = reader.OpenSkin(skinFile);
    const SkinCheckReport report = CheckSkinFile(skinFile);
    check(report.loaded || report.count(SkinProblem::error) > 0, "refused without an error");
    if (result != TSkinReader::OpenResult::ok) {
        check(!report.loaded, "the check loaded what the reader refused");
        check(reader.names().empty(), "entries left after a failed open");
        check(!reader.errorText().empty(), "failure without a reason");
        return;
    }
    check(reader.names().size() <= TSkinReader::kMaxEntries, "too many entries");
    for (const std::string& name : reader.names()) {
        for (char c : name)
            check(c != '\r' && c != '\n' && !(c >= 'A' && c <= 'Z'), "name");
        std::vector<std::uint8_t> found;
        std::string foundName;
        check(reader.FindFile(name, found, foundName), "listed entry not found");
        check(reader.ExtractFile(foundName) == found, "lookups disagree");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::uint8_t> input(data, data + size);
    exercise(input);
    exercise(TLZH::Compress(input));
    return 0;
}
