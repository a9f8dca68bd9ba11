#include "library/game_files.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "host/append_file.h"
#include "host/atomic_file.h"
#include "host/held_file.h"
#include "platform/console.h"
#include "platform/memory.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr int32_t kModeFree = 0;  // text records: 0 free, 1 reading, 2 writing
constexpr int32_t kModeRead = 1;
constexpr int32_t kModeWrite = 2;
constexpr int32_t kBinaryRead = 0;  // binary records: the mode game code asked for
constexpr int32_t kBinaryWrite = 1;
constexpr int32_t kBinaryReadWrite = 2;

// One open file: in memory for reading, or the stream of a writer: held,
// its contents replacing the file when the game closes it, or appending in
// place.
struct FileSlot {
    bool used = false;
    int32_t mode = kModeFree;
    std::string name;  // as game code gave it
    std::string path;  // resolved
    MemoryFile* memory = nullptr;
    std::unique_ptr<FileWriter> writer;
    bool lastWasWrite = false;  // a read-write stream must seek between the two
    bool failed = false;        // a write failed and was logged

    // The writer's stream; null for a file read from memory or one that
    // could not be opened.
    FILE* Stream() const { return writer != nullptr ? writer->Stream() : nullptr; }

    // The game has no answer to hear a failed write or close by, so the
    // first one of a file is logged; the old file then stays as it was.
    void NoteWrite(bool written)
    {
        if (written || failed) return;
        failed = true;
        LoadSave_LogWriteFailure(path.c_str(), writer != nullptr ? writer->Error().c_str() : "");
    }

    void Close()
    {
        LoadSave_Close(memory);
        memory = nullptr;
        if (writer != nullptr) NoteWrite(writer->Close());
        writer.reset();
        failed = false;
        path.clear();
        name.clear();
        used = false;
        mode = kModeFree;
    }
};

std::array<FileSlot, kFileHandleLimit> g_binary;
std::array<FileSlot, kFileHandleLimit> g_text;

bool ValidHandle(int32_t handle) { return handle >= 1 && handle < kFileHandleLimit; }

int32_t FreeHandle(const std::array<FileSlot, kFileHandleLimit>& table)
{
    for (int32_t handle = 1; handle < kFileHandleLimit; ++handle) {
        if (!table[static_cast<size_t>(handle)].used) return handle;
    }
    return -1;
}

FileSlot* OpenSlot(std::array<FileSlot, kFileHandleLimit>& table, int32_t handle)
{
    if (handle < 0 || handle >= kFileHandleLimit) return nullptr;
    FileSlot& slot = table[static_cast<size_t>(handle)];
    return slot.used ? &slot : nullptr;
}

std::string SavePath(const char* name)
{
    char path[kLoadSavePathSize];
    return LoadSave_PathWrite(path, sizeof path, name) ? path : "";
}

std::string FoundPath(const char* name)
{
    char path[kLoadSavePathSize];
    return LoadSave_PathFind(path, sizeof path, name) ? path : "";
}

// A fatal error may end the process with exit() in the middle of the game;
// the files it holds open then take what was written to them, as at any
// other end, instead of being dropped with the slots.
void CloseAllAtExit()
{
    [[maybe_unused]] static const bool registered = std::atexit(&GameFiles_CloseAll) == 0;
}

// The save path of name into the slot, its folders made. False when the
// name has none.
bool PlaceForWriting(FileSlot& slot, const char* name)
{
    slot.path = SavePath(name);
    return !slot.path.empty() && File_CreateParentDirectory(slot.path.c_str());
}

// The slot's writer; false when its file could not be opened (logged).
bool SetWriter(FileSlot& slot, std::unique_ptr<FileWriter> writer)
{
    slot.writer = std::move(writer);
    CloseAllAtExit();
    slot.NoteWrite(slot.Stream() != nullptr);
    return slot.Stream() != nullptr;
}

