#include "platform/package_loader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "host/memory_pages.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/memory.h"

namespace bw {
namespace {

// The lines of '#' around the package's folder in the log.
constexpr size_t kPwdRuleLength = 73;

GamePackage g_package;
PackageLoaderHooks g_hooks;
// Blocks read from disk; they live until the package is forgotten, which a
// run never does.
std::vector<uint8_t*> g_readBlocks;
// The package image is one of those blocks (not an image handed in).
bool g_imageIsOurs = false;
// The first reason a load or pass failed.
std::string g_fault;

void SetFault(std::string fault)
{
    if (g_fault.empty()) {
        g_fault = std::move(fault);
    }
}

std::string ChunkFault(const ChunkInfo& chunk, const char* what)
{
    return Package_ChunkPlace(chunk.tag, chunk.offset - kChunkHeaderSize) + " " + what;
}

// A walk failed: the container itself, else the chunk whose reader refused it.
void SetWalkFault(const PackageView& package, const std::optional<ChunkInfo>& refused)
{
    std::string fault = Package_ContainerFault(package);
    if (fault.empty() && refused) {
        fault = ChunkFault(*refused, "is damaged");
    }
    SetFault(fault.empty() ? "the package is damaged" : std::move(fault));
}

// Why the file at path could not be read whole.
std::string ReadFailure(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return "no such file";
    }
    if (std::filesystem::is_directory(status)) {
        return "it is a folder, not a file";
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::fclose(file);
    return "it cannot be read";
}

constexpr uint32_t kTagSTRG = Package_Tag("STRG"), kTagGEN8 = Package_Tag("GEN8"), kTagGEN7 = Package_Tag("GEN7"),
                   kTagGENL = Package_Tag("GENL"), kTagCODE = Package_Tag("CODE"), kTagTXTR = Package_Tag("TXTR");

// Every tag the passes know; any other makes the main pass fail.
constexpr uint32_t kKnownTags[] = {
    kTagSTRG,           kTagGEN8,           kTagGEN7,           kTagGENL,           kTagCODE,
    Package_Tag("VARI"), Package_Tag("FUNC"), Package_Tag("OPTN"), Package_Tag("EXTN"), Package_Tag("SOND"),
    Package_Tag("AUDO"), Package_Tag("SPRT"), Package_Tag("BGND"), Package_Tag("PATH"), Package_Tag("SCPT"),
    Package_Tag("SHDR"), Package_Tag("FONT"), Package_Tag("TMLN"), Package_Tag("OBJT"), Package_Tag("ROOM"),
    Package_Tag("DAFL"), Package_Tag("TPAG"), kTagTXTR,           Package_Tag("HELP"), Package_Tag("DBGI"),
};

bool IsKnownTag(uint32_t tag)
{
    for (uint32_t known : kKnownTags) {
        if (known == tag) {
            return true;
        }
    }
    return false;
}

bool IsHeaderTag(uint32_t tag)
{
    return tag == kTagGEN8 || tag == kTagGEN7 || tag == kTagGENL;
}

const ChunkHandler* FindHandler(uint32_t tag)
{
    for (const ChunkHandler& handler : g_hooks.handlers) {
        if (handler.tag == tag) {
            return &handler;
        }
    }
    return nullptr;
}

bool RunReader(ChunkReader reader, const PackageView& package, const ChunkInfo& chunk)
{
    return reader == nullptr || reader(package, chunk.offset, chunk.length);
}

// ---- the header record ----

struct RoomOrderPlace {
    uint32_t count;
    uint32_t entries;
};

RoomOrderPlace RoomOrderPlaceFor(uint8_t format)
{
    if (format <= 7) return {36, 40};
    switch (format) {
        case 10: return {104, 108};
        case 11: return {112, 116};
        case 12: return {120, 124};
        case 13: return {124, 128};
        default: return {100, 104};
    }
}

class HeaderFields {
public:
    HeaderFields(const PackageView& package, const ChunkInfo& chunk) : m_package(package), m_chunk(chunk) {}

