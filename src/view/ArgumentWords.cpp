#include "view/ArgumentWords.h"

#include <algorithm>

namespace galleri {

namespace {

// Characters that mean nothing to a shell wherever they stand in a word;
// bytes past ASCII (UTF-8) are taken as they are.
bool Plain(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') ||
           std::string_view("_-+.,/:@%=").find(c) != std::string_view::npos;
}

}  // namespace

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && std::all_of(argument.begin(), argument.end(), Plain)) {
        return std::string(argument);
    }
    std::string quoted = "'";
    for (const char c : argument) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\'') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '\'') {
            quoted = true;
            inWord = true;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (c == ' ') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

}  // namespace galleri
