// Argument handling of the file built-ins; the tables and the file work are
// in library/game_files and library/file_find. Handles and modes are rounded
// to the nearest integer (ties to even).
#include "library/file_builtins.h"

#include <cstdlib>
#include <string>

#include "script/arguments.h"
#include "library/file_find.h"
#include "library/game_files.h"
#include "library/ini_builtins.h"
#include "library/registry.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/execute.h"
#include "platform/filename.h"
#include "platform/memory.h"
#include "platform/strings.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr size_t kLegacyLineLimit = 32767;
constexpr size_t kParameterLimit = 1023;

// A memory-manager text handed to game code, then freed.
void SetOwnedText(Value* result, char* text)
{
    Result_SetString(result, text);
    MemoryManager_Free(text);
}

// ---- binary files ----

// The open handle of the first argument, or -1 after reporting message.
int32_t BinaryHandle(const Value& value, const char* message)
{
    const int32_t handle = Arg_Round(value);
    if (BinaryFile_IsOpen(handle)) return handle;
    Code_Error_Runtime(message, false);
    return -1;
}

constexpr const char* kNotOpened = "File is not opened.";

BW_BUILTIN(FileBinOpen)
{
    Value_SetReal(*result, BinaryFile_Open(Arg_Text(args[0]), Arg_Round(args[1])));
}

BW_BUILTIN(FileBinRewrite)
{
    const int32_t handle = BinaryHandle(args[0], "Trying to rewrite unopened file.");
    if (handle >= 0) BinaryFile_Rewrite(handle);
}

BW_BUILTIN(FileBinClose)
{
    const int32_t handle = BinaryHandle(args[0], "Trying to close unopened file.");
    if (handle >= 0) BinaryFile_Close(handle);
}

BW_BUILTIN(FileBinSeek)
{
    const int32_t handle = BinaryHandle(args[0], kNotOpened);
    if (handle >= 0) BinaryFile_Seek(handle, Arg_Round(args[1]));
}

BW_BUILTIN(FileBinSize)
{
    const int32_t handle = BinaryHandle(args[0], kNotOpened);
    if (handle >= 0) Value_SetReal(*result, static_cast<double>(BinaryFile_Size(handle)));
}

BW_BUILTIN(FileBinPosition)
{
    const int32_t handle = BinaryHandle(args[0], kNotOpened);
    if (handle >= 0) Value_SetReal(*result, static_cast<double>(BinaryFile_Position(handle)));
}

BW_BUILTIN(FileBinReadByte)
{
    const int32_t handle = BinaryHandle(args[0], kNotOpened);
    if (handle < 0) return;
    uint8_t byte = 0;
    if (!BinaryFile_ReadByte(handle, &byte)) Code_Error_Runtime("Error reading byte.", false);
    Value_SetReal(*result, byte);
}

BW_BUILTIN(FileBinWriteByte)
{
    const int32_t handle = BinaryHandle(args[0], kNotOpened);
    if (handle >= 0) BinaryFile_WriteByte(handle, static_cast<uint8_t>(Arg_Round(args[1]) & 0xFF));
}

// ---- text files ----

// A text handle needs a free record and a name that is a text.
bool CanOpenText(const Value& name, Value* result)
{
    Value_SetReal(*result, -1.0);
    if (TextFile_FreeHandle() < 0) {
        Code_Error_Runtime("Cannot open another file (maximum exceeded).", false);
        return false;
    }
    if (Arg_Text(name) == nullptr) {
        Console().Printf("ERROR!!! :: wrong type for filename\n");
        return false;
    }
    return true;
}

BW_BUILTIN(FileTextOpenRead)
{
    if (CanOpenText(args[0], result)) Value_SetReal(*result, TextFile_OpenRead(Arg_Text(args[0])));
}

BW_BUILTIN(FileTextOpenWrite)
{
    if (CanOpenText(args[0], result)) Value_SetReal(*result, TextFile_OpenWrite(Arg_Text(args[0]), false));
}

BW_BUILTIN(FileTextOpenAppend)
{
    if (CanOpenText(args[0], result)) Value_SetReal(*result, TextFile_OpenWrite(Arg_Text(args[0]), true));
}