// error (when given) receives the reason of a failure.
bool CopyPath(const std::string& from, const std::string& to, std::string* error = nullptr)
{
    // Copying a file onto itself would empty it before reading it.
    if (from == to) return true;
    // A copy that cannot finish leaves the target as it was.
    File_CreateParentDirectory(to.c_str());
    AtomicFileWriter out(to);
    const bool copied = out.CopyFrom(HostFs_ContentsPath(from)) && out.Commit();
    if (!copied && error != nullptr) *error = out.Error();
    return copied;
}

// The file the game ships under name, copied whole into the slot's save
// path when the save area has none yet: a file shipped with the game is
// never changed itself, an edit starts from its contents, and a kill before
// the close leaves them under the name instead of an empty file that would
// hide them. False when the copy failed (logged).
bool CopyShippedFile(const FileSlot& slot, const char* name)
{
    const std::string shipped = FoundPath(name);
    std::string error;
    if (shipped.empty() || shipped == slot.path || CopyPath(shipped, slot.path, &error)) return true;
    LoadSave_LogWriteFailure(slot.path.c_str(), error.c_str());
    return false;
}

// A held writer on the save path of name.
bool OpenForWriting(FileSlot& slot, const char* name, HeldFileStart start)
{
    return PlaceForWriting(slot, name) && CopyShippedFile(slot, name) &&
           SetWriter(slot, std::make_unique<HeldFileWriter>(slot.path, start));
}

// A text file written anew (held) or appended to (in place).
bool OpenTextForWriting(FileSlot& slot, const char* name, bool append)
{
    if (!append) return OpenForWriting(slot, name, HeldFileStart::kEmpty);
    return PlaceForWriting(slot, name) && SetWriter(slot, std::make_unique<AppendFileWriter>(slot.path));
}

// A stream switching between reading and writing must seek in between.
void PrepareStream(FileSlot& slot, bool write)
{
    if (slot.lastWasWrite != write) std::fseek(slot.Stream(), 0, SEEK_CUR);
    slot.lastWasWrite = write;
}

}  // namespace

// ---- Binary files ----

int32_t BinaryFile_Open(const char* name, int32_t mode)
{
    const int32_t handle = FreeHandle(g_binary);
    if (handle < 0) {
        Code_Error_Runtime("Cannot open another file (maximum exceeded).", false);
        return -1;
    }
    FileSlot& slot = g_binary[static_cast<size_t>(handle)];
    slot.Close();
    if (name != nullptr) {
        if (mode == kBinaryRead) {
            slot.path = FoundPath(name);
            slot.memory = slot.path.empty() ? nullptr : LoadSave_OpenReadPath(slot.path.c_str(), "rb");
        } else {
            if (mode != kBinaryWrite) mode = kBinaryReadWrite;
            OpenForWriting(slot, name, mode == kBinaryWrite ? HeldFileStart::kEmpty : HeldFileStart::kEdit);
        }
    }
    if (slot.memory == nullptr && slot.Stream() == nullptr) {
        Console().Printf("Error opening binary file %s\n", name != nullptr ? name : "");
        slot.Close();
        return -1;
    }
    slot.used = true;
    slot.mode = mode;
    slot.name = name;
    return handle;
}

bool BinaryFile_IsOpen(int32_t handle)
{
    return ValidHandle(handle) && OpenSlot(g_binary, handle) != nullptr;
}

bool BinaryFile_Rewrite(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return false;
    const std::string name = slot->name;
    // What the handle wrote is dropped, never put in place: the file is
    // emptied anyway.
    slot->writer.reset();
    slot->Close();
    if (!OpenForWriting(*slot, name.c_str(), HeldFileStart::kEmpty)) {
        slot->Close();
        return false;
    }
    slot->used = true;
    slot->mode = kBinaryWrite;
    slot->name = name;
    return true;
}

void BinaryFile_Close(int32_t handle)
{
    if (FileSlot* slot = OpenSlot(g_binary, handle)) slot->Close();
}

void BinaryFile_Seek(int32_t handle, int64_t position)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return;
    if (position < 0) position = 0;
    if (slot->memory != nullptr) {
        LoadSave_Seek(slot->memory, position, 0);
    } else {
        std::fseek(slot->Stream(), static_cast<long>(position), SEEK_SET);
    }
}

