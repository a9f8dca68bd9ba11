// The command-line token rules, shared by start-up (which reads the runner's
// own switches) and by starting programs (which turns an argument text into
// an argument vector, never handing it to a shell).
//
// A token starts at the first byte above the blank (bytes 1..32 are white
// space) and runs to white space outside quotes or to the end; a '"' toggles
// the in-quotes state and is not copied; every other byte is copied.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bw {

// Reads the token at or after position into *token and returns the position
// of the byte that ended it. At the end of the text (or with no text) the
// token is empty and position comes back unchanged.
size_t CommandLine_NextToken(size_t position, const char* text, std::string* token);

// Every token of the text, in order; a pair of quotes with nothing between
// them is an empty token.
std::vector<std::string> CommandLine_Split(const char* text);

// The process's own command line as start-up received it, the program
// itself first, kept for game code to read.
void CommandLine_SetProcessArguments(std::vector<std::string> arguments);
const std::vector<std::string>& CommandLine_ProcessArguments();

}  // namespace bw
