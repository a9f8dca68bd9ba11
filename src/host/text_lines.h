// The lines of a text shown to the player. Game texts end their lines in
// any of the three ways: a message's '#' becomes a lone CR, error reports
// use CR LF, and game code writes LF. Every dialog breaks lines at each of
// them alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bw {

// The text's lines without their ends; a text that ends in a line end has
// an empty last line, and an empty text is one empty line.
std::vector<std::string_view> HostText_SplitLines(std::string_view text);

// The text with every line end made a LF, as a terminal shows lines.
std::string HostText_WithLineFeeds(std::string_view text);

}  // namespace bw
