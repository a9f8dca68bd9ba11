// The console carries an error's whole report, but a person who started the
// runner from a shell, with no dialog shown ("-noerrors", or no display),
// may watch only standard error: the error that ends the game is also
// said there, on one line.
#pragma once

#include <string>

namespace bw {

// The report's words, without its rules, joined by single blanks into one
// line ended by a line feed.
std::string EndingError_Line(const std::string& report);

// When an error ended the game: its line on standard error, after all
// standard output so far.
void EndingError_Report();

}  // namespace bw
