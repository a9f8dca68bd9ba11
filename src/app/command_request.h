// What the command line asks of the runner before any game starts: to play,
// or only to tell its usage or version, or nothing it can do because a
// switch lacks its FILE. Read before anything else runs, so a request the
// runner cannot carry out never starts a game that ignores it.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace bw {

enum class CommandRequestKind {
    Play,
    Help,             // "--help" or "-h"
    Version,          // "--version"
    MissingArgument,  // the last token is a switch that takes an argument
};

struct CommandRequest {
    CommandRequestKind kind = CommandRequestKind::Play;
    std::string switchName;  // the switch without its argument
};

// The tokens without the program name; a token that is some switch's
// argument is never read as a request.
CommandRequest CommandLine_Request(std::span<const std::string> tokens);

// Carries out a request that is not to play: the usage or the version on
// standard output (status 0), or what is missing and the usage on standard
// error (status 1). Nothing for Play.
std::optional<int> Runner_AnswerRequest(const CommandRequest& request);

}  // namespace bw
