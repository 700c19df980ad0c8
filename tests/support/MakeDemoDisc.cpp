// Writes the demo disc image that `make run` offers as a drive: a few short tracks of
// synthesized music, as a CUE sheet and its BIN file.
#include <filesystem>
#include <iostream>

#include "DiscImages.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: quillon-make-demo-disc FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    // Five tracks of 20 to 40 seconds (75 frames a second).
    const DiscImage image = writeCueImage(folder, "Quillon Demo Disc",
                                          {75 * 31, 75 * 22, 75 * 40, 75 * 27, 75 * 35}, 7);
    std::cout << image.sheet.string() << "\n";
    return 0;
}
