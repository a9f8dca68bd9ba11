#include "library/save_game_queue.h"

#include <algorithm>
#include <cinttypes>
#include <memory>
#include <string>

#include "library/buffer.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/stream.h"
#include "world/save_game.h"

namespace bw {

namespace {

// Room reserved for a saved game before it is written.
constexpr int64_t kSaveReserve = 131072;

constexpr int32_t kNoBuffer = -1;

// The buffer waiting to be loaded, by id: game code may free its buffer
// before the step comes round, and the load then finds no buffer rather
// than freed memory.
int32_t g_queuedBuffer = kNoBuffer;
// The buffer game_load made for its file; freed once the load is served.
int32_t g_loadBuffer = kNoBuffer;

void WarnNoBuffer(int32_t bufferId)
{
    Console().Printf("WARNING: No buffer available for %d\n", bufferId);
}

// The saved game into a stream of its own; null when it could not be
// written whole.
std::unique_ptr<CStream> WriteSavedGame()
{
    auto stream = std::make_unique<CStream>(kSaveReserve);
    if (!Game_WriteState(*stream)) {
        Console().Printf("ERROR: Save game failed: the game could not be saved whole\n");
        return nullptr;
    }
    return stream;
}

// Makes room for count bytes at the position of a buffer: a grow buffer
// doubles as its typed writes would (past the last byte, so the position
// can rest after what was written); a wrap buffer always has room; any
// other needs it already.
bool MakeRoom(IBuffer& buffer, int64_t count)
{
    const int64_t end = int64_t{buffer.Position()} + count;
    switch (buffer.Kind()) {
    case kBufferWrap:
        return buffer.Size() > 0;
    case kBufferGrow: {
        int64_t size = std::max(buffer.Size(), 1);
        while (size <= end) {
            size *= 2;
        }
        if (size > kBufferMaxSize) {
            return false;
        }
        if (size > buffer.Size()) {
            buffer.Resize(static_cast<int32_t>(size));
        }
        return true;
    }
    default:
        return end <= buffer.Size();
    }
}

}  // namespace

bool Game_Save(const char* fileName)
{
    const std::unique_ptr<CStream> stream = WriteSavedGame();
    if (stream == nullptr) {
        return false;
    }
    if (fileName == nullptr ||
        !LoadSave_WriteSaveFile(fileName, stream->GetData(), static_cast<size_t>(stream->GetPosition()))) {
        Console().Printf("ERROR: Save game failed: cannot write \"%s\"\n", fileName != nullptr ? fileName : "");
        return false;
    }
    return true;
}

bool Game_SaveBuffer(int32_t bufferId)
{
    IBuffer* buffer = Buffer_Get(bufferId);
    if (buffer == nullptr) {
        return false;
    }
    const std::unique_ptr<CStream> stream = WriteSavedGame();
    if (stream == nullptr) {
        return false;
    }
    const int64_t count = stream->GetPosition();
    if (!MakeRoom(*buffer, count)) {
        Console().Printf("ERROR: Save game failed: buffer %d has no room for %" PRId64 " bytes\n", bufferId, count);
        return false;
    }
    const int32_t size = static_cast<int32_t>(count);
    if (!Buffer_CopyMemoryIn(*buffer, stream->GetData(), size, 0, size, buffer->Position(), false,
                             buffer->Kind() == kBufferWrap, false)) {
        return false;
    }
    buffer->Seek(1, size);
    return true;
}

void Game_Load(const char* fileName)
{
    if (g_loadBuffer != kNoBuffer) {
        Console().Printf("WARNING: Load game being ignored due to load game already queued\n");
        return;
    }
    char path[kLoadSavePathSize];
    size_t size = 0;
    uint8_t* bytes = nullptr;
    if (fileName != nullptr && LoadSave_PathFind(path, sizeof path, fileName)) {
        bytes = LoadSave_ReadWholeFile(path, &size);
    }
    int32_t id = kNoBuffer;
    if (bytes == nullptr) {
        Console().Printf("ERROR: Load game failed: cannot open \"%s\"\n", fileName != nullptr ? fileName : "");
        // The load is queued all the same, so that it holds up any other
        // load asked for in this step; an empty buffer then fails to load.
        id = Buffer_CreateEmpty();
    } else {
        // Whole-file reads keep to 32-bit sizes.
        id = Buffer_CreateFromMemory(bytes, static_cast<int32_t>(size), true);
    }
    Game_QueueLoad(id);
    g_loadBuffer = id;
}

bool Game_QueueLoad(int32_t bufferId)
{
    if (g_loadBuffer != kNoBuffer) {
        Console().Printf("WARNING: Load game being ignored due to load game already queued\n");
        return false;
    }
    if (Buffer_Get(bufferId) == nullptr) {
        WarnNoBuffer(bufferId);
        return false;
    }
    g_queuedBuffer = bufferId;
    return true;
}

bool Game_DoQueuedLoad()
{
    if (g_queuedBuffer == kNoBuffer) {
        return false;
    }
    const int32_t bufferId = g_queuedBuffer;
    g_queuedBuffer = kNoBuffer;
    bool loaded = false;
    if (IBuffer* buffer = Buffer_Get(bufferId); buffer == nullptr) {
        WarnNoBuffer(bufferId);
    } else {
        // Only the bytes the buffer holds from its position on are read.
        CStream stream;
        const int32_t start = buffer->Position();
        if (buffer->Data() != nullptr && start < buffer->Size()) {
            stream.Attach(buffer->Data() + start, buffer->Size() - start);
        }
        std::string error;
        loaded = Game_ReadState(stream, &error);
        if (loaded) {
            buffer->Seek(1, static_cast<int32_t>(stream.GetPosition()));
        } else {
            Console().Printf("ERROR: Load game failed: %s\n", error.c_str());
        }
    }
    if (g_loadBuffer != kNoBuffer) {
        Buffer_Delete(g_loadBuffer);
        g_loadBuffer = kNoBuffer;
    }
    return loaded;
}

}  // namespace bw
