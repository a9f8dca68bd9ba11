// The game's files. Game code names files as it would on a case-blind system
// with '\' separators; every such name is placed in one of two areas:
//   - the program area: the folder that holds the game package (read-only in
//     practice);
//   - the save area: a per-user folder named by the package, where everything
//     the game writes goes.
// A relative name is taken inside an area; a full name is accepted when it
// lies inside an area, or when the user picked exactly that file in one of
// the game's file dialogs. Nothing else is reachable, and ".." never climbs
// out of an area. Readers that accept both areas look in the save area first,
// so a file the game wrote shadows the copy shipped with it.
//
// Texts returned as char* are new memory-manager blocks the caller frees with
// MemoryManager_Free, unless a function says it returns a cached text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace bw {

class AtomicFileWriter;

// Resolved paths are at most this long (terminator included).
inline constexpr size_t kLoadSavePathSize = 2048;
// Whole-file reads refuse larger files: in-memory files keep 32-bit sizes.
inline constexpr int64_t kLoadSaveMaxFileSize = INT32_MAX - 1;

// ---- The areas -------------------------------------------------------------

// Sets the program area to the folder that holds the package (a relative path
// is taken from the current folder). False when the path names no folder.
bool Files_SetPackagePath(const char* packagePath);
// The save area is <base>/<name>/, base being the per-user data folder, or
// the per-user configuration folder when roaming is set. A name that is
// empty, ".", "..", or holds a separator is refused (false): the save area
// would be a folder shared with other programs, or outside the base.
bool Files_SetSaveFolderName(const char* name, bool roaming);

// The program folder with a trailing '/'; "" before the package is known.
// Cached: the caller does not free it.
const char* GetExeDirectory();
// The package's folder without its trailing '/' (the game's working and
// program folder): "" for the root, or before the package is known.
std::string Files_PackageFolder();
// The save folder with a trailing '/', or null when there is none. Cached.
const char* GetSaveDirectory();
// The running program's own file path. Cached.
const char* GetExePathW();
// The process's current folder as a new text.
char* GetWorkingDirectory();

// ---- Files picked in the game's dialogs -----------------------------------

// The open dialog adds each chosen path; reading accepts exactly those paths.
void PickedFiles_AddOpened(const char* path);
// The save dialog adds each chosen path; writing accepts exactly those paths.
void PickedFiles_AddSaved(const char* path);
void PickedFiles_Clear();

// ---- Resolving names -------------------------------------------------------
// Each writes the host path into out (at most outSize bytes with the
// terminator) and returns true; when the name cannot be placed, or the path
// does not fit, out holds the empty text and the result is false. Existing
// folders and files are matched without regard to case when the exact
// spelling is missing. A relative name lies in the working folder; a full
// name is placed by what follows the deepest of the working, program and
// (for writing) save folders that holds it.

// The name in the program area (or an open-dialog pick).
bool LoadSave_PathRead(char* out, size_t outSize, const char* name);
// The name in the save area (or a save-dialog pick).
bool LoadSave_PathWrite(char* out, size_t outSize, const char* name);
// The read rule of readers that accept both areas: the save path when the
// file exists there, else the program path when it exists there; false when
// it exists in neither.
bool LoadSave_PathFind(char* out, size_t outSize, const char* name);

// ---- Whole files -----------------------------------------------------------

// The whole file at a host path (already resolved) as a new memory-manager
// block of size + 1 bytes, the last one 0, so text parsers always find a
// terminator. Null when it cannot be opened or is too large.
uint8_t* LoadSave_ReadWholeFile(const char* path, size_t* size);
// The whole file as a new memory-manager block, or null when it is missing or
// unreadable. The caller frees the block with MemoryManager_Free.
// From the save area only.
uint8_t* LoadSave_ReadSaveFile(const char* name, size_t* size);
// From the program area only.
uint8_t* LoadSave_ReadBundleFile(const char* name, size_t* size);
// Writes the whole file into the save area, creating its missing folders.
// A failure is logged.
bool LoadSave_WriteSaveFile(const char* name, const void* data, size_t size);
// The same for a file written in pieces: write hands each piece in order to
// the writer, so no block of the whole file is needed.
bool LoadSave_WriteSaveFileWith(const char* name, const std::function<void(AtomicFileWriter&)>& write);
// The one log line of a file that could not be written: its path and why.
void LoadSave_LogWriteFailure(const char* path, const char* reason);

