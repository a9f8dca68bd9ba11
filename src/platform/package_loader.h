// The game package loader: finds the package, reads it whole with the
// "options.ini" and the debug file beside it, and walks its chunks in three
// passes:
//   - the pre-pass over the debug file (its strings, debug tables, texts);
//   - pass 1, the header pass: strings, the header, the code list and the
//     variable bindings; the built-in functions are registered here, once;
//   - pass 2, the main pass: every resource chunk to its owner's reader.
// The image lives until the process ends and is never written (but for the
// texture page images, given back once their textures exist); chunk readers
// get (package, payload offset, payload length) and build native records.
// The readers belong to higher layers, which register them at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/package_image.h"

namespace bw {

class IniFile;

// The header record (chunks "GEN8", "GEN7", "GENL").
struct GameHeader {
    uint32_t tag = 0;
    uint8_t flagByte = 0;  // bit 0 clear: debug mode
    uint8_t format = 0;    // decides which later fields exist
    const char* displayName = nullptr;
    const char* configName = nullptr;
    int32_t lastInstanceId = 0;
    int32_t lastTileId = 0;
    int32_t gameId = 0;
    uint64_t value24 = 0;
    uint64_t value32 = 0;
    const char* saveFolder = nullptr;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    uint32_t flags = 0;
    const char* caption = nullptr;
    uint64_t value104 = 0;
    int64_t value112 = -1;
    int32_t steamAppId = 0;
    std::vector<int32_t> roomOrder;

    bool DebugMode() const { return (flagByte & 1) == 0; }
    // 0 none; 1, 2, 3 from flag bits 0x200, 0x400, 0x800 (the highest wins).
    int32_t SplashMode() const;
    bool SteamFlag() const { return (flags & 0x1000) != 0; }
    bool RoamingSaves() const { return (flags & 0x2000) != 0; }
};

// Reads a header record. Fields that the format number says exist and that
// lie inside the room order's place are not read: the room order wins.
// False when the record is too short for a field it must hold, the room
// order runs past it, or a string lies outside the file.
bool GameHeader_Read(const PackageView& package, const ChunkInfo& chunk, GameHeader& header);

inline constexpr int32_t kCodeVersionGen8 = 800;
inline constexpr int32_t kCodeVersionGen7 = 700;

// What a debugger shows for code entry n: its debug table and its text.
struct DebugEntry {
    const uint8_t* pairs = nullptr;  // count pairs of u32
    uint32_t count = 0;
    const char* text = nullptr;
};

struct GamePackage {
    std::string path;       // absolute
    std::string iniPath;    // "options.ini" beside it
    std::string debugPath;  // empty when the file name has no '.'
    const uint8_t* image = nullptr;
    size_t size = 0;
    const uint8_t* debugImage = nullptr;
    size_t debugSize = 0;

    bool hasHeader = false;
    GameHeader header;
    int32_t codeVersion = kCodeVersionGen8;
    bool bytecodePresent = false;
    bool functionsRegistered = false;
    std::vector<const char*> strings;  // the STRG list; null for an empty slot

    PackageView View() const { return PackageView(image, size); }
    PackageView DebugView() const { return PackageView(debugImage, debugSize); }
};

GamePackage& Package();
// The STRG text of index, null when out of range or empty.
const char* Package_String(uint32_t index);

// ---- what the layers above provide ----

using ChunkReader = bool (*)(const PackageView& package, uint32_t offset, uint32_t length);

// The readers of one tag in each pass (null: nothing to do there).
struct ChunkHandler {
    uint32_t tag;
    ChunkReader debugPass;  // over the debug file
    ChunkReader pass1;
    ChunkReader pass2;
};

struct PackageLoaderHooks {
    std::vector<ChunkHandler> handlers;
    // Asks the user for a package; false when none was chosen.
    bool (*chooseGameFile)(std::string* path) = nullptr;
    // "options.ini" beside the package, parsed.
    void (*iniLoaded)(IniFile& ini) = nullptr;
    // Pass 1, after the first header: every built-in function group.
    void (*registerFunctions)() = nullptr;
    // Pass 2, before any chunk: every table the chunks refill.
    void (*clearTables)() = nullptr;
};
void PackageLoader_SetHooks(PackageLoaderHooks hooks);

// Forgets the package and frees the files read for it (tests and the fuzz
// target load many; a run keeps its one package to the end).
void PackageLoader_Reset();

// ---- the passes ----

// Finds (asking when gamePath is empty) and reads the package, its
// "options.ini" and debug file. False when no package was chosen or it
// cannot be read.
bool RunnerLoadGame(const std::string& gamePath);
// Why the last RunnerLoadGame or pass failed, in plain words ("no such
// file", "the file is empty", "chunk SPRT at offset 96 is damaged"); empty
// while nothing failed.
const std::string& Package_LoadFault();
// Where the debug file of the package at packagePath lies, as bwpack writes
// it and the runner reads it: the path with the file name's extension (from
// its last '.') replaced by ".qxdebug"; empty when the file name has no '.'.
std::string Package_DebugFilePath(const std::string& packagePath);
// Uses an image already in memory (kept, not copied): tests, fuzzing.
void Package_SetImage(const uint8_t* image, size_t size);
// Gives back the memory of bytes this run reads no more (the texture page
// images once their textures exist). The whole memory pages inside the
// range read as zero afterwards. Only the image RunnerLoadGame read is
// touched: nothing happens for another view, a range outside the image or
// an image handed in by Package_SetImage, which its owner keeps as it is.
void Package_ReleaseBytes(const PackageView& package, uint64_t offset, uint64_t length);
void Package_SetDebugImage(const uint8_t* image, size_t size);

bool Runner_PreProcessChunks();
// Pass 1. False for a malformed container or a chunk that fails.
bool Code_Load();
// Pass 2 ("LoadGameData()"). False for a malformed container, an unknown
// chunk or a chunk whose reader fails.
bool LoadGameData();
bool Runner_ProcessChunks();

}  // namespace bw
