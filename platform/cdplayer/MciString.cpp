// The text form of the commands: parsed into the command records and sent on.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "CdTime.h"
#include "Mci.h"

using namespace quillon::cdplayer;

namespace {

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Words separated by blanks; a double-quoted stretch is one word.
std::vector<std::string> splitWords(const char* text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (const char* p = text; *p != '\0'; ++p) {
        const char c = *p;
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

// The words after the device name, read front to back.
class Words {
  public:
    explicit Words(std::vector<std::string> words) : m_words(std::move(words)) {}
    bool done() const { return m_next >= m_words.size(); }
    // Takes the phrase (words separated by single blanks) if the words continue with it, in
    // any letter case.
    bool take(std::string_view phrase) {
        std::size_t at = m_next;
        while (!phrase.empty()) {
            const std::size_t blank = phrase.find(' ');
            const std::string_view word = phrase.substr(0, blank);
            if (at >= m_words.size() || lower(m_words[at]) != word) return false;
            ++at;
            phrase =
                blank == std::string_view::npos ? std::string_view() : phrase.substr(blank + 1);
        }
        m_next = at;
        return true;
    }
    bool value(std::string& out) {
        if (done()) return false;
        out = m_words[m_next++];
        return true;
    }

  private:
    std::vector<std::string> m_words;
    std::size_t m_next = 0;
};

bool parseNumber(const std::string& text, std::uint32_t& value) {
    const char* end = text.data() + text.size();
    const auto [p, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && p == end;
}

// "t[:m[:s[:f]]]" in TMSF, "m[:s[:f]]" in MSF, as the packed value.
bool parsePosition(const std::string& text, std::uint32_t format, std::uint32_t& packed) {
    std::vector<std::uint32_t> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        std::uint32_t part = 0;
        if (!parseNumber(text.substr(start, colon - start), part) || part > 255) return false;
        parts.push_back(part);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (parts.size() > (format == MCI_FORMAT_TMSF ? 4u : 3u)) return false;
    packed = 0;
    for (std::size_t i = 0; i < parts.size(); ++i)
        packed |= parts[i] << (8 * i);
    return true;
}

std::string positionText(std::uint32_t packed, std::uint32_t format) {
    char text[16];
    if (format == MCI_FORMAT_TMSF) {
        const TrackPosition p = unpackTmsf(packed);
        std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", p.track, p.minute, p.second,
                      p.frame);
    } else {
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", packed & 0xFF, (packed >> 8) & 0xFF,
                      (packed >> 16) & 0xFF);
    }
    return text;
}

const char* modeText(std::uintptr_t mode) {
    switch (mode) {
        case MCI_MODE_STOP:
            return "stopped";
        case MCI_MODE_PLAY:
            return "playing";
        case MCI_MODE_RECORD:
            return "recording";
        case MCI_MODE_SEEK:
            return "seeking";
        case MCI_MODE_PAUSE:
            return "paused";
        case MCI_MODE_OPEN:
            return "open";
        default:
            return "not ready";
    }
}

std::uint32_t timeFormatOf(MCIDEVICEID id) {
    MCI_STATUS_PARMS status;
    status.dwItem = MCI_STATUS_TIME_FORMAT;
    mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<std::uintptr_t>(&status));
    return static_cast<std::uint32_t>(status.dwReturn);
}

MCIERROR openCommand(const std::string& device, Words& words, std::uint32_t flags,
                     std::string& answer) {
    MCI_OPEN_PARMSA open;
    std::string type = device, element, alias;
    flags |= MCI_OPEN_TYPE;
    while (!words.done()) {
        if (words.take("shareable")) {
            flags |= MCI_OPEN_SHAREABLE;
        } else if (words.take("alias")) {
            if (!words.value(alias)) return MCIERR_MISSING_PARAMETER;
            flags |= MCI_OPEN_ALIAS;
        } else if (words.take("type")) {
            // "open <drive> type cdaudio": the device word was the element.
            element = device;
            if (!words.value(type)) return MCIERR_MISSING_PARAMETER;
            flags |= MCI_OPEN_ELEMENT;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    open.lpstrDeviceType = type.c_str();
    open.lpstrElementName = element.c_str();
    open.lpstrAlias = alias.c_str();
    const MCIERROR error =
        mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<std::uintptr_t>(&open));
    if (error == 0) answer = std::to_string(open.wDeviceID);
    return error;
}

MCIERROR playCommand(MCIDEVICEID id, Words& words, std::uint32_t flags) {
    MCI_PLAY_PARMS play;
    const std::uint32_t format = timeFormatOf(id);
    std::string text;
    while (!words.done()) {
        std::uint32_t* target = nullptr;
        if (words.take("from")) {
            target = &play.dwFrom;
            flags |= MCI_FROM;
        } else if (words.take("to")) {
            target = &play.dwTo;
            flags |= MCI_TO;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (!words.value(text)) return MCIERR_MISSING_PARAMETER;
        if (!parsePosition(text, format, *target)) return MCIERR_BAD_INTEGER;
    }
    return mciSendCommandA(id, MCI_PLAY, flags, reinterpret_cast<std::uintptr_t>(&play));
}

MCIERROR seekCommand(MCIDEVICEID id, Words& words, std::uint32_t flags) {
    MCI_SEEK_PARMS seek;
    if (words.take("to start")) {
        flags |= MCI_SEEK_TO_START;
    } else if (words.take("to end")) {
        flags |= MCI_SEEK_TO_END;
    } else if (words.take("to")) {
        std::string text;
        if (!words.value(text)) return MCIERR_MISSING_PARAMETER;
        if (!parsePosition(text, timeFormatOf(id), seek.dwTo)) return MCIERR_BAD_INTEGER;
        flags |= MCI_TO;
    } else {
        return words.done() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    }
    if (!words.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    return mciSendCommandA(id, MCI_SEEK, flags, reinterpret_cast<std::uintptr_t>(&seek));
}

MCIERROR statusCommand(MCIDEVICEID id, Words& words, std::uint32_t flags, std::string& answer) {
    enum class Kind { number, mode, boolean, position, length, format };
    struct Item {
        const char* phrase;
        std::uint32_t item;
        Kind kind;
    };
    static const Item items[] = {
        {"mode", MCI_STATUS_MODE, Kind::mode},
        {"number of tracks", MCI_STATUS_NUMBER_OF_TRACKS, Kind::number},
        {"position", MCI_STATUS_POSITION, Kind::position},
        {"length", MCI_STATUS_LENGTH, Kind::length},
        {"current track", MCI_STATUS_CURRENT_TRACK, Kind::number},
        {"media present", MCI_STATUS_MEDIA_PRESENT, Kind::boolean},
        {"ready", MCI_STATUS_READY, Kind::boolean},
        {"time format", MCI_STATUS_TIME_FORMAT, Kind::format},
    };
    const Item* found = nullptr;
    for (const Item& item : items)
        if (!found && words.take(item.phrase)) found = &item;
    if (found == nullptr)
        return words.done() ? MCIERR_MISSING_PARAMETER : MCIERR_UNSUPPORTED_FUNCTION;
    MCI_STATUS_PARMS status;
    status.dwItem = found->item;
    flags |= MCI_STATUS_ITEM;
    if (words.take("track")) {
        std::string text;
        if (!words.value(text)) return MCIERR_MISSING_PARAMETER;
        if (!parseNumber(text, status.dwTrack)) return MCIERR_BAD_INTEGER;
        flags |= MCI_TRACK;
    }
    if (!words.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    const std::uint32_t format = timeFormatOf(id);
    const MCIERROR error =
        mciSendCommandA(id, MCI_STATUS, flags, reinterpret_cast<std::uintptr_t>(&status));
    if (error != 0) return error;
    const auto value = status.dwReturn;
    switch (found->kind) {
        case Kind::number:
            answer = std::to_string(value);
            break;
        case Kind::mode:
            answer = modeText(value);
            break;
        case Kind::boolean:
            answer = value != 0 ? "true" : "false";
            break;
        case Kind::position:
            answer = positionText(static_cast<std::uint32_t>(value), format);
            break;
        case Kind::length:
            answer = positionText(static_cast<std::uint32_t>(value), MCI_FORMAT_MSF);
            break;
        case Kind::format:
            answer = value == MCI_FORMAT_TMSF ? "tmsf" : "msf";
            break;
    }
    return 0;
}

MCIERROR setCommand(MCIDEVICEID id, Words& words, std::uint32_t flags) {
    MCI_SET_PARMS set;
    while (!words.done()) {
        if (words.take("door open")) {
            flags |= MCI_SET_DOOR_OPEN;
        } else if (words.take("door closed")) {
            flags |= MCI_SET_DOOR_CLOSED;
        } else if (words.take("time format tmsf")) {
            flags |= MCI_SET_TIME_FORMAT;
            set.dwTimeFormat = MCI_FORMAT_TMSF;
        } else if (words.take("time format msf")) {
            flags |= MCI_SET_TIME_FORMAT;
            set.dwTimeFormat = MCI_FORMAT_MSF;
        } else if (words.take("time format")) {
            return MCIERR_BAD_TIME_FORMAT;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    return mciSendCommandA(id, MCI_SET, flags, reinterpret_cast<std::uintptr_t>(&set));
}

MCIERROR capabilityCommand(MCIDEVICEID id, Words& words, std::uint32_t flags, std::string& answer) {
    struct Item {
        const char* phrase;
        std::uint32_t item;
    };
    static const Item items[] = {
        {"can eject", MCI_GETDEVCAPS_CAN_EJECT},
        {"can play", MCI_GETDEVCAPS_CAN_PLAY},
        {"can record", MCI_GETDEVCAPS_CAN_RECORD},
        {"can save", MCI_GETDEVCAPS_CAN_SAVE},
        {"has audio", MCI_GETDEVCAPS_HAS_AUDIO},
        {"has video", MCI_GETDEVCAPS_HAS_VIDEO},
        {"uses files", MCI_GETDEVCAPS_USES_FILES},
        {"compound device", MCI_GETDEVCAPS_COMPOUND_DEVICE},
        {"device type", MCI_GETDEVCAPS_DEVICE_TYPE},
    };
    MCI_GETDEVCAPS_PARMS caps;
    bool known = false;
    for (const Item& item : items) {
        if (!known && words.take(item.phrase)) {
            caps.dwItem = item.item;
            known = true;
        }
    }
    if (!known) return words.done() ? MCIERR_MISSING_PARAMETER : MCIERR_UNSUPPORTED_FUNCTION;
    if (!words.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    const MCIERROR error = mciSendCommandA(id, MCI_GETDEVCAPS, flags | MCI_GETDEVCAPS_ITEM,
                                           reinterpret_cast<std::uintptr_t>(&caps));
    if (error != 0) return error;
    if (caps.dwItem == MCI_GETDEVCAPS_DEVICE_TYPE)
        answer = "cdaudio";
    else
        answer = caps.dwReturn != 0 ? "true" : "false";
    return 0;
}

MCIERROR deviceCommand(const std::string& verb, MCIDEVICEID id, Words& words, std::uint32_t flags,
                       std::string& answer) {
    MCI_GENERIC_PARMS generic;
    const auto plain = [&](unsigned message) {
        if (!words.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
        return mciSendCommandA(id, message, flags, reinterpret_cast<std::uintptr_t>(&generic));
    };
    if (verb == "close") return plain(MCI_CLOSE);
    if (verb == "stop") return plain(MCI_STOP);
    if (verb == "pause") return plain(MCI_PAUSE);
    if (verb == "resume") return plain(MCI_RESUME);
    if (verb == "play") return playCommand(id, words, flags);
    if (verb == "seek") return seekCommand(id, words, flags);
    if (verb == "status") return statusCommand(id, words, flags, answer);
    if (verb == "set") return setCommand(id, words, flags);
    if (verb == "capability") return capabilityCommand(id, words, flags, answer);
    return MCIERR_UNRECOGNIZED_COMMAND;
}

MCIERROR putAnswer(const std::string& answer, char* out, unsigned length) {
    if (out == nullptr || length == 0) return 0;
    const std::size_t size = std::min<std::size_t>(answer.size(), length - 1);
    std::memcpy(out, answer.data(), size);
    out[size] = '\0';
    return size < answer.size() ? MCIERR_PARAM_OVERFLOW : 0;
}

}  // namespace

MCIERROR mciSendStringA(const char* command, char* returnString, unsigned returnLength,
                        std::uintptr_t) {
    if (returnString != nullptr && returnLength > 0) *returnString = '\0';
    if (command == nullptr) return MCIERR_MISSING_COMMAND_STRING;
    std::vector<std::string> all = splitWords(command);
    if (all.empty()) return MCIERR_MISSING_COMMAND_STRING;
    if (all.size() < 2) return MCIERR_MISSING_DEVICE_NAME;
    const std::string verb = lower(all[0]);
    const std::string device = all[1];

    // "wait" and "notify" may stand anywhere after the device name.
    std::uint32_t flags = 0;
    std::vector<std::string> rest;
    for (std::size_t i = 2; i < all.size(); ++i) {
        const std::string word = lower(all[i]);
        if (word == "wait")
            flags |= MCI_WAIT;
        else if (word == "notify")
            flags |= MCI_NOTIFY;
        else
            rest.push_back(all[i]);
    }
    Words words(std::move(rest));
    std::string answer;

    MCIERROR error = 0;
    if (verb == "open") {
        error = openCommand(device, words, flags, answer);
    } else if (MCIDEVICEID id = mciGetDeviceIDA(device.c_str()); id != 0) {
        error = deviceCommand(verb, id, words, flags, answer);
    } else if (lower(device) == "cdaudio") {
        // A device that is not open serves this one command.
        MCI_OPEN_PARMSA open;
        open.lpstrDeviceType = "cdaudio";
        error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE,
                                reinterpret_cast<std::uintptr_t>(&open));
        if (error != 0) return error;
        error = deviceCommand(verb, open.wDeviceID, words, flags, answer);
        if (verb != "close") mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0);
    } else {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (error != 0) return error;
    return putAnswer(answer, returnString, returnLength);
}
