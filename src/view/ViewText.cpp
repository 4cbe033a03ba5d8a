#include "view/ViewText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "escape/PlaneFigure.h"

namespace galleri {

namespace {

// Reads one whole field as a finite double, or says why not.
std::optional<double> ReadNumber(std::string_view field, std::string& error) {
    double value = 0;
    const char* end = field.data() + field.size();
    const std::from_chars_result r = std::from_chars(field.data(), end, value);
    std::string quoted(1, '\'');
    quoted.append(field);
    quoted.push_back('\'');
    if (field.empty()) {
        error = "a number is missing";
    } else if (r.ec == std::errc::result_out_of_range) {
        error = quoted + " is out of the range of a double";
    } else if (r.ec != std::errc() || r.ptr != end) {
        error = quoted + " is not a number";
    } else if (!std::isfinite(value)) {
        error = quoted + " is not a finite number";
    } else {
        return value;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string_view> SplitView(std::string_view text, std::string& error) {
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (fields.size() != 4) {
        const std::string found =
            fields.size() == 1 ? "1 field" : std::to_string(fields.size()) + " fields";
        error = "expected four numbers LEFT,RIGHT,BOTTOM,TOP separated by commas, found " + found;
        fields.clear();
    }
    return fields;
}

std::string Shortest(double value) {
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::string FormatView(const PlaneRect& view) {
    return Shortest(view.left) + "," + Shortest(view.right) + "," + Shortest(view.bottom) + "," +
           Shortest(view.top);
}

ParsedView ParseView(std::string_view text) {
    ParsedView parsed;
    const std::vector<std::string_view> fields = SplitView(text, parsed.error);
    if (fields.empty()) {
        return parsed;
    }
    double values[4];
    for (size_t k = 0; k < 4; ++k) {
        const std::optional<double> value = ReadNumber(fields[k], parsed.error);
        if (!value) {
            return parsed;
        }
        values[k] = *value;
    }
    if (values[0] == values[1]) {
        parsed.error = "LEFT and RIGHT are equal";
    } else if (values[2] == values[3]) {
        parsed.error = "BOTTOM and TOP are equal";
    } else {
        parsed.view = PlaneRect{values[0], values[1], values[2], values[3]};
    }
    return parsed;
}

std::string RenderArguments(std::string_view item, int width, int height, const PlaneRect& view,
                            const PlaneRect& own, int64_t iterations, int64_t ownIterations,
                            std::string_view colouring) {
    return RenderArguments(item, width, height, SameRect(view, own) ? "" : FormatView(view),
                           iterations, ownIterations, colouring);
}

std::string RenderArguments(std::string_view item, int width, int height, std::string_view viewText,
                            int64_t iterations, int64_t ownIterations, std::string_view colouring) {
    std::string args = "--size " + std::to_string(width) + "x" + std::to_string(height);
    if (!viewText.empty()) {
        args += " --view ";
        args += viewText;
    }
    if (iterations != ownIterations) {
        args += " --iterations " + std::to_string(iterations);
    }
    if (!colouring.empty()) {
        args += " ";
        args += colouring;
    }
    args += " ";
    args += item;
    return args;
}

std::string FormatZoom(double factor) {
    char buffer[32];
    if (factor >= 100 && factor < 1e4) {
        std::snprintf(buffer, sizeof buffer, "x %.0f", factor);
        return buffer;
    }
    if (factor >= 0.01 && factor < 100) {
        std::snprintf(buffer, sizeof buffer, "x %.3g", factor);
        return buffer;
    }
    // "1.5e+06" reads better as "1.5e6".
    std::snprintf(buffer, sizeof buffer, "%.1e", factor);
    std::string text = buffer;
    const size_t e = text.find('e');
    if (e == std::string::npos) {
        return "x " + text;  // inf or nan
    }
    std::string mantissa = text.substr(0, e);
    if (mantissa.size() > 2 && mantissa.compare(mantissa.size() - 2, 2, ".0") == 0) {
        mantissa.resize(mantissa.size() - 2);
    }
    const int exponent = std::stoi(text.substr(e + 1));
    return "x " + mantissa + "e" + std::to_string(exponent);
}

}  // namespace galleri