// The name resolves to a file that can be opened for reading. Here and in
// every reader, a file this process holds open for writing reads as what
// has been written to it so far.
bool LoadSave_Exists(const char* name);      // in the program area
bool LoadSave_SaveExists(const char* name);  // in the save area
// Size in bytes, -1 when the file cannot be opened.
int64_t LoadSave_FileSize(const char* name);
int64_t LoadSave_SaveFileSize(const char* name);

// ---- In-memory files -------------------------------------------------------

struct MemoryFile {
    uint8_t* data;     // the whole file, followed by one 0 byte
    int32_t size;      // bytes of the file
    int32_t position;  // may lie beyond size after reads at the end
};

// The whole file by the read rule (save area first); null when it exists in
// neither area. A mode holding 't' skips a leading UTF-8 signature.
MemoryFile* LoadSave_OpenRead(const char* name, const char* mode);
// The same for a path already resolved, so callers never resolve twice.
MemoryFile* LoadSave_OpenReadPath(const char* path, const char* mode);
// An in-memory file over a copy of size bytes of data.
MemoryFile* LoadSave_OpenMemory(const void* data, size_t size);
void LoadSave_Close(MemoryFile* file);

int32_t LoadSave_Tell(const MemoryFile* file);
// whence 0: from the start; 1: from the position; 2: offset bytes before the
// end. The result is clamped to 0 .. INT32_MAX.
void LoadSave_Seek(MemoryFile* file, int64_t offset, int whence);
bool LoadSave_Eof(const MemoryFile* file);
// At the end, or the byte at the position is CR or LF.
bool LoadSave_Eoln(const MemoryFile* file);
// The byte at the position, or -1 at the end; the position advances in both
// cases.
int LoadSave_ReadChar(MemoryFile* file);
// Skips white space and reads the decimal number the next word begins with
// (0 when none), then moves past the whole word. False when the word is not
// a decimal number through and through, or no word is left.
bool LoadSave_ReadReal(MemoryFile* file, double* value);
// Copies size * count bytes, cut at the end of the file; returns the bytes
// copied.
size_t LoadSave_Read(void* dest, size_t size, size_t count, MemoryFile* file);
const uint8_t* LoadSave_GetData(const MemoryFile* file);

// ---- Folders (host paths, not resolved) ------------------------------------

bool FileExists(const char* path);
bool DirectoryExists(const char* path);
// Creates the folder and its missing parents, the outermost first.
bool DirectoryCreate(const char* path);
// Deletes the folder with everything in it, never following links.
bool DirectoryDelete(const char* path);
// Creates the folder that will hold path (everything before its last
// separator); true when there is nothing to create.
bool File_CreateParentDirectory(const char* path);

// Removes what writes of earlier runs, killed half way, left in the save
// area (see host/atomic_file.h).
void Files_RemoveStaleTemporaries();

// ---- The runner's temporary folder -----------------------------------------

// Makes a new private folder "bw_ttt_XXXXXX" under $TMPDIR (else /tmp).
bool TempDirectory_Init();
// A new copy of its path, or null before TempDirectory_Init.
char* TempDirectory_Get();
// Deletes the folder made by TempDirectory_Init and everything in it.
bool TempDirectory_Delete();
// Creates a new empty file "aXXXXXX<extension>" in the temporary folder and
// returns its path as a new text; null when there is no temporary folder or
// the extension holds a separator.
char* TempFile_MakeName(const char* extension);

}  // namespace bw
