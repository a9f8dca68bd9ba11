#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "host/atomic_file.h"
#include "host/file_system.h"
#include "host/held_file.h"
#include "platform/console.h"
#include "platform/memory.h"
#include "platform/strings.h"

namespace bw {

namespace {

struct FileAreas {
    std::string programFolder;  // absolute, ends with '/'; empty until the package is known
    std::string saveFolder;     // absolute, ends with '/'; empty when there is none
    std::string tempFolder;     // made by TempDirectory_Init; empty when none
    std::string exePath;
    bool exePathRead = false;
    std::vector<std::string> pickedOpen;  // absolute, normalised
    std::vector<std::string> pickedSave;
};

FileAreas& Areas()
{
    static FileAreas areas;
    return areas;
}

// A name taken apart the way game code means it: '\' and '/' both separate,
// empty and "." parts vanish and ".." removes the part before it. relative
// holds the parts joined by '/', with no leading or trailing separator.
struct NameParts {
    bool absolute = false;
    std::string relative;
};

// False for an empty name and for a relative name whose ".." would climb
// above its start: such a name cannot be placed inside an area. A full
// name's ".." stops at the root, as the file system's own does.
bool SplitName(const char* name, NameParts* parts)
{
    if (name == nullptr || name[0] == '\0') return false;
    auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    parts->absolute = isSeparator(name[0]);
    std::vector<std::string_view> kept;
    std::string_view rest(name);
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        std::string_view part = rest.substr(0, end);
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            } else if (!parts->absolute) {
                return false;
            }
            continue;
        }
        kept.push_back(part);
    }
    parts->relative.clear();
    for (std::string_view part : kept) {
        if (!parts->relative.empty()) parts->relative += '/';
        parts->relative += part;
    }
    return true;
}

