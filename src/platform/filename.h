// The parts of a file name, worked out from the text alone (the file system
// is never asked). Both '\' and '/' separate folders, since game code writes
// either. Each result is a new memory-manager text the caller frees; a null
// name gives the empty text.
#pragma once

namespace bw {

// Everything before the last separator; empty when there is none or it is
// the first character.
char* FilenamePath(const char* name);
// Everything up to and including the last separator; empty when there is
// none.
char* FilenameFolder(const char* name);
// Everything after the last separator, or the whole name.
char* FilenameName(const char* name);
// The drive letter and its colon ("C:") of a name that begins with one, as
// games written for drive letters pass them; empty otherwise.
char* FilenameDrive(const char* name);
// The extension of the last part with its dot, from the last '.'; empty when
// the last part has no dot.
char* FilenameExt(const char* name);

}  // namespace bw
