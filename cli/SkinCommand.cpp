// quillon-cli skin: write out the skin built into the program, unpack a skin file into a
// folder, or pack a folder into a skin file.
#include <filesystem>
#include <iostream>

#include "CliSupport.h"
#include "ShippedSkin.h"
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

}  // namespace

int skinCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {}, {});
    const std::vector<std::string>& positional = args.positional();
    if (positional.empty()) throw UsageError("skin needs export, unpack or pack");
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
    throw UsageError("unknown skin command " + action);
}
