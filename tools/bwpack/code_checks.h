// What bwpack checks in a code file's text before the compiler sees it, and
// how a place in that text is shown to its author.
#pragma once

#include <cstdint>

#include "bwpack/file_error.h"
#include "bwpack/project.h"

namespace bw::pack {

// The place of a byte offset in a code file. Lines end where the lexer ends
// them: at a carriage return, a line feed, or the two together. The column
// counts bytes from 1 since the line began; the line's text runs to its end,
// or to a NUL byte, which ends the text the runner reads.
FilePlace Code_FilePlace(const CodeText& code, int32_t position);

// Refuses text the runner would lose without a word, throwing FileError at
// the place of the first such text: a NUL byte (the runner reads the code up
// to it), a string or comment never closed (it takes the rest of the file),
// and a character outside ASCII anywhere but in a string or a comment (the
// runner skips its bytes as blanks, so a name written in another script
// vanishes or becomes another name).
void Code_RefuseLostText(const CodeText& code);

}  // namespace bw::pack
