#include "bwpack/file_error.h"

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <filesystem>
#include <string_view>
#include <utility>

#include <locale.h>
#include <wchar.h>

namespace bw::pack {
namespace {

std::string PlacePrefix(const std::string& path, const FilePlace& place)
{
    std::string prefix = path;
    if (place.line > 0) prefix += ":" + std::to_string(place.line);
    if (place.line > 0 && place.column > 0) prefix += ":" + std::to_string(place.column);
    return prefix;
}

// Widths are read as UTF-8 whatever the user's locale says, so the caret
// stands in the same place for every author.
class Utf8Widths {
public:
    Utf8Widths() : m_locale(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {}
    ~Utf8Widths()
    {
        if (m_locale != locale_t{}) freelocale(m_locale);
    }
    Utf8Widths(const Utf8Widths&) = delete;
    Utf8Widths& operator=(const Utf8Widths&) = delete;

    // The columns a terminal gives the character that starts the text, and
    // its length in bytes. Bytes that are no UTF-8 character take a column
    // each (terminals show a replacement mark), and so does every byte when
    // no UTF-8 locale can be had.
    std::pair<int, size_t> CharacterAt(std::string_view text) const
    {
        if (m_locale == locale_t{}) return {1, 1};
        const locale_t previous = uselocale(m_locale);
        std::mbstate_t state{};
        wchar_t character = 0;
        const size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
        const bool whole = length != 0 && length <= text.size();
        const int width = whole ? wcwidth(character) : 1;
        uselocale(previous);
        if (!whole) return {1, 1};
        // Control characters have no width of their own; a blank stands for them.
        return {width < 0 ? 1 : width, length};
    }

private:
    locale_t m_locale;
};

// The caret lands under the column on a terminal: every character before it
// becomes as many blanks as the columns it takes (two for a wide one), and
// a tab stays a tab, so that it lines up however wide tabs are shown.
std::string CaretLine(const std::string& lineText, int32_t column)
{
    const size_t before = static_cast<size_t>(std::max(column - 1, 0));
    const std::string_view shown(lineText.data(), std::min(before, lineText.size()));
    const Utf8Widths widths;
    std::string caret;
    for (size_t i = 0; i < shown.size();) {
        if (shown[i] == '\t') {
            caret += '\t';
            ++i;
            continue;
        }
        const auto [width, length] = widths.CharacterAt(shown.substr(i));
        caret.append(static_cast<size_t>(width), ' ');
        i += length;
    }
    // A column past the line's end (the end of the file) is counted in bytes.
    caret.append(before - shown.size(), ' ');
    return caret + "^";
}

}  // namespace

FileError::FileError(FilePlace place, const std::string& cause)
    : BuildError(PlacePrefix(place.file, place) + ": " + cause), m_place(std::move(place)), m_cause(cause)
{
}

std::string Project_DisplayPath(const std::string& projectFolder, const std::string& file,
                                const std::string& currentFolder)
{
    const std::filesystem::path joined = (std::filesystem::path(projectFolder) / file).lexically_normal();
    if (joined.is_absolute()) {
        const std::filesystem::path relative = joined.lexically_relative(currentFolder);
        if (!relative.empty() && *relative.begin() != "..") return relative.string();
    }
    return joined.string();
}

std::string FileError_Describe(const FileError& error, const std::string& path)
{
    const FilePlace& place = error.Place();
    std::string text = PlacePrefix(path, place) + ": " + error.Cause() + "\n";
    if (place.line > 0 && place.column > 0) {
        text += place.lineText + "\n" + CaretLine(place.lineText, place.column) + "\n";
    }
    return text;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

}  // namespace bw::pack
