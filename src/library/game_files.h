// The files game code opens by number, and its whole-file operations.
//
// Binary files and text files each have handles 1 to 31; the text table's
// record 0 is the one legacy file of the file_* built-ins, which take no
// handle. Names are resolved into the program and save areas
// (platform/files.h): readers take the save area's copy first, and every
// write lands in the save area, so a name that cannot be placed there (one
// that would climb out with "..", or a full path elsewhere) opens nothing.
// Text files end their lines with CR LF, as the files of the original
// platform do, whatever the host's convention. A file opened to be written
// from its start is held (host/held_file.h): the file itself changes only
// when the handle closes, and a write that fails leaves it as it was. A file
// opened to append to is written in place, each line as soon as it is
// ended, to the file then at its name (host/append_file.h), so a kill loses
// no line the game ended.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace bw {

inline constexpr int32_t kFileHandleLimit = 32;  // handles are 1 .. kFileHandleLimit - 1
inline constexpr int32_t kLegacyTextFile = 0;    // the text record of the file_* built-ins

// ---- Binary files ----

// Modes: 0 read (the whole file in memory), 1 write (emptied), 2 read and
// write (created when missing). The handle, or -1: no free handle (reported)
// or the file cannot be opened (logged).
int32_t BinaryFile_Open(const char* name, int32_t mode);
bool BinaryFile_IsOpen(int32_t handle);
// Empties the file for writing from the start (mode 1). False when it cannot
// be opened again; the handle is then closed.
bool BinaryFile_Rewrite(int32_t handle);
void BinaryFile_Close(int32_t handle);
void BinaryFile_Seek(int32_t handle, int64_t position);
int64_t BinaryFile_Size(int32_t handle);
int64_t BinaryFile_Position(int32_t handle);
// False in mode 1 and at the end of the file.
bool BinaryFile_ReadByte(int32_t handle, uint8_t* byte);
// Ignored in mode 0.
void BinaryFile_WriteByte(int32_t handle, uint8_t byte);

// ---- Text files ----

// The lowest free text handle, or -1.
int32_t TextFile_FreeHandle();
// Each gives the handle or -1. Reading: the read rule, a leading UTF-8
// signature skipped; a missing file is logged. Writing: the save path, its
// folders made, emptied or (append) added to.
int32_t TextFile_OpenRead(const char* name);
int32_t TextFile_OpenWrite(const char* name, bool append);
// Reads from a copy of the text; no file is involved.
int32_t TextFile_OpenString(const char* text);
// False for a handle outside 1..31; closing a closed handle is harmless.
bool TextFile_Close(int32_t handle);
// The open reader or writer of a handle (kLegacyTextFile included), null
// when the handle is not open that way.
MemoryFile* TextFile_Reader(int32_t handle);
bool TextFile_Write(int32_t handle, const std::string& text);
bool TextFile_IsWriting(int32_t handle);

// The legacy file: opening closes what was open. Reading takes the whole
// file with CR LF read as one line end; a missing file leaves it closed.
void LegacyFile_OpenRead(const char* name);
void LegacyFile_OpenWrite(const char* name, bool append);
void LegacyFile_Close();

// Reading text from an in-memory file.
// Up to the next CR or LF, which stays for TextReader_SkipLine.
std::string TextReader_ReadString(MemoryFile* file);
// Through the next LF (at most maxLength bytes), line end included.
std::string TextReader_ReadLine(MemoryFile* file, size_t maxLength);
// Up to the next CR or LF (at most maxLength bytes), which is consumed.
std::string TextReader_ReadStringAndLineEnd(MemoryFile* file, size_t maxLength);

// Closes every binary, text and legacy file.
void GameFiles_CloseAll();

// ---- Whole files and folders ----

// In the save area or the program area.
bool GameFile_Exists(const char* name);
// Only what lies in the save area is deleted or renamed; a rename onto a
// file that exists in the save area does nothing.
bool GameFile_Delete(const char* name);
bool GameFile_Rename(const char* from, const char* to);
// The source by the read rule into the save path of dest. False (logging
// "Unable to open source file") when the source is in neither area; false
// when the target cannot be written.
bool GameFile_Copy(const char* source, const char* dest);
bool GameDirectory_Exists(const char* name);
bool GameDirectory_Create(const char* name);

}  // namespace bw
