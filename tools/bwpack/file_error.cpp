#include "bwpack/file_error.h"

#include <filesystem>

namespace bw::pack {
namespace {

std::string PlacePrefix(const std::string& path, const FilePlace& place)
{
    std::string prefix = path;
    if (place.line > 0) prefix += ":" + std::to_string(place.line);
    if (place.line > 0 && place.column > 0) prefix += ":" + std::to_string(place.column);
    return prefix;
}

// The caret lands under the column in any editor or terminal: tabs before it
// are kept as tabs, every other byte becomes a space.
std::string CaretLine(const std::string& lineText, int32_t column)
{
    std::string caret;
    for (size_t i = 0; i + 1 < static_cast<size_t>(column); ++i) {
        caret += i < lineText.size() && lineText[i] == '\t' ? '\t' : ' ';
    }
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

}  // namespace bw::pack
