// What the tests that hold the documentation to quillon-cli's help share: the words a
// pattern picks out of a text, and a list of them for a failure message.
#pragma once

#include <regex>
#include <set>
#include <string>

// The first group of every match of pattern in text.
inline std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern);
         match != std::sregex_iterator(); ++match)
        found.insert((*match)[1].str());
    return found;
}

inline std::string join(const std::set<std::string>& words) {
    std::string result;
    for (const std::string& word : words)
        result += (result.empty() ? "" : ", ") + word;
    return result;
}
