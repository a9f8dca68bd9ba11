#include "platform/filename.h"

#include <string>
#include <string_view>

#include "platform/strings.h"

namespace bw {

namespace {

char* NewText(std::string_view text)
{
    char* block = nullptr;
    VCL_StringAssign(&block, std::string(text).c_str());
    return block;
}

std::string_view NameOrEmpty(const char* name) { return name != nullptr ? std::string_view(name) : std::string_view(); }

// std::isalpha would follow the process's locale; drive letters are ASCII.
bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where the last part begins: just behind the last separator, else 0.
size_t LastPartStart(std::string_view name)
{
    size_t separator = name.find_last_of("\\/");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

char* FilenamePath(const char* name)
{
    std::string_view text = NameOrEmpty(name);
    size_t start = LastPartStart(text);
    return NewText(start <= 1 ? std::string_view() : text.substr(0, start - 1));
}

char* FilenameFolder(const char* name)
{
    std::string_view text = NameOrEmpty(name);
    return NewText(text.substr(0, LastPartStart(text)));
}

char* FilenameName(const char* name)
{
    std::string_view text = NameOrEmpty(name);
    return NewText(text.substr(LastPartStart(text)));
}

char* FilenameDrive(const char* name)
{
    std::string_view text = NameOrEmpty(name);
    const bool drive = text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':';
    return NewText(drive ? text.substr(0, 2) : std::string_view());
}

char* FilenameExt(const char* name)
{
    std::string_view text = NameOrEmpty(name);
    std::string_view last = text.substr(LastPartStart(text));
    size_t dot = last.rfind('.');
    return NewText(dot == std::string_view::npos ? std::string_view() : last.substr(dot));
}

}  // namespace bw