    void SetRoomOrderSpan(uint64_t begin, uint64_t end)
    {
        m_orderBegin = begin;
        m_orderEnd = end;
    }
    // A field to read: false (and m_ok cleared) when it is not in the record.
    // Fields inside the room order are left as they are.
    template <typename T>
    void Read(uint32_t at, T& out, bool required = true)
    {
        if (at < m_orderEnd && at + sizeof(T) > m_orderBegin) {
            return;
        }
        if (at + sizeof(T) > m_chunk.length) {
            m_ok = m_ok && !required;
            return;
        }
        const uint8_t* bytes = m_package.Bytes(uint64_t{m_chunk.offset} + at, sizeof(T));
        std::memcpy(&out, bytes, sizeof(T));
    }
    void ReadString(uint32_t at, const char*& out)
    {
        uint32_t offset = 0;
        Read(at, offset);
        if (!Wad_PatchString(m_package, offset, &out)) {
            m_ok = false;
        }
    }
    bool Ok() const { return m_ok; }

private:
    const PackageView& m_package;
    const ChunkInfo& m_chunk;
    uint64_t m_orderBegin = 0;
    uint64_t m_orderEnd = 0;
    bool m_ok = true;
};

bool ReadRoomOrder(const PackageView& package, const ChunkInfo& chunk, uint8_t format, GameHeader& header,
                   HeaderFields& fields)
{
    const RoomOrderPlace place = RoomOrderPlaceFor(format);
    uint32_t count = 0;
    if (place.entries > chunk.length || !package.ReadU32(uint64_t{chunk.offset} + place.count, count) ||
        count > (chunk.length - place.entries) / 4) {
        return false;
    }
    header.roomOrder.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t room = 0;
        package.ReadU32(uint64_t{chunk.offset} + place.entries + 4 * uint64_t{i}, room);
        header.roomOrder[i] = static_cast<int32_t>(room);
    }
    fields.SetRoomOrderSpan(place.count, place.entries + 4 * uint64_t{count});
    return true;
}

// ---- the string table ----

bool ReadStrings(const PackageView& package, const ChunkInfo& chunk)
{
    std::vector<uint32_t> entries;
    if (!Wad_PatchPointerList(package, chunk, entries)) {
        return false;
    }
    g_package.strings.assign(entries.size(), nullptr);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == 0) {
            continue;
        }
        uint32_t length = 0;
        const uint64_t bytes = uint64_t{entries[i]} + 4;
        const uint8_t* text = nullptr;
        if (!package.ReadU32(entries[i], length) || (text = package.Bytes(bytes, uint64_t{length} + 1)) == nullptr ||
            text[length] != 0) {
            return false;
        }
        g_package.strings[i] = reinterpret_cast<const char*>(text);
    }
    return true;
}

// ---- passes ----

bool HeaderPass1(const PackageView& package, const ChunkInfo& chunk)
{
    Console().Printf("Get Header Information\n");
    if (!GameHeader_Read(package, chunk, g_package.header)) {
        return false;
    }
    g_package.hasHeader = true;
    const GameHeader& header = g_package.header;
    if (header.saveFolder != nullptr) {
        Files_SetSaveFolderName(header.saveFolder, header.RoamingSaves());
    }
    g_package.codeVersion = chunk.tag == kTagGEN8 ? kCodeVersionGen8 : kCodeVersionGen7;
    if (!g_package.functionsRegistered) {
        g_package.functionsRegistered = true;
        Console().Printf("InitBWLFunctions\n");
        if (g_hooks.registerFunctions != nullptr) {
            g_hooks.registerFunctions();
        }
    }
    return true;
}

bool Pass1Chunk(const PackageView& package, const ChunkInfo& chunk)
{
    if (chunk.tag == kTagSTRG) {
        Console().Printf("ID_STRG\n");
        return ReadStrings(package, chunk);
    }
    if (IsHeaderTag(chunk.tag)) {
        return HeaderPass1(package, chunk);
    }
    const ChunkHandler* handler = FindHandler(chunk.tag);
    if (chunk.tag == kTagCODE) {
        Console().Printf("Code_Load()\n");
        g_package.bytecodePresent = true;
    } else if (chunk.tag == Package_Tag("VARI")) {
        Console().Printf("VARI_Load()\n");
    }
    return handler == nullptr || RunReader(handler->pass1, package, chunk);
}

bool ReadFile(const std::string& path, const uint8_t** image, size_t* size)
{
    uint8_t* data = LoadSave_ReadWholeFile(path.c_str(), size);
    *image = data;
    if (data != nullptr) {
        g_readBlocks.push_back(data);
    }
    return data != nullptr;
}

std::string SiblingPath(const std::string& path, const char* name)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(0, slash) + "/" + name;
}