BW_BUILTIN(FileTextOpenFromString)
{
    if (CanOpenText(args[0], result)) Value_SetReal(*result, TextFile_OpenString(Arg_Text(args[0])));
}

BW_BUILTIN(FileTextClose)
{
    if (!TextFile_Close(Arg_Round(args[0]))) Code_Error_Runtime("Trying to close unexisting text file.", false);
}

// The reader of a handle (kLegacyTextFile for the legacy file), or null
// after reporting message.
MemoryFile* Reader(int32_t handle, const char* message)
{
    MemoryFile* file = TextFile_Reader(handle);
    if (file == nullptr) Code_Error_Runtime(message, false);
    return file;
}

constexpr const char* kNotForReading = "File is not opened for reading.";
constexpr const char* kLegacyNotForReading = "File not opened for reading.";
constexpr const char* kNotForWriting = "File not opened for writing.";

// A numbered handle of game code; 0 is no handle of game code's, so it
// never reaches the legacy file.
int32_t TextHandle(const Value& handle)
{
    const int32_t number = Arg_Round(handle);
    return number > 0 ? number : -1;
}

MemoryFile* TextReader(const Value& handle)
{
    return Reader(TextHandle(handle), kNotForReading);
}

BW_BUILTIN(FileTextEof)
{
    if (MemoryFile* file = TextReader(args[0])) Result_SetBool(result, LoadSave_Eof(file));
}

BW_BUILTIN(FileTextEoln)
{
    if (MemoryFile* file = TextReader(args[0])) Result_SetBool(result, LoadSave_Eoln(file));
}

BW_BUILTIN(FileTextReadString)
{
    if (MemoryFile* file = TextReader(args[0])) Result_SetString(result, TextReader_ReadString(file));
}

BW_BUILTIN(FileTextReadReal)
{
    MemoryFile* file = TextReader(args[0]);
    double value = 0.0;
    if (file != nullptr) LoadSave_ReadReal(file, &value);
    Value_SetReal(*result, value);
}

BW_BUILTIN(FileTextReadln)
{
    if (MemoryFile* file = TextReader(args[0])) Result_SetString(result, TextReader_ReadLine(file, kLegacyLineLimit));
}

// Writes text to a handle (kLegacyTextFile for the legacy file), reporting
// a handle not open for writing.
void Write(int32_t handle, const std::string& text)
{
    if (!TextFile_IsWriting(handle)) {
        Code_Error_Runtime(kNotForWriting, false);
        return;
    }
    TextFile_Write(handle, text);
}

BW_BUILTIN(FileTextWriteString)
{
    Write(TextHandle(args[0]), Arg_TextOrEmpty(args[1]));
}

BW_BUILTIN(FileTextWriteReal)
{
    Write(TextHandle(args[0]), String_FromReal(args[1].real, std::chars_format::general, 6) + " ");
}

BW_BUILTIN(FileTextWriteln)
{
    Write(TextHandle(args[0]), "\r\n");
}

// ---- the legacy file ----

BW_BUILTIN(FileOpenRead)
{
    LegacyFile_OpenRead(Arg_Text(args[0]));
}

BW_BUILTIN(FileOpenWrite)
{
    LegacyFile_OpenWrite(Arg_Text(args[0]), false);
}

BW_BUILTIN(FileOpenAppend)
{
    LegacyFile_OpenWrite(Arg_Text(args[0]), true);
}

BW_BUILTIN(FileClose)
{
    LegacyFile_Close();
}

BW_BUILTIN(FileEof)
{
    if (MemoryFile* file = Reader(kLegacyTextFile, kNotForReading)) Result_SetBool(result, LoadSave_Eof(file));
}

BW_BUILTIN(FileReadString)
{
    if (MemoryFile* file = Reader(kLegacyTextFile, kLegacyNotForReading)) {
        Result_SetString(result, TextReader_ReadStringAndLineEnd(file, kLegacyLineLimit));
    }
}

BW_BUILTIN(FileReadReal)
{
    MemoryFile* file = Reader(kLegacyTextFile, kLegacyNotForReading);
    double value = 0.0;
    if (file != nullptr) LoadSave_ReadReal(file, &value);
    Value_SetReal(*result, value);
}

