#include "platform/command_line.h"

namespace bw {

namespace {

bool IsWhiteSpace(char c)
{
    auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

size_t SkipWhiteSpace(size_t position, const char* text)
{
    while (IsWhiteSpace(text[position])) ++position;
    return position;
}

}  // namespace

size_t CommandLine_NextToken(size_t position, const char* text, std::string* token)
{
    token->clear();
    if (text == nullptr || text[position] == '\0') return position;
    position = SkipWhiteSpace(position, text);
    bool quoted = false;
    for (; text[position] != '\0'; ++position) {
        char c = text[position];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && IsWhiteSpace(c)) {
            break;
        } else {
            *token += c;
        }
    }
    return position;
}

std::vector<std::string> CommandLine_Split(const char* text)
{
    std::vector<std::string> tokens;
    if (text == nullptr) return tokens;
    size_t position = SkipWhiteSpace(0, text);
    while (text[position] != '\0') {
        std::string token;
        position = SkipWhiteSpace(CommandLine_NextToken(position, text, &token), text);
        tokens.push_back(std::move(token));
    }
    return tokens;
}

namespace {
std::vector<std::string>& ProcessArguments()
{
    static std::vector<std::string> arguments;
    return arguments;
}
}  // namespace

void CommandLine_SetProcessArguments(std::vector<std::string> arguments)
{
    ProcessArguments() = std::move(arguments);
}

const std::vector<std::string>& CommandLine_ProcessArguments()
{
    return ProcessArguments();
}

}  // namespace bw