// "/" + relative + "/", the form in which area folders are kept.
std::string FolderForm(const std::string& relative)
{
    return relative.empty() ? std::string("/") : "/" + relative + "/";
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Whether the full name (its relative form) lies inside folder ("/.../"),
// compared on whole parts and without regard to case; rest receives what
// follows the folder.
bool InsideFolder(const std::string& fullRelative, const std::string& folder, std::string* rest)
{
    if (folder.empty()) return false;
    std::string_view folderRelative(folder);
    folderRelative.remove_prefix(1);
    if (!folderRelative.empty()) folderRelative.remove_suffix(1);
    if (folderRelative.empty()) {
        *rest = fullRelative;
        return true;
    }
    std::string_view full(fullRelative);
    if (full.size() < folderRelative.size()) return false;
    if (!EqualIgnoringAsciiCase(full.substr(0, folderRelative.size()), folderRelative)) return false;
    if (full.size() == folderRelative.size()) {
        rest->clear();
        return true;
    }
    if (full[folderRelative.size()] != '/') return false;
    *rest = std::string(full.substr(folderRelative.size() + 1));
    return true;
}

bool FindPicked(const std::vector<std::string>& picked, const std::string& full, std::string* path)
{
    for (const std::string& entry : picked) {
        if (EqualIgnoringAsciiCase(entry, full)) {
            *path = entry;
            return true;
        }
    }
    return false;
}

// The folder game code was started from, in the form of the area folders;
// empty when it cannot be told.
std::string WorkingFolder()
{
    NameParts parts;
    const std::string current = HostFs_CurrentDirectory();
    return SplitName(current.c_str(), &parts) && parts.absolute ? FolderForm(parts.relative) : std::string();
}

// What follows the folder a full name lies in. The folders are tested in the
// order given, but when one lies inside another the deeper one is what the
// name means (a game started from a folder below its package's, or a save
// folder inside the program folder), so the name keeps its place below it.
bool RestBelowDeepest(const std::string& fullRelative, std::initializer_list<const std::string*> folders,
                      std::string* rest)
{
    const std::string* deepest = nullptr;
    for (const std::string* folder : folders) {
        std::string candidate;
        if (InsideFolder(fullRelative, *folder, &candidate) && (deepest == nullptr || folder->size() > deepest->size())) {
            deepest = folder;
            *rest = std::move(candidate);
        }
    }
    return deepest != nullptr;
}

// A relative name lies in the working folder by definition: what follows it
// is the name itself. A full name is placed by the working folder, then the
// program folder, then (for writing) the save folder.
bool ResolveRead(const char* name, std::string* path)
{
    const FileAreas& areas = Areas();
    NameParts parts;
    if (!SplitName(name, &parts)) return false;
    std::string rest = parts.relative;
    const std::string working = WorkingFolder();
    if (parts.absolute && !RestBelowDeepest(parts.relative, {&working, &areas.programFolder}, &rest)) {
        return FindPicked(areas.pickedOpen, "/" + parts.relative, path);
    }
    // Before the package is known there is no program area to read from.
    if (areas.programFolder.empty()) return false;
    *path = HostFs_MatchCase(areas.programFolder, rest);
    return true;
}

bool ResolveWrite(const char* name, std::string* path)
{
    const FileAreas& areas = Areas();
    NameParts parts;
    if (!SplitName(name, &parts)) return false;
    std::string rest = parts.relative;
    const std::string working = WorkingFolder();
    if (parts.absolute &&
        !RestBelowDeepest(parts.relative, {&working, &areas.programFolder, &areas.saveFolder}, &rest)) {
        return FindPicked(areas.pickedSave, "/" + parts.relative, path);
    }
    // With no save folder there is nowhere to write; joining the rest onto
    // an empty folder would write at the file system's root.
    if (areas.saveFolder.empty()) return false;
    *path = HostFs_MatchCase(areas.saveFolder, rest);
    return true;
}

// A file the game holds open to rewrite reads as what it has written so
// far.
bool IsReadable(const std::string& path)
{
    return HostFs_IsReadableFile(HostFs_ContentsPath(path));
}

bool CopyOut(char* out, size_t outSize, bool placed, const std::string& path)
{
    if (out == nullptr || outSize == 0) return false;
    if (!placed || path.size() >= outSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

char* NewText(const std::string& text)
{
    char* block = nullptr;
    VCL_StringAssign(&block, text.c_str());
    return block;
}

void AddPicked(std::vector<std::string>* picked, const char* path)
{
    NameParts parts;
    if (!SplitName(path, &parts) || !parts.absolute) return;
    std::string full = "/" + parts.relative;
    std::string existing;
    if (!FindPicked(*picked, full, &existing)) picked->push_back(full);
}

int32_t ClampPosition(int64_t position)
{
    return static_cast<int32_t>(std::clamp<int64_t>(position, 0, INT32_MAX));
}

}  // namespace

// ---- The areas -------------------------------------------------------------

bool Files_SetPackagePath(const char* packagePath)
{
    if (packagePath == nullptr || packagePath[0] == '\0') return false;
    std::string full = packagePath;
    if (full[0] != '/' && full[0] != '\\') full = HostFs_CurrentDirectory() + "/" + full;
    NameParts parts;
    if (!SplitName(full.c_str(), &parts) || parts.relative.empty()) return false;
    size_t cut = parts.relative.rfind('/');
    Areas().programFolder = FolderForm(cut == std::string::npos ? std::string() : parts.relative.substr(0, cut));
    return true;
}

bool Files_SetSaveFolderName(const char* name, bool roaming)
{
    FileAreas& areas = Areas();
    areas.saveFolder.clear();
    std::string_view folder = name != nullptr ? name : "";
    if (folder.empty() || folder == "." || folder == ".." || folder.find_first_of("/\\") != std::string_view::npos) {
        Console().Printf("Save folder name \"%s\" refused: nothing will be saved\n", name != nullptr ? name : "");
        return false;
    }
    std::string base = roaming ? HostFs_ConfigHome() : HostFs_DataHome();
    NameParts parts;
    if (!SplitName(base.c_str(), &parts)) return false;
    areas.saveFolder = FolderForm(parts.relative) + std::string(folder) + "/";
    return true;
}

const char* GetExeDirectory() { return Areas().programFolder.c_str(); }

std::string Files_PackageFolder()
{
    const std::string& folder = Areas().programFolder;
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

const char* GetSaveDirectory()
{
    const FileAreas& areas = Areas();
    return areas.saveFolder.empty() ? nullptr : areas.saveFolder.c_str();
}

const char* GetExePathW()
{
    FileAreas& areas = Areas();
    if (!areas.exePathRead) {
        areas.exePath = HostFs_ExecutablePath();
        areas.exePathRead = true;
    }
    return areas.exePath.c_str();
}

char* GetWorkingDirectory() { return NewText(HostFs_CurrentDirectory()); }

// ---- Picked files ----------------------------------------------------------

void PickedFiles_AddOpened(const char* path) { AddPicked(&Areas().pickedOpen, path); }

void PickedFiles_AddSaved(const char* path) { AddPicked(&Areas().pickedSave, path); }

void PickedFiles_Clear()
{
    Areas().pickedOpen.clear();
    Areas().pickedSave.clear();
}

// ---- Resolving names -------------------------------------------------------

bool LoadSave_PathRead(char* out, size_t outSize, const char* name)
{
    std::string path;
    bool placed = ResolveRead(name, &path);
    return CopyOut(out, outSize, placed, path);
}

bool LoadSave_PathWrite(char* out, size_t outSize, const char* name)
{
    std::string path;
    bool placed = ResolveWrite(name, &path);
    return CopyOut(out, outSize, placed, path);
}

bool LoadSave_PathFind(char* out, size_t outSize, const char* name)
{
    std::string path;
    bool found = (ResolveWrite(name, &path) && IsReadable(path)) || (ResolveRead(name, &path) && IsReadable(path));
    return CopyOut(out, outSize, found, path);
}

// ---- Whole files -----------------------------------------------------------

uint8_t* LoadSave_ReadWholeFile(const char* path, size_t* size)
{
    if (size != nullptr) *size = 0;
    if (path == nullptr) return nullptr;
    const std::string contents = HostFs_ContentsPath(path);
    // Only regular files: a folder opens for reading here, and a pipe would
    // block the game until someone writes to it.
    if (!HostFs_IsReadableFile(contents)) return nullptr;
    FILE* file = std::fopen(contents.c_str(), "rb");
    if (file == nullptr) return nullptr;
    off_t length = -1;
    if (fseeko(file, 0, SEEK_END) == 0) length = ftello(file);
    if (length < 0 || length > kLoadSaveMaxFileSize || fseeko(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(BW_ALLOC(static_cast<size_t>(length) + 1, false));
    size_t got = std::fread(block, 1, static_cast<size_t>(length), file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        MemoryManager_Free(block);
        return nullptr;
    }
    block[got] = 0;
    if (size != nullptr) *size = got;
    return block;
}

uint8_t* LoadSave_ReadSaveFile(const char* name, size_t* size)
{
    std::string path;
    if (!ResolveWrite(name, &path)) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    return LoadSave_ReadWholeFile(path.c_str(), size);
}

uint8_t* LoadSave_ReadBundleFile(const char* name, size_t* size)
{
    std::string path;
    if (!ResolveRead(name, &path)) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    return LoadSave_ReadWholeFile(path.c_str(), size);
}

bool LoadSave_WriteSaveFile(const char* name, const void* data, size_t size)
{
    if (data == nullptr && size != 0) return false;
    return LoadSave_WriteSaveFileWith(name, [data, size](AtomicFileWriter& file) { file.Write(data, size); });
}

bool LoadSave_WriteSaveFileWith(const char* name, const std::function<void(AtomicFileWriter&)>& write)
{
    std::string path;
    if (!ResolveWrite(name, &path)) return false;
    File_CreateParentDirectory(path.c_str());
    AtomicFileWriter file(path);
    write(file);
    if (file.Commit()) return true;
    // Most callers have no way to tell the game; the log at least shows it.
    LoadSave_LogWriteFailure(path.c_str(), file.Error().c_str());
    return false;
}

void LoadSave_LogWriteFailure(const char* path, const char* reason)
{
    Console().Printf("ERROR!!! :: Failed to write file: %s (%s)\n", path, reason);
}

void Files_RemoveStaleTemporaries()
{
    if (const char* saveFolder = GetSaveDirectory(); saveFolder != nullptr) HostFs_RemoveStaleTemporaries(saveFolder);
}

bool LoadSave_Exists(const char* name)
{
    std::string path;
    return ResolveRead(name, &path) && IsReadable(path);
}

bool LoadSave_SaveExists(const char* name)
{
    std::string path;
    return ResolveWrite(name, &path) && IsReadable(path);
}

int64_t LoadSave_FileSize(const char* name)
{
    std::string path;
    return ResolveRead(name, &path) ? HostFs_FileSize(HostFs_ContentsPath(path)) : -1;
}

int64_t LoadSave_SaveFileSize(const char* name)
{
    std::string path;
    return ResolveWrite(name, &path) ? HostFs_FileSize(HostFs_ContentsPath(path)) : -1;
}

// ---- In-memory files -------------------------------------------------------

MemoryFile* LoadSave_OpenRead(const char* name, const char* mode)
{
    char path[kLoadSavePathSize];
    if (!LoadSave_PathFind(path, sizeof(path), name)) return nullptr;
    return LoadSave_OpenReadPath(path, mode);
}

MemoryFile* LoadSave_OpenReadPath(const char* path, const char* mode)
{
    size_t size = 0;
    uint8_t* data = LoadSave_ReadWholeFile(path, &size);
    if (data == nullptr) return nullptr;
    auto* file = static_cast<MemoryFile*>(BW_ALLOC(sizeof(MemoryFile), true));
    file->data = data;
    file->size = static_cast<int32_t>(size);
    file->position = 0;
    bool text = mode != nullptr && std::strchr(mode, 't') != nullptr;
    if (text && size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) file->position = 3;
    return file;
}

MemoryFile* LoadSave_OpenMemory(const void* data, size_t size)
{
    if (size > static_cast<size_t>(kLoadSaveMaxFileSize)) return nullptr;
    auto* copy = static_cast<uint8_t*>(BW_ALLOC(size + 1, false));
    if (size != 0) std::memcpy(copy, data, size);
    copy[size] = 0;
    auto* file = static_cast<MemoryFile*>(BW_ALLOC(sizeof(MemoryFile), true));
    file->data = copy;
    file->size = static_cast<int32_t>(size);
    file->position = 0;
    return file;
}

void LoadSave_Close(MemoryFile* file)
{
    if (file == nullptr) return;
    MemoryManager_Free(file->data);
    MemoryManager_Free(file);
}

int32_t LoadSave_Tell(const MemoryFile* file) { return file->position; }

void LoadSave_Seek(MemoryFile* file, int64_t offset, int whence)
{
    // Offsets far outside any file clamp to the same answer; limiting them
    // first keeps the sums below from overflowing.
    constexpr int64_t kReach = int64_t{1} << 40;
    offset = std::clamp(offset, -kReach, kReach);
    switch (whence) {
    case 0: file->position = ClampPosition(offset); break;
    case 1: file->position = ClampPosition(file->position + offset); break;
    case 2: file->position = ClampPosition(file->size - offset); break;
    default: break;
    }
}

bool LoadSave_Eof(const MemoryFile* file) { return file->position >= file->size; }

bool LoadSave_Eoln(const MemoryFile* file)
{
    if (LoadSave_Eof(file)) return true;
    uint8_t c = file->data[file->position];
    return c == '\r' || c == '\n';
}

int LoadSave_ReadChar(MemoryFile* file)
{
    int c = LoadSave_Eof(file) ? -1 : file->data[file->position];
    if (file->position < INT32_MAX) ++file->position;
    return c;
}

namespace {

bool AtSpace(const MemoryFile* file)
{
    return std::isspace(file->data[file->position]) != 0;
}

}  // namespace

bool LoadSave_ReadReal(MemoryFile* file, double* value)
{
    while (!LoadSave_Eof(file) && AtSpace(file)) ++file->position;
    *value = 0.0;
    if (LoadSave_Eof(file)) return false;
    // The block always ends with a 0 byte, so the conversion stops inside it.
    const char* start = reinterpret_cast<const char*>(file->data + file->position);
    const char* end = nullptr;
    *value = String_ReadDecimal(start, &end);
    file->position += static_cast<int32_t>(end - start);
    if (LoadSave_Eof(file) || AtSpace(file)) return true;
    // The rest of a word that is no decimal number ("inf", "0x10") is passed
    // over, or every later read would stop at it and give 0.
    while (!LoadSave_Eof(file) && !AtSpace(file)) ++file->position;
    return false;
}

size_t LoadSave_Read(void* dest, size_t size, size_t count, MemoryFile* file)
{
    size_t wanted = (count != 0 && size > SIZE_MAX / count) ? SIZE_MAX : size * count;
    size_t available = LoadSave_Eof(file) ? 0 : static_cast<size_t>(file->size - file->position);
    size_t copied = std::min(wanted, available);
    if (copied != 0) std::memcpy(dest, file->data + file->position, copied);
    file->position += static_cast<int32_t>(copied);
    return copied;
}

const uint8_t* LoadSave_GetData(const MemoryFile* file) { return file->data; }

// ---- Folders ---------------------------------------------------------------

bool FileExists(const char* path) { return path != nullptr && path[0] != '\0' && HostFs_IsFile(path); }

bool DirectoryExists(const char* path)
{
    return path != nullptr && path[0] != '\0' && HostFs_IsDirectory(path);
}

bool DirectoryCreate(const char* path)
{
    if (path == nullptr || path[0] == '\0') return false;
    std::string folder = path;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // Only "/" is a root here; every other folder can be made.
    if (folder == "/" || HostFs_IsDirectory(folder)) return true;
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        std::string parent = folder.substr(0, slash);
        if (!HostFs_IsDirectory(parent) && !HostFs_MakeDirectory(parent)) return false;
    }
    return HostFs_MakeDirectory(folder);
}

bool DirectoryDelete(const char* path) { return path != nullptr && HostFs_DeleteTree(path); }

bool File_CreateParentDirectory(const char* path)
{
    if (path == nullptr) return false;
    const char* last = std::strrchr(path, '/');
    if (last == nullptr) return true;
    if (last == path) return true;  // the root
    return DirectoryCreate(std::string(path, static_cast<size_t>(last - path)).c_str());
}

// ---- The temporary folder --------------------------------------------------

bool TempDirectory_Init()
{
    FileAreas& areas = Areas();
    if (!areas.tempFolder.empty()) return true;
    areas.tempFolder = HostFs_MakeTempDirectory(HostFs_TempRoot(), "bw_ttt_");
    return !areas.tempFolder.empty();
}

char* TempDirectory_Get()
{
    const FileAreas& areas = Areas();
    return areas.tempFolder.empty() ? nullptr : NewText(areas.tempFolder);
}

bool TempDirectory_Delete()
{
    FileAreas& areas = Areas();
    if (areas.tempFolder.empty()) return true;
    bool deleted = HostFs_DeleteTree(areas.tempFolder);
    areas.tempFolder.clear();
    return deleted;
}

char* TempFile_MakeName(const char* extension)
{
    const FileAreas& areas = Areas();
    std::string suffix = extension != nullptr ? extension : "";
    if (areas.tempFolder.empty() || suffix.find_first_of("/\\") != std::string::npos) return nullptr;
    std::string path = HostFs_MakeTempFile(areas.tempFolder, "a", suffix);
    return path.empty() ? nullptr : NewText(path);
}

}  // namespace bw