BW_BUILTIN(FileReadln)
{
    if (MemoryFile* file = Reader(kLegacyTextFile, kLegacyNotForReading)) {
        Result_SetString(result, TextReader_ReadLine(file, kLegacyLineLimit));
    }
}

BW_BUILTIN(FileWriteString)
{
    Write(kLegacyTextFile, Arg_TextOrEmpty(args[0]));
}

BW_BUILTIN(FileWriteReal)
{
    Write(kLegacyTextFile, String_FromReal(args[0].real, std::chars_format::fixed, 4, 10));
}

BW_BUILTIN(FileWriteln)
{
    Write(kLegacyTextFile, "\r\n");
}

// ---- files and folders ----

BW_BUILTIN(FileExistsBuiltin)
{
    Result_SetBool(result, GameFile_Exists(Arg_Text(args[0])));
}

BW_BUILTIN(FileDelete)
{
    GameFile_Delete(Arg_Text(args[0]));
}

BW_BUILTIN(FileRename)
{
    GameFile_Rename(Arg_Text(args[0]), Arg_Text(args[1]));
}

BW_BUILTIN(FileCopy)
{
    Value_SetReal(*result, GameFile_Copy(Arg_Text(args[0]), Arg_Text(args[1])) ? 0.0 : -1.0);
}

BW_BUILTIN(DirectoryExistsBuiltin)
{
    Result_SetBool(result, GameDirectory_Exists(Arg_Text(args[0])));
}

BW_BUILTIN(DirectoryCreateBuiltin)
{
    GameDirectory_Create(Arg_Text(args[0]));
}

// 1 when the file or folder (save area first) has one of the requested
// attribute bits; with none requested, 1 when it exists.
BW_BUILTIN(FileAttributes)
{
    const char* name = Arg_Text(args[0]);
    const int32_t requested = Arg_Trunc(args[1]);
    char path[kLoadSavePathSize];
    int32_t bits = -1;
    if (LoadSave_PathWrite(path, sizeof path, name)) bits = FileFind_Attributes(path);
    if (bits < 0 && LoadSave_PathRead(path, sizeof path, name)) bits = FileFind_Attributes(path);
    Result_SetBool(result, bits >= 0 && (requested == 0 || (bits & requested) != 0));
}

// ---- searching ----

BW_BUILTIN(FileFindFirst)
{
    Result_SetString(result, FileFind_First(Arg_Text(args[0]), Arg_Trunc(args[1])));
}

BW_BUILTIN(FileFindNext)
{
    Result_SetString(result, FileFind_Next());
}

BW_BUILTIN(FileFindClose)
{
    FileFind_Close();
}

// ---- file names ----

template <char* (*part)(const char*)>
BW_BUILTIN(FilenamePart)
{
    SetOwnedText(result, part(Arg_Text(args[0])));
}

BW_BUILTIN(FilenameChangeExt)
{
    const char* name = Arg_Text(args[0]);
    const char* extension = Arg_Text(args[1]);
    if (name == nullptr || extension == nullptr) {
        Result_SetString(result, "");
        return;
    }
    const std::string text(name);
    const size_t dot = text.rfind('.');
    Result_SetString(result, dot != std::string::npos ? text.substr(0, dot) + extension : text + "." + extension);
}

// ---- programs, the command line and the environment ----

BW_BUILTIN(ExecuteProgramBuiltin)
{
    const char* program = Arg_TextOrEmpty(args[0]);
    const bool started = ExecuteProgram(program, Arg_TextOrEmpty(args[1]), nullptr, Arg_Flag(args[2]));
    if (!started) Console().Printf("Cannot execute %s\n", program);
    Value_SetReal(*result, started ? 0.0 : -1.0);
}

BW_BUILTIN(ExecuteShellBuiltin)
{
    const char* file = Arg_TextOrEmpty(args[0]);
    const bool started = ExecuteShell(file, Arg_TextOrEmpty(args[1]), nullptr);
    if (!started) Console().Printf("Cannot execute %s\n", file);
    Value_SetReal(*result, started ? 0.0 : -1.0);
}

