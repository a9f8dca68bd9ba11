#include "app/command_request.h"

#include <array>
#include <cstdio>

#include "app/usage.h"

namespace bw {

bool Switch_TakesArgument(std::string_view token)
{
    static constexpr std::array<std::string_view, 5> kWithArgument = {"-game", "-record", "-playback", "-output",
                                                                      "-debugoutput"};
    for (std::string_view name : kWithArgument) {
        if (token == name) {
            return true;
        }
    }
    return false;
}

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
