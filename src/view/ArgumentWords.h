#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace galleri {

// One argument as a picture's text holds it: as it is when a shell would
// take it whole and unchanged, else in single quotes ("'my palette.ggr'",
// a quote inside as '\'').
std::string QuoteArgument(std::string_view argument);

// A picture's text split into its arguments: at blanks, except inside
// single quotes, which are taken away.
std::vector<std::string> SplitArguments(std::string_view text);

}  // namespace galleri