int64_t BinaryFile_Size(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return 0;
    if (slot->memory != nullptr) return slot->memory->size;
    const long position = std::ftell(slot->Stream());
    std::fseek(slot->Stream(), 0, SEEK_END);
    const long size = std::ftell(slot->Stream());
    std::fseek(slot->Stream(), position, SEEK_SET);
    return size;
}

int64_t BinaryFile_Position(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return 0;
    return slot->memory != nullptr ? LoadSave_Tell(slot->memory) : std::ftell(slot->Stream());
}

bool BinaryFile_ReadByte(int32_t handle, uint8_t* byte)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr || slot->mode == kBinaryWrite) return false;
    int c = -1;
    if (slot->memory != nullptr) {
        c = LoadSave_ReadChar(slot->memory);
    } else {
        PrepareStream(*slot, false);
        c = std::fgetc(slot->Stream());
    }
    if (c < 0) return false;
    *byte = static_cast<uint8_t>(c);
    return true;
}

void BinaryFile_WriteByte(int32_t handle, uint8_t byte)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr || slot->Stream() == nullptr) return;
    PrepareStream(*slot, true);
    slot->NoteWrite(std::fputc(byte, slot->Stream()) != EOF);
}

// ---- Text files ----

int32_t TextFile_FreeHandle()
{
    return FreeHandle(g_text);
}

int32_t TextFile_OpenRead(const char* name)
{
    const int32_t handle = TextFile_FreeHandle();
    if (handle < 0) return -1;
    FileSlot& slot = g_text[static_cast<size_t>(handle)];
    slot.path = FoundPath(name);
    if (slot.path.empty()) {
        Console().Printf("ERROR!!! :: Failed to open file: %s\n", name != nullptr ? name : "");
        return -1;
    }
    slot.memory = LoadSave_OpenReadPath(slot.path.c_str(), "rt");
    if (slot.memory == nullptr) {
        Console().Printf("ERROR!!! :: Failed to open file: %s\n", slot.path.c_str());
        slot.Close();
        return -1;
    }
    slot.used = true;
    slot.mode = kModeRead;
    return handle;
}

int32_t TextFile_OpenWrite(const char* name, bool append)
{
    const int32_t handle = TextFile_FreeHandle();
    if (handle < 0) return -1;
    FileSlot& slot = g_text[static_cast<size_t>(handle)];
    // Binary streams: the CR LF line ends are written out explicitly.
    if (!OpenTextForWriting(slot, name, append)) {
        slot.Close();
        return -1;
    }
    slot.used = true;
    slot.mode = kModeWrite;
    return handle;
}

int32_t TextFile_OpenString(const char* text)
{
    const int32_t handle = TextFile_FreeHandle();
    if (handle < 0 || text == nullptr) return -1;
    FileSlot& slot = g_text[static_cast<size_t>(handle)];
    slot.memory = LoadSave_OpenMemory(text, std::strlen(text));
    if (slot.memory == nullptr) return -1;
    slot.used = true;
    slot.mode = kModeRead;
    return handle;
}

bool TextFile_Close(int32_t handle)
{
    if (!ValidHandle(handle)) return false;
    g_text[static_cast<size_t>(handle)].Close();
    return true;
}

MemoryFile* TextFile_Reader(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_text, handle);
    return slot != nullptr && slot->mode == kModeRead ? slot->memory : nullptr;
}

bool TextFile_IsWriting(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_text, handle);
    return slot != nullptr && slot->mode == kModeWrite;
}

bool TextFile_Write(int32_t handle, const std::string& text)
{
    if (!TextFile_IsWriting(handle)) return false;
    FileSlot& slot = g_text[static_cast<size_t>(handle)];
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), slot.Stream()) == text.size();
    slot.NoteWrite(written);
    return written;
}

