#include "app/command_request.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "app/usage.h"

namespace bw {

namespace {

// The switches whose next token is their argument.
bool Switch_TakesArgument(std::string_view token)
{
    static constexpr std::array<std::string_view, 5> kWithArgument = {"-game", "-record", "-playback", "-output",
                                                                      "-debugoutput"};
    return std::ranges::find(kWithArgument, token) != kWithArgument.end();
}

}  // namespace

CommandRequest CommandLine_Request(std::span<const std::string> tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "--help" || token == "-h") {
            return {CommandRequestKind::Help, {}};
        }
        if (token == "--version") {
            return {CommandRequestKind::Version, {}};
        }
        if (Switch_TakesArgument(token)) {
            if (i + 1 == tokens.size()) {
                return {CommandRequestKind::MissingArgument, token};
            }
            ++i;
        }
    }
    return {};
}

std::optional<int> Runner_AnswerRequest(const CommandRequest& request)
{
    switch (request.kind) {
    case CommandRequestKind::Play:
        return std::nullopt;
    case CommandRequestKind::Help:
        std::fputs(Runner_Usage(), stdout);
        return 0;
    case CommandRequestKind::Version:
        std::fputs(Runner_Version(), stdout);
        return 0;
    case CommandRequestKind::MissingArgument:
        std::fprintf(stderr, "%s needs a FILE after it: nothing was started\n", request.switchName.c_str());
        std::fputs(Runner_Usage(), stderr);
        return 1;
    }
    return std::nullopt;
}

}  // namespace bw