void LoadOptionsIni()
{
    g_package.iniPath = SiblingPath(g_package.path, "options.ini");
    Console().Printf("Checking if INIFile %s Exists\n", g_package.iniPath.c_str());
    if (!FileExists(g_package.iniPath.c_str())) {
        Console().Printf("!!!!No INI File %s\n", g_package.iniPath.c_str());
        return;
    }
    size_t size = 0;
    uint8_t* text = LoadSave_ReadWholeFile(g_package.iniPath.c_str(), &size);
    if (text == nullptr) {
        Console().Printf("!!!!No INI File %s\n", g_package.iniPath.c_str());
        return;
    }
    IniFile ini;
    ini.SetText(reinterpret_cast<const char*>(text));
    MemoryManager_Free(text);
    if (g_hooks.iniLoaded != nullptr) {
        g_hooks.iniLoaded(ini);
    }
}

void LoadDebugFile()
{
    g_package.debugPath = Package_DebugFilePath(g_package.path);
    if (g_package.debugPath.empty() || !FileExists(g_package.debugPath.c_str())) {
        return;
    }
    if (ReadFile(g_package.debugPath, &g_package.debugImage, &g_package.debugSize)) {
        Runner_PreProcessChunks();
    }
}

// The main pass goes on past a chunk its reader refused; the first one
// refused is the reason the load failed.
bool Pass2Read(bool read, const ChunkInfo& chunk)
{
    if (!read) {
        SetFault(ChunkFault(chunk, "is damaged"));
    }
    return read;
}

void LogChunk(const ChunkInfo& chunk)
{
    Console().Printf("Process Chunk: %s   %u\n", Package_TagText(chunk.tag).text, chunk.length);
}

}  // namespace

int32_t GameHeader::SplashMode() const
{
    if (flags & 0x800) return 3;
    if (flags & 0x400) return 2;
    if (flags & 0x200) return 1;
    return 0;
}

bool GameHeader_Read(const PackageView& package, const ChunkInfo& chunk, GameHeader& header)
{
    GameHeader read;
    read.tag = chunk.tag;
    if (chunk.length < 4) {
        return false;
    }
    HeaderFields fields(package, chunk);
    fields.Read(0, read.flagByte);
    fields.Read(1, read.format);
    const uint8_t format = read.format;
    if (!ReadRoomOrder(package, chunk, format, read, fields)) {
        return false;
    }
    fields.ReadString(4, read.displayName);
    fields.ReadString(8, read.configName);
    fields.Read(12, read.lastInstanceId);
    fields.Read(16, read.lastTileId);
    fields.Read(20, read.gameId);
    fields.Read(24, read.value24);
    fields.Read(32, read.value32);
    fields.ReadString(40, read.saveFolder);
    fields.Read(68, read.flags, format >= 8);
    if (format >= 8) {
        fields.Read(60, read.windowWidth);
        fields.Read(64, read.windowHeight);
    }
    if (format >= 10) fields.ReadString(100, read.caption);
    if (format >= 11) fields.Read(104, read.value104);
    if (format >= 12) fields.Read(112, read.value112);
    if (format >= 13) fields.Read(120, read.steamAppId);
    if (!fields.Ok()) {
        return false;
    }
    header = std::move(read);
    return true;
}

GamePackage& Package()
{
    return g_package;
}

const char* Package_String(uint32_t index)
{
    return index < g_package.strings.size() ? g_package.strings[index] : nullptr;
}

void PackageLoader_SetHooks(PackageLoaderHooks hooks)
{
    g_hooks = std::move(hooks);
}

void PackageLoader_Reset()
{
    g_package = GamePackage{};
    for (uint8_t* block : g_readBlocks) {
        MemoryManager_Free(block);
    }
    g_readBlocks.clear();
    g_imageIsOurs = false;
    g_fault.clear();
}

const std::string& Package_LoadFault()
{
    return g_fault;
}

void Package_SetImage(const uint8_t* image, size_t size)
{
    g_package.image = image;
    g_package.size = image != nullptr ? size : 0;
    g_imageIsOurs = false;
}

void Package_ReleaseBytes(const PackageView& package, uint64_t offset, uint64_t length)
{
    const uint8_t* bytes = package.Bytes(offset, length);
    if (g_imageIsOurs && bytes != nullptr && package.Size() == g_package.size && bytes == g_package.image + offset) {
        HostMemory_ReleasePages(const_cast<uint8_t*>(bytes), static_cast<size_t>(length));
    }
}

void Package_SetDebugImage(const uint8_t* image, size_t size)
{
    g_package.debugImage = image;
    g_package.debugSize = image != nullptr ? size : 0;
}

