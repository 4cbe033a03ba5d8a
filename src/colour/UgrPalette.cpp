#include <algorithm>

#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

using namespace palette_text;

namespace {

// Ultra Fractal's gradient has 400 places; its colours are Windows colour
// values, red in the lowest byte, as the program's own.
constexpr long long kPlaces = 400;
constexpr long long kMaxColour = 0xFFFFFF;

struct Token {
    std::string_view text;
    int line;
};

struct TokenError {
    int line;
    std::string message;
};

// Words, with "{" and "}" words of their own, ";" starting a comment that
// runs to the end of the line, and a quoted value ("Cafe Latte") one word.
std::optional<TokenError> Tokenise(std::string_view text, std::vector<Token>& tokens) {
    int line = 1;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (IsSpace(c)) {
            ++i;
        } else if (c == ';') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
        } else if (c == '{' || c == '}') {
            tokens.push_back({text.substr(i, 1), line});
            ++i;
        } else {
            const size_t start = i;
            bool quoted = false;
            while (i < text.size() && text[i] != '\n' &&
                   (quoted || (!IsSpace(text[i]) && text[i] != '{' && text[i] != '}'))) {
                if (text[i] == '"') {
                    quoted = !quoted;
                }
                ++i;
            }
            if (quoted) {
                return TokenError{line, "a quote is not closed on its line"};
            }
            tokens.push_back({text.substr(start, i - start), line});
        }
    }
    return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

struct Entry {
    std::string name;
    std::string title;
    int openLine = 0;
    std::vector<std::pair<long long, Rgb8>> colours;  // place, colour
};

class UgrReader {
  public:
    UgrReader(std::vector<Token> tokens, std::string_view fileName)
        : tokens_(std::move(tokens)), fileName_(fileName) {}

    bool AtEnd() const { return next_ == tokens_.size(); }

    // The next entry, or the error that ends the reading.
    std::optional<PaletteResult> ReadEntry(Entry& entry) {
        const int nameLine = tokens_[next_].line;
        std::string name;
        while (!AtEnd() && tokens_[next_].text != "{") {
            if (tokens_[next_].text == "}") {
                return FailAt(fileName_, tokens_[next_].line, "'}' without '{' before it");
            }
            if (!name.empty()) {
                name += ' ';
            }
            name += tokens_[next_++].text;
        }
        if (AtEnd()) {
            return FailAt(fileName_, nameLine, "expected '{' after the gradient's name");
        }
        if (name.empty()) {
            return FailAt(fileName_, tokens_[next_].line, "expected a name before '{'");
        }
        entry.name = name;
        entry.openLine = tokens_[next_++].line;
        std::string section;
        std::optional<std::pair<long long, int>> place;  // index= waiting for its color=
        while (!AtEnd() && tokens_[next_].text != "}") {
            const Token& t = tokens_[next_++];
            if (t.text == "{") {
                return FailAt(fileName_, t.line, "'{' inside the entry " + QuoteWord(name));
            }
            const size_t equals = t.text.find('=');
            if (equals == std::string_view::npos && t.text.back() == ':') {
                section = t.text.substr(0, t.text.size() - 1);
                continue;
            }
            if (section != "gradient") {
                continue;
            }
            if (equals == std::string_view::npos) {
                return FailAt(fileName_, t.line, "expected key=value, not " + QuoteWord(t.text));
            }
            const std::string_view key = t.text.substr(0, equals);
            const std::string_view value = t.text.substr(equals + 1);
            if (key == "title") {
                entry.title = Unquote(value);
            } else if (key == "index") {
                const std::optional<long long> n = ParseInteger(value);
                if (place) {
                    return FailAt(fileName_, t.line, "index= follows an index= without color=");
                }
                if (!n || *n < 0 || *n >= kPlaces) {
                    return FailAt(
                        fileName_, t.line,
                        "expected index= a whole number 0 to 399, not " + QuoteWord(value));
                }
                place = {{*n, t.line}};
            } else if (key == "color") {
                const std::optional<long long> n = ParseInteger(value);
                if (!place) {
                    return FailAt(fileName_, t.line, "color= without an index= before it");
                }
                if (!n || *n < 0 || *n > kMaxColour) {
                    return FailAt(
                        fileName_, t.line,
                        "expected color= a whole number 0 to 16777215, not " + QuoteWord(value));
                }
                entry.colours.push_back({place->first, UnpackColour(static_cast<uint32_t>(*n))});
                place.reset();
            }
        }
        if (AtEnd()) {
            return FailAt(fileName_, entry.openLine,
                          "the entry " + QuoteWord(name) + " is not closed by '}'");
        }
        ++next_;
        if (place) {
            return FailAt(fileName_, place->second, "index= without color= after it");
        }
        return std::nullopt;
    }

  private:
    std::vector<Token> tokens_;
    size_t next_ = 0;
    std::string_view fileName_;
};

}  // namespace

PaletteResult ParseUgrPalette(std::string_view text, std::string_view fileName,
                              std::optional<std::string_view> gradientName) {
    std::vector<Token> tokens;
    if (const std::optional<TokenError> error = Tokenise(text, tokens)) {
        return FailAt(fileName, error->line, error->message);
    }
    UgrReader reader(std::move(tokens), fileName);
    while (!reader.AtEnd()) {
        Entry entry;
        if (std::optional<PaletteResult> error = reader.ReadEntry(entry)) {
            return std::move(*error);
        }
        if (gradientName && entry.name != *gradientName) {
            continue;
        }
        if (entry.colours.empty()) {
            return FailAt(fileName, entry.openLine,
                          "the gradient " + QuoteWord(entry.name) + " has no colours");
        }
        std::stable_sort(entry.colours.begin(), entry.colours.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        Palette palette{entry.title.empty() ? entry.name : entry.title, {}};
        for (const auto& [index, colour] : entry.colours) {
            palette.stops.push_back({static_cast<double>(index) / kPlaces, colour});
        }
        return {std::move(palette), {}};
    }
    if (gradientName) {
        return Fail(fileName, "no gradient named " + QuoteWord(*gradientName));
    }
    return Fail(fileName, "no gradient");
}

}  // namespace galleri
