// A build fault at a place in one of the project's files. The file is named
// as game.json names it, relative to the project folder; the command line
// turns that into a path that opens from where bwpack was run, and prints
// "path:line:column: cause" first so that editors can jump to it.
#pragma once

#include <cstdint>
#include <string>

#include "bwpack/package_writer.h"

namespace bw::pack {

struct FilePlace {
    std::string file;      // relative to the project folder
    int32_t line = 0;      // from 1; 0 when the fault is the file as a whole
    int32_t column = 0;    // from 1, in bytes; 0 when only the line is known
    std::string lineText{};  // the source line, shown under the message with a caret
};

class FileError : public BuildError {
public:
    // what() is "file[:line[:column]]: cause".
    FileError(FilePlace place, const std::string& cause);

    const FilePlace& Place() const { return m_place; }
    const std::string& Cause() const { return m_cause; }

private:
    FilePlace m_place;
    std::string m_cause;
};

// The text in double quotes, as a cause names what the author wrote.
std::string Quoted(const std::string& text);

// The path of a project file as the user would type it from currentFolder:
// the project folder as given joined with the file, and an absolute result
// that lies inside currentFolder made relative to it.
std::string Project_DisplayPath(const std::string& projectFolder, const std::string& file,
                                const std::string& currentFolder);

// The error as printed: "path:line:column: cause", then, when the source
// line is known, the line and a caret under the column.
std::string FileError_Describe(const FileError& error, const std::string& path);

}  // namespace bw::pack