void LegacyFile_OpenRead(const char* name)
{
    FileSlot& slot = g_text[kLegacyTextFile];
    slot.Close();
    const std::string path = FoundPath(name);
    MemoryFile* file = path.empty() ? nullptr : LoadSave_OpenReadPath(path.c_str(), "rt");
    if (file == nullptr) return;
    // Read as a text-mode stream would: each CR LF becomes one LF.
    int32_t kept = 0;
    for (int32_t i = 0; i < file->size; ++i) {
        if (file->data[i] == '\r' && i + 1 < file->size && file->data[i + 1] == '\n') continue;
        file->data[kept++] = file->data[i];
    }
    file->data[kept] = 0;
    file->size = kept;
    slot.memory = file;
    slot.path = path;
    slot.used = true;
    slot.mode = kModeRead;
}

void LegacyFile_OpenWrite(const char* name, bool append)
{
    FileSlot& slot = g_text[kLegacyTextFile];
    slot.Close();
    if (name == nullptr || !OpenTextForWriting(slot, name, append)) {
        slot.Close();
        return;
    }
    slot.used = true;
    slot.mode = kModeWrite;
}

void LegacyFile_Close()
{
    g_text[kLegacyTextFile].Close();
}

std::string TextReader_ReadString(MemoryFile* file)
{
    std::string text;
    while (!LoadSave_Eof(file)) {
        const int c = LoadSave_ReadChar(file);
        if (c == '\r' || c == '\n') {
            LoadSave_Seek(file, -1, 1);
            break;
        }
        text += static_cast<char>(c);
    }
    return text;
}

std::string TextReader_ReadLine(MemoryFile* file, size_t maxLength)
{
    std::string text;
    while (!LoadSave_Eof(file) && text.size() < maxLength) {
        const int c = LoadSave_ReadChar(file);
        text += static_cast<char>(c);
        if (c == '\n') break;
    }
    return text;
}

std::string TextReader_ReadStringAndLineEnd(MemoryFile* file, size_t maxLength)
{
    std::string text;
    while (!LoadSave_Eof(file) && text.size() < maxLength) {
        const int c = LoadSave_ReadChar(file);
        if (c == '\r' || c == '\n') break;
        text += static_cast<char>(c);
    }
    return text;
}

void GameFiles_CloseAll()
{
    for (FileSlot& slot : g_binary) slot.Close();
    for (FileSlot& slot : g_text) slot.Close();
}

// ---- Whole files and folders ----

bool GameFile_Exists(const char* name)
{
    return LoadSave_SaveExists(name) || LoadSave_Exists(name);
}

// A file the game holds open to rewrite goes with its name: deleted, its
// handle's writes are put nowhere; renamed, they land under the new name.
// Its entry on the disk may be gone already (removed from outside) while
// the handle still holds its writes.
bool GameFile_Delete(const char* name)
{
    if (!LoadSave_SaveExists(name)) return false;
    const std::string path = SavePath(name);
    HostFs_ForgetHeldFiles(path);
    return std::remove(path.c_str()) == 0 || errno == ENOENT;
}

bool GameFile_Rename(const char* from, const char* to)
{
    // A rename never replaces: a game that renames onto a name in use would
    // otherwise lose the file that stood there.
    if (!LoadSave_SaveExists(from) || LoadSave_SaveExists(to)) return false;
    const std::string source = SavePath(from);
    const std::string target = SavePath(to);
    if (target.empty() || !File_CreateParentDirectory(target.c_str())) return false;
    if (std::rename(source.c_str(), target.c_str()) != 0 && errno != ENOENT) return false;
    HostFs_MoveHeldFiles(source, target);
    return true;
}

bool GameFile_Copy(const char* source, const char* dest)
{
    const std::string from = FoundPath(source);
    if (from.empty()) {
        Console().Printf("Unable to open source file %s\n", source != nullptr ? source : "");
        return false;
    }
    const std::string to = SavePath(dest);
    return !to.empty() && CopyPath(from, to);
}

bool GameDirectory_Exists(const char* name)
{
    char path[kLoadSavePathSize];
    if (LoadSave_PathWrite(path, sizeof path, name) && DirectoryExists(path)) return true;
    return LoadSave_PathRead(path, sizeof path, name) && DirectoryExists(path);
}

bool GameDirectory_Create(const char* name)
{
    const std::string path = SavePath(name);
    return !path.empty() && DirectoryCreate(path.c_str());
}

}  // namespace bw
