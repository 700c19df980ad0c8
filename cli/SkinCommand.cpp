// quillon-cli skin: write out the skin built into the program, unpack a skin file into a
// folder, pack a folder into a skin file, or check a skin file as the program would load it.
#include <filesystem>
#include <iostream>

#include "CliSupport.h"
#include "ShippedSkin.h"
#include "SkinCheck.h"
#include "SkinDirectory.h"
#include "SkinReader.h"

namespace fs = std::filesystem;

namespace {

int fail(const std::string& message) {
    std::cerr << "quillon-cli: " << message << "\n";
    return 1;
}

int exportSkin(const std::string& file) {
    const auto skin = ShippedSkinFile();
    if (skin.empty()) return fail("this program was built without a skin");
    WriteFileAtomically(file, skin);
    return 0;
}

int unpackSkin(const std::string& file, const std::string& folder) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return fail("no such skin file: " + file);
    const std::vector<std::uint8_t> bytes = ReadWholeFile(file);
    try {
        for (const std::string& name : UnpackSkinFile(bytes, folder))
            std::cerr << "quillon-cli: " << file << " holds " << name
                      << " more than once; the first one was written\n";
    } catch (const SkinDirectoryError& failure) {
        return fail(file + ": " + failure.what());
    }
    return 0;
}

int packSkin(const std::string& folder, const std::string& file) {
    WriteFileAtomically(file, PackSkinFile(ReadSkinDirectory(folder)));
    return 0;
}

// Every problem on a line of its own, then the frame a window would get, then the verdict.
int checkSkin(const std::string& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return fail("no such skin file: " + file);
    // Far more than any skin; reading it whole would only waste memory.
    constexpr std::uintmax_t kMaxSkinFile = std::uintmax_t(512) << 20;
    const std::uintmax_t size = fs::file_size(file, error);
    if (!error && size > kMaxSkinFile)
        return fail(file + ": " + std::to_string(size) + " bytes is too large for a skin file");
    const SkinCheckReport report = CheckSkinFile(ReadWholeFile(file));
    for (const SkinProblem& problem : report.problems)
        std::cout << file << ": " << (problem.severity == SkinProblem::error ? "error" : "warning")
                  << ": " << problem.text << "\n";
    if (report.loaded) {
        const QMargins& f = report.frame;
        std::cout << file << ": frame " << f.left() << " left, " << f.top() << " caption, "
                  << f.right() << " right, " << f.bottom() << " bottom; " << report.captionButtons
                  << " caption buttons\n";
    }
    const int errors = report.count(SkinProblem::error);
    const int warnings = report.count(SkinProblem::warning);
    if (report.usable()) {
        std::cout << file << ": usable";
        if (warnings > 0) std::cout << ", " << warnings << " warning" << (warnings > 1 ? "s" : "");
        std::cout << "\n";
        return 0;
    }
    std::cout << file << ": unusable, " << errors << " error" << (errors == 1 ? "" : "s") << "\n";
    return 1;
}

}  // namespace

int skinCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {}, {});
    const std::vector<std::string>& positional = args.positional();
    if (positional.empty()) throw UsageError("skin needs export, unpack, pack or check");
    const std::string& action = positional[0];
    if (action == "export") {
        if (positional.size() != 2) throw UsageError("skin export takes one FILE");
        return exportSkin(positional[1]);
    }
    if (action == "unpack") {
        if (positional.size() != 3) throw UsageError("skin unpack takes FILE and DIR");
        return unpackSkin(positional[1], positional[2]);
    }
    if (action == "pack") {
        if (positional.size() != 3) throw UsageError("skin pack takes DIR and FILE");
        return packSkin(positional[1], positional[2]);
    }
    if (action == "check") {
        if (positional.size() != 2) throw UsageError("skin check takes one FILE");
        return checkSkin(positional[1]);
    }
    throw UsageError("unknown skin command " + action);
}