bool RunnerLoadGame(const std::string& gamePath)
{
    tagIConsole& console = Console();
    console.Printf("RunnerLoadGame: %s\n", gamePath.c_str());
    std::string path = gamePath;
    if (path.empty() && (g_hooks.chooseGameFile == nullptr || !g_hooks.chooseGameFile(&path) || path.empty())) {
        SetFault("no game package was named");
        return false;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    g_package.path = error ? path : absolute.string();
    console.Printf("RunnerLoadGame() - %s\n", g_package.path.c_str());
    Files_SetPackagePath(g_package.path.c_str());
    const std::string rule(kPwdRuleLength, '#');
    console.Printf("%s\n####!!!!$$$$$$ pwd - %s\n%s\n", rule.c_str(), Files_PackageFolder().c_str(), rule.c_str());

    LoadOptionsIni();
    LoadDebugFile();

    console.Printf("Reading File %s\n", g_package.path.c_str());
    if (!ReadFile(g_package.path, &g_package.image, &g_package.size)) {
        console.Printf("FAILED to load File %s\n", g_package.path.c_str());
        SetFault(ReadFailure(g_package.path));
        return false;
    }
    g_imageIsOurs = true;
    console.Printf("Loaded File %s\n", g_package.path.c_str());
    if (Package_HasFormMagic(g_package.View())) {
        console.Printf("IFF wad found\n");
    }
    return true;
}

bool Runner_PreProcessChunks()
{
    const PackageView debug = g_package.DebugView();
    return Package_WalkChunks(debug, [&](const ChunkInfo& chunk) {
        LogChunk(chunk);
        const ChunkHandler* handler = FindHandler(chunk.tag);
        return handler == nullptr || RunReader(handler->debugPass, debug, chunk);
    });
}

bool Code_Load()
{
    const PackageView package = g_package.View();
    std::optional<ChunkInfo> refused;
    const bool walked = Package_WalkChunks(package, [&](const ChunkInfo& chunk) {
        if (Pass1Chunk(package, chunk)) {
            return true;
        }
        refused = chunk;
        return false;
    });
    if (!walked) {
        SetWalkFault(package, refused);
    }
    return walked;
}

bool LoadGameData()
{
    Console().Printf("LoadGameData()\n");
    return Runner_ProcessChunks();
}

bool Runner_ProcessChunks()
{
    Console().Printf("initialise everything!\n");
    if (g_hooks.clearTables != nullptr) {
        g_hooks.clearTables();
    }
    const PackageView package = g_package.View();
    bool ok = true;
    // Texture pages are bound to their textures once both lists are known,
    // whichever chunk comes first.
    std::optional<ChunkInfo> textures;
    const bool walked = Package_WalkChunks(package, [&](const ChunkInfo& chunk) {
        LogChunk(chunk);
        if (chunk.length == 0) {
            return true;
        }
        if (!IsKnownTag(chunk.tag)) {
            Console().Printf("unknown Chunk %s:%d\n", Package_TagText(chunk.tag).text,
                             static_cast<int32_t>(chunk.tag));
            SetFault(ChunkFault(chunk, "is of a kind this runner does not know"));
            ok = false;
            return true;
        }
        if (IsHeaderTag(chunk.tag)) {
            g_package.codeVersion = chunk.tag == kTagGEN8 ? kCodeVersionGen8 : kCodeVersionGen7;
            ok = Pass2Read(GameHeader_Read(package, chunk, g_package.header), chunk) && ok;
            return true;
        }
        if (chunk.tag == kTagTXTR) {
            textures = chunk;
            return true;
        }
        const ChunkHandler* handler = FindHandler(chunk.tag);
        ok = Pass2Read(handler == nullptr || RunReader(handler->pass2, package, chunk), chunk) && ok;
        return true;
    });
    if (!walked) {
        SetWalkFault(package, std::nullopt);
    }
    if (walked && textures) {
        const ChunkHandler* handler = FindHandler(kTagTXTR);
        ok = Pass2Read(handler == nullptr || RunReader(handler->pass2, package, *textures), *textures) && ok;
    }
    return walked && ok;
}

std::string Package_DebugFilePath(const std::string& packagePath)
{
    // The extension is the file name's own: a '.' in a folder ("../outs/game",
    // "my.dir/game") would put the debug file outside the package's folder.
    const size_t slash = packagePath.find_last_of('/');
    const size_t dot = packagePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return packagePath.substr(0, dot) + ".qxdebug";
}

}  // namespace bw
