// The windows the main window opens, each known by a key of its own rather than by its class
// name as a string, so that a misspelt window is a compile error, not a button that does
// nothing.
#pragma once

#include <array>

enum class WindowKey {
    aboutForm,
    options,
    rename,
    cdMsgForm,
    mixer,
    ripPropressForm,
    recorder,
    oggPlayer,
    wav2mp3,
    ogg2wav,
    wav2ogg,
    ogg2mp3,
    id3EditorMain,
    batchConverter,
};

// Every key, in the order start-up makes the windows.
inline constexpr std::array kWindowKeys = {
    WindowKey::aboutForm,     WindowKey::options,         WindowKey::rename,   WindowKey::cdMsgForm,
    WindowKey::mixer,         WindowKey::ripPropressForm, WindowKey::recorder, WindowKey::oggPlayer,
    WindowKey::wav2mp3,       WindowKey::ogg2wav,         WindowKey::wav2ogg,  WindowKey::ogg2mp3,
    WindowKey::id3EditorMain, WindowKey::batchConverter};

// The design's class name of the window ("Tmixer", "TOptions", ...), for pictures and logs.
constexpr const char* windowClassName(WindowKey key) {
    switch (key) {
        case WindowKey::aboutForm:
            return "TAboutForm";
        case WindowKey::options:
            return "TOptions";
        case WindowKey::rename:
            return "Trename";
        case WindowKey::cdMsgForm:
            return "TCdMsgForm";
        case WindowKey::mixer:
            return "Tmixer";
        case WindowKey::ripPropressForm:
            return "TRipPropressForm";
        case WindowKey::recorder:
            return "Trecorder";
        case WindowKey::oggPlayer:
            return "Toggplayer";
        case WindowKey::wav2mp3:
            return "Twav2mp3";
        case WindowKey::ogg2wav:
            return "Togg2wav";
        case WindowKey::wav2ogg:
            return "Twav2ogg";
        case WindowKey::ogg2mp3:
            return "Togg2mp3";
        case WindowKey::id3EditorMain:
            return "Tid3editormain";
        case WindowKey::batchConverter:
            return "TBatchConverterForm";
    }
    return "";
}
