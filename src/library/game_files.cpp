#include "library/game_files.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "host/atomic_file.h"
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
constexpr size_t kCopyBlock = 4096;

// One open file: in memory for reading, or a stdio stream.
struct FileSlot {
    bool used = false;
    int32_t mode = kModeFree;
    std::string name;  // as game code gave it
    std::string path;  // resolved
    MemoryFile* memory = nullptr;
    FILE* stream = nullptr;
    bool lastWasWrite = false;  // a read-write stream must seek between the two
    bool failed = false;        // a write failed and was logged

    // The game has no answer to hear a failed write or close by, so the
    // first one of a file is logged: the file holds less than was written.
    void NoteWrite(bool written)
    {
        if (written || failed) return;
        failed = true;
        Console().Printf("ERROR!!! :: Failed to write file: %s\n", path.c_str());
    }

    void Close()
    {
        LoadSave_Close(memory);
        memory = nullptr;
        if (stream != nullptr) {
            const bool clean = std::ferror(stream) == 0;
            NoteWrite(std::fclose(stream) == 0 && clean);
        }
        stream = nullptr;
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

// A stream on the save path of name, its folders made first; null when the
// name has no save path or the file cannot be opened.
FILE* OpenForWriting(const char* name, const char* mode, std::string* path)
{
    *path = SavePath(name);
    if (path->empty() || !File_CreateParentDirectory(path->c_str())) return nullptr;
    return std::fopen(path->c_str(), mode);
}

bool CopyPath(const std::string& from, const std::string& to)
{
    // Copying a file onto itself would empty it before reading it.
    if (from == to) return true;
    FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr) return false;
    // A copy that cannot finish leaves the target as it was.
    File_CreateParentDirectory(to.c_str());
    AtomicFileWriter out(to);
    bool copied = true;
    char block[kCopyBlock];
    while (copied) {
        const size_t count = std::fread(block, 1, sizeof block, in);
        if (count == 0) break;
        copied = out.Write(block, count);
    }
    copied = copied && std::ferror(in) == 0;
    std::fclose(in);
    return copied && out.Commit();
}

// Mode 2 reads what the file holds and writes it back to the save area: a
// file shipped with the game is copied there first.
FILE* OpenReadWrite(const char* name, std::string* path)
{
    *path = SavePath(name);
    if (path->empty() || !File_CreateParentDirectory(path->c_str())) return nullptr;
    if (!LoadSave_SaveExists(name) && LoadSave_Exists(name) && !CopyPath(FoundPath(name), *path)) return nullptr;
    FILE* existing = std::fopen(path->c_str(), "r+b");
    return existing != nullptr ? existing : std::fopen(path->c_str(), "w+b");
}

// A stream switching between reading and writing must seek in between.
void PrepareStream(FileSlot& slot, bool write)
{
    if (slot.lastWasWrite != write) std::fseek(slot.stream, 0, SEEK_CUR);
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
        } else if (mode == kBinaryWrite) {
            slot.stream = OpenForWriting(name, "wb", &slot.path);
        } else {
            mode = kBinaryReadWrite;
            slot.stream = OpenReadWrite(name, &slot.path);
        }
    }
    if (slot.memory == nullptr && slot.stream == nullptr) {
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
    slot->Close();
    slot->stream = OpenForWriting(name.c_str(), "wb", &slot->path);
    if (slot->stream == nullptr) {
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
        std::fseek(slot->stream, static_cast<long>(position), SEEK_SET);
    }
}

int64_t BinaryFile_Size(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return 0;
    if (slot->memory != nullptr) return slot->memory->size;
    const long position = std::ftell(slot->stream);
    std::fseek(slot->stream, 0, SEEK_END);
    const long size = std::ftell(slot->stream);
    std::fseek(slot->stream, position, SEEK_SET);
    return size;
}

int64_t BinaryFile_Position(int32_t handle)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr) return 0;
    return slot->memory != nullptr ? LoadSave_Tell(slot->memory) : std::ftell(slot->stream);
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
        c = std::fgetc(slot->stream);
    }
    if (c < 0) return false;
    *byte = static_cast<uint8_t>(c);
    return true;
}

void BinaryFile_WriteByte(int32_t handle, uint8_t byte)
{
    FileSlot* slot = OpenSlot(g_binary, handle);
    if (slot == nullptr || slot->stream == nullptr) return;
    PrepareStream(*slot, true);
    slot->NoteWrite(std::fputc(byte, slot->stream) != EOF);
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
    slot.stream = OpenForWriting(name, append ? "ab" : "wb", &slot.path);
    if (slot.stream == nullptr) {
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
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), slot.stream) == text.size();
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
    slot.stream = name != nullptr ? OpenForWriting(name, append ? "ab" : "wb", &slot.path) : nullptr;
    if (slot.stream == nullptr) {
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

bool GameFile_Delete(const char* name)
{
    return LoadSave_SaveExists(name) && std::remove(SavePath(name).c_str()) == 0;
}

bool GameFile_Rename(const char* from, const char* to)
{
    if (!LoadSave_SaveExists(from)) return false;
    const std::string target = SavePath(to);
    return !target.empty() && File_CreateParentDirectory(target.c_str()) &&
           std::rename(SavePath(from).c_str(), target.c_str()) == 0;
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
