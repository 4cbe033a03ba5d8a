#include "render/FigureList.h"

#include <algorithm>
#include <cstring>

#include "colour/BuiltinPalettes.h"
#include "commands/Commands.h"
#include "commands/Descriptions.h"
#include "view/ColouringText.h"

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

// How deep --view reaches for a command: "-" where it does not apply.
std::string DeepColumn(const Command& c) {
    const std::optional<PlaneFigure> plane = c.Plane();
    if (!plane) {
        return "-";
    }
    const IterationKind kind = plane->params.kind;
    const bool quadratic = kind == IterationKind::Mandelbrot || kind == IterationKind::Julia ||
                           kind == IterationKind::BinaryDecomposition;
    return quadratic ? "any" : "1e-290";
}

}  // namespace

std::string FigureList() {
    size_t itemWidth = 4;
    size_t captionWidth = 7;
    size_t menuWidth = 4;
    for (const Command& c : Commands()) {
        if (c.kind == CommandKind::Figure) {
            itemWidth = std::max(itemWidth, DisplayWidth(c.item));
            captionWidth = std::max(captionWidth, DisplayWidth(c.caption));
            menuWidth = std::max(menuWidth, DisplayWidth(MenuCaption(c.menu)));
        }
    }
    std::string text = Pad("ITEM", itemWidth) + Pad("CAPTION", captionWidth) +
                       Pad("MENU", menuWidth) + Pad("VIEW", 4) + Pad("DEEP", 6) + "WHAT IT SHOWS\n";
    for (const Command& c : Commands()) {
        if (c.kind != CommandKind::Figure) {
            continue;
        }
        std::string line = Pad(c.item, itemWidth) + Pad(c.caption, captionWidth) +
                           Pad(MenuCaption(c.menu), menuWidth) + Pad(c.Plane() ? "yes" : "no", 4) +
                           Pad(DeepColumn(c), 6) + Describe(c);
        if (!c.Enabled()) {
            line += "  (not built yet)";
        }
        text += line + "\n";
    }
    return text;
}

std::string PaletteList() {
    size_t nameWidth = 4;
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        nameWidth = std::max(nameWidth, DisplayWidth(p.palette.name));
    }
    std::string text = Pad("NAME", nameWidth) + "WHAT IT LOOKS LIKE\n";
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        text += Pad(p.palette.name, nameWidth) + p.description;
        if (p.palette.name == kDefaultPalette) {
            text += " (the default)";
        }
        text += "\n";
    }
    return text;
}

}  // namespace galleri
