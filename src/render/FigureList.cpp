#include "render/FigureList.h"

#include <algorithm>
#include <cstring>

#include "commands/Commands.h"

namespace galleri {

namespace {

// Characters on screen of a UTF-8 string ("träd" is four).
size_t DisplayWidth(const std::string& s) {
    return static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& s, size_t width) {
    return s + std::string(width > DisplayWidth(s) ? width - DisplayWidth(s) : 0, ' ') + "  ";
}

std::string MenuCaption(const char* item) {
    for (const Menu& m : Menus()) {
        if (item != nullptr && std::strcmp(m.item, item) == 0) {
            return m.caption;
        }
    }
    return {};
}

}  // namespace

std::string FigureList() {
    size_t itemWidth = 4;
    size_t captionWidth = 7;
    for (const Command& c : Commands()) {
        if (c.kind == CommandKind::Figure) {
            itemWidth = std::max(itemWidth, DisplayWidth(c.item));
            captionWidth = std::max(captionWidth, DisplayWidth(c.caption));
        }
    }
    std::string text = Pad("ITEM", itemWidth) + Pad("CAPTION", captionWidth) + "MENU\n";
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure) {
            continue;
        }
        std::string line =
            Pad(c.item, itemWidth) + Pad(c.caption, captionWidth) + MenuCaption(c.menu);
        if (!c.Enabled()) {
            line += "  (not built yet)";
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace galleri
