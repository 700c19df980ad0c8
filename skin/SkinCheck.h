// Checking a skin file the way the program loads it: the container, the description, every
// bitmap it names, and the geometry the window frame and the controls are cut from. Skin
// authors reach it through `quillon-cli skin check`; the skin fuzzers go through it too, so
// that what is fuzzed is what authors are told about.
#pragma once

#include <QMargins>
#include <cstdint>
#include <span>
#include <vector>

#include "WinSkinData.h"

struct SkinCheckReport {
    // The load's own problems first, then those of the geometry.
    std::vector<SkinProblem> problems;
    bool loaded = false;  // the program would skin its windows with it
    // What a window is built from: the frame's margins (caption row at the top, menu row not
    // included) and the caption buttons of the skin (the three fixed MDI buttons not counted).
    QMargins frame;
    int captionButtons = 0;

    int count(SkinProblem::Severity severity) const;
    // Loaded, and nothing of it left out.
    bool usable() const { return loaded && count(SkinProblem::error) == 0; }
};

// Loads the skin file into the component through its stored property, as start-up does, and
// checks what it loaded.
SkinCheckReport CheckSkin(TSkinData& skin, std::span<const std::uint8_t> skinFile);
// The same with a component of its own.
SkinCheckReport CheckSkinFile(std::span<const std::uint8_t> skinFile);