BW_BUILTIN(ParameterCount)
{
    Value_SetReal(*result, static_cast<double>(CommandLine_ProcessArguments().size()));
}

BW_BUILTIN(ParameterString)
{
    const std::vector<std::string>& arguments = CommandLine_ProcessArguments();
    const int32_t n = Arg_Round(args[0]);
    const bool inRange = n >= 1 && static_cast<size_t>(n) <= arguments.size();
    Result_SetString(result, inRange ? arguments[static_cast<size_t>(n) - 1].substr(0, kParameterLimit) : std::string());
}

BW_BUILTIN(EnvironmentGetVariable)
{
    const char* value = std::getenv(Arg_TextOrEmpty(args[0]));
    Result_SetString(result, value != nullptr ? value : "");
}

const BuiltinRegistration kFileBuiltins[] = {
    {"file_bin_open", FileBinOpen, 2},
    {"file_bin_rewrite", FileBinRewrite, 1},
    {"file_bin_close", FileBinClose, 1},
    {"file_bin_seek", FileBinSeek, 2},
    {"file_bin_size", FileBinSize, 1},
    {"file_bin_position", FileBinPosition, 1},
    {"file_bin_read_byte", FileBinReadByte, 1},
    {"file_bin_write_byte", FileBinWriteByte, 2},
    {"file_text_open_read", FileTextOpenRead, 1},
    {"file_text_open_write", FileTextOpenWrite, 1},
    {"file_text_open_append", FileTextOpenAppend, 1},
    {"file_text_open_from_string", FileTextOpenFromString, 1},
    {"file_text_close", FileTextClose, 1},
    {"file_text_eof", FileTextEof, 1},
    {"file_text_eoln", FileTextEoln, 1},
    {"file_text_read_string", FileTextReadString, 1},
    {"file_text_read_real", FileTextReadReal, 1},
    {"file_text_readln", FileTextReadln, 1},
    {"file_text_write_string", FileTextWriteString, 2},
    {"file_text_write_real", FileTextWriteReal, 2},
    {"file_text_writeln", FileTextWriteln, 1},
    {"file_open_read", FileOpenRead, 1},
    {"file_open_write", FileOpenWrite, 1},
    {"file_open_append", FileOpenAppend, 1},
    {"file_close", FileClose, 0},
    {"file_eof", FileEof, 0},
    {"file_read_string", FileReadString, 0},
    {"file_read_real", FileReadReal, 0},
    {"file_readln", FileReadln, 0},
    {"file_write_string", FileWriteString, 1},
    {"file_write_real", FileWriteReal, 1},
    {"file_writeln", FileWriteln, 0},
    {"file_exists", FileExistsBuiltin, 1},
    {"file_delete", FileDelete, 1},
    {"file_rename", FileRename, 2},
    {"file_copy", FileCopy, 2},
    {"directory_exists", DirectoryExistsBuiltin, 1},
    {"directory_create", DirectoryCreateBuiltin, 1},
    {"file_attributes", FileAttributes, 2},
    {"file_find_first", FileFindFirst, 2},
    {"file_find_next", FileFindNext, 0},
    {"file_find_close", FileFindClose, 0},
    {"filename_name", FilenamePart<FilenameName>, 1},
    {"filename_path", FilenamePart<FilenameFolder>, 1},
    {"filename_dir", FilenamePart<FilenamePath>, 1},
    {"filename_drive", FilenamePart<FilenameDrive>, 1},
    {"filename_ext", FilenamePart<FilenameExt>, 1},
    {"filename_change_ext", FilenameChangeExt, 2},
    {"execute_program", ExecuteProgramBuiltin, 3},
    {"execute_shell", ExecuteShellBuiltin, 2},
    {"parameter_count", ParameterCount, 0},
    {"parameter_string", ParameterString, 1},
    {"environment_get_variable", EnvironmentGetVariable, 1},
};

}  // namespace

void Function_File_Register()
{
    GameFiles_CloseAll();
    Builtins_Register(kFileBuiltins);
    Function_Ini_Register();
}

void File_CloseAll()
{
    GameFiles_CloseAll();
    FileFind_Close();
    Ini_CloseOpen();
    Registry_FreeAll();
}

}  // namespace bw
