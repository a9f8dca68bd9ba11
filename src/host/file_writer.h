// A file game code holds open for writing, seen through a stdio stream. Two
// kinds stand behind it: a file rewritten from its start is held in a hidden
// copy until it is closed (host/held_file.h); a file appended to is written
// in place (host/append_file.h).
#pragma once

#include <cstdio>
#include <string>

namespace bw {

class FileWriter {
public:
    virtual ~FileWriter() = default;

    // The stream the game's writes go to; null when the file could not be
    // opened, Error saying why.
    virtual FILE* Stream() const = 0;
    // Ends the writing. False when anything failed, Error saying why.
    virtual bool Close() = 0;
    // Why the first failure happened; empty while nothing failed.
    virtual const std::string& Error() const = 0;
};

}  // namespace bw
