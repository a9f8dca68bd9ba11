// Opening documents and addresses, and starting programs, for game code.
// Arguments are split into separate items by the command-line token rules
// (blanks separate, double quotes group and are dropped) and the program
// receives them as they are: no shell ever reads them.
#pragma once

namespace bw {

// Opens file as the desktop would: an address ("scheme:/...", "mailto:...")
// or an existing document goes to the desktop's opener; a file that is a
// program is started with parameters. A relative file is taken from folder
// (null: the current folder). True when the opener or program started.
bool ExecuteShell(const char* file, const char* parameters, const char* folder);

// Starts program with arguments in folder (null: the current folder). A
// program name without a folder is looked for in folder first, then on PATH.
// With wait set, returns only when the program has ended, pumping the
// window's messages meanwhile. False when it could not be started.
bool ExecuteProgram(const char* program, const char* arguments, const char* folder, bool wait);

}  // namespace bw
