#include "online/steam/steam_storage.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <cstring>
#include <vector>

#include "online/steam/steam_client.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/real_to_int.h"

namespace bw {

namespace {

using steam::CallHandle;
using steam::RemoteStorageFileShareResult_t;
using steam::RemoteStoragePublishFileResult_t;

constexpr int32_t kResultOk = 1;
constexpr int32_t kAllPlatforms = -1;

// A share request's own record, freed once its answer is handled.
class CFileShareResultHandler {
public:
    using Handler = void (*)(RemoteStorageFileShareResult_t* result, bool ioFailure);
    explicit CFileShareResultHandler(Handler handler) : m_handler(handler) {}

    void Set(CallHandle call) { m_call.Set(call, this, &CFileShareResultHandler::OnShared); }

private:
    void OnShared(RemoteStorageFileShareResult_t* result, bool ioFailure);

    Handler m_handler;
    CCallResult<CFileShareResultHandler, RemoteStorageFileShareResult_t> m_call;
};
// Shares in flight, owned here so that shut-down unregisters them.
std::vector<std::unique_ptr<CFileShareResultHandler>> g_shares;

void CFileShareResultHandler::OnShared(RemoteStorageFileShareResult_t* result, bool ioFailure)
{
    m_handler(result, ioFailure);
    std::erase_if(g_shares, [this](const std::unique_ptr<CFileShareResultHandler>& h) { return h.get() == this; });
}

class RemoteStorageCallbacks {
public:
    void Set(CallHandle call) { m_call.Set(call, this, &RemoteStorageCallbacks::Steam_OnWorkshopPublished); }

    bool inProgress = false;
    bool shareFailed = false;
    int32_t sharesPending = 0;
    std::string file, preview, title, description;

private:
    void Steam_OnWorkshopPublished(RemoteStoragePublishFileResult_t* result, bool ioFailure)
    {
        if (result->result == kResultOk && !ioFailure) {
            Console().Printf("workshop publish success\n");
        } else {
            Console().Printf("Error publishing to workshop - error code %d\n", result->result);
        }
        inProgress = false;
    }

    CCallResult<RemoteStorageCallbacks, RemoteStoragePublishFileResult_t> m_call;
};
std::unique_ptr<RemoteStorageCallbacks> g_publish;

void Steam_OnFileShared(RemoteStorageFileShareResult_t* result, bool ioFailure)
{
    if (ioFailure) {
        Console().Printf("File share failed : IO Failure\n");
    } else if (result->result != kResultOk) {
        Console().Printf("File share failed with error: %d\n", result->result);
    } else {
        Console().Printf("File share success\n");
    }
}

void Publish()
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    steam::ISteamUtils* utils = Steam_Utils();
    if (storage == nullptr || utils == nullptr) {
        g_publish->inProgress = false;
        return;
    }
    const CallHandle call =
        storage->PublishWorkshopFile(g_publish->file.c_str(), g_publish->preview.c_str(), utils->GetAppId(),
                                     g_publish->title.c_str(), g_publish->description.c_str(), 0, nullptr, 0);
    // A publish that did not go out ends the attempt, so another may start.
    if (call == 0) {
        Console().Printf("Error publishing to workshop - error code %d\n", 0);
        g_publish->inProgress = false;
        return;
    }
    g_publish->Set(call);
}

void Steam_OnPublishFileShared(RemoteStorageFileShareResult_t* result, bool ioFailure)
{
    if (ioFailure) {
        Console().Printf("File share failed: IO Failure\n");
        g_publish->shareFailed = true;
    } else if (result->result != kResultOk) {
        Console().Printf("File share failed with error: %d\n", result->result);
        g_publish->shareFailed = true;
    } else {
        Console().Printf("File share success\n");
    }
    if (--g_publish->sharesPending > 0) return;
    if (g_publish->shareFailed) {
        g_publish->inProgress = false;
    } else {
        Publish();
    }
}

// Sends a share with a record of its own; false when it did not go out.
bool Share(const char* name, CFileShareResultHandler::Handler handler)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    const CallHandle call = storage != nullptr ? storage->FileShare(name) : 0;
    if (call == 0) return false;
    g_shares.push_back(std::make_unique<CFileShareResultHandler>(handler));
    g_shares.back()->Set(call);
    return true;
}

bool InCloud(const char* name)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr && storage->FileExists(name);
}

double WriteBytes(const char* name, const void* data, int32_t size)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    if (storage == nullptr) return 0;
    storage->FileForget(name);
    if (!storage->FileWrite(name, data, size)) return 0;
    storage->SetSyncPlatforms(name, kAllPlatforms);
    return 1;
}

int32_t Quota(bool total)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    int32_t totalBytes = 0, available = 0;
    if (storage != nullptr) storage->GetQuota(&totalBytes, &available);
    return total ? totalBytes : available;
}

}  // namespace

void Steam_RemoteStorage_Init()
{
    g_publish = std::make_unique<RemoteStorageCallbacks>();
}

void Steam_RemoteStorage_Shutdown()
{
    g_publish.reset();
    g_shares.clear();
}

double Steam_IsCloudEnabledForApp()
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr && storage->IsCloudEnabledForApp() ? 1 : 0;
}

double Steam_IsCloudEnabledForAccount()
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr && storage->IsCloudEnabledForAccount() ? 1 : 0;
}

double Steam_FilePersisted(const char* name)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr && storage->FilePersisted(name) ? 1 : 0;
}

double Steam_FileExists(const char* name)
{
    return InCloud(name) ? 1 : 0;
}

double Steam_FileDelete(const char* name)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr && storage->FileDelete(name) ? 1 : 0;
}

double Steam_FileSize(const char* name)
{
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    return storage != nullptr ? storage->GetFileSize(name) : 0;
}

double Steam_GetQuotaTotal()
{
    return Quota(true);
}

double Steam_GetQuotaFree()
{
    return Quota(false);
}

double Steam_FileWrite(const char* name, const char* data, double size)
{
    const int32_t length = static_cast<int32_t>(std::min<size_t>(std::strlen(data), INT32_MAX));
    return WriteBytes(name, data, std::clamp(Real_TruncToInt32(size), 0, length));
}

double Steam_FileWriteFile(const char* cloudName, const char* localName)
{
    char path[1024];
    if (!LoadSave_PathFind(path, sizeof path, localName)) {
        Console().Printf("Failed to find local file %s\n", localName);
        return 0;
    }
    size_t size = 0;
    uint8_t* bytes = LoadSave_ReadWholeFile(path, &size);
    if (bytes == nullptr || size > INT32_MAX) {
        Console().Printf("ERROR!!! :: Failed to open file: %s\n", path);
        MemoryManager_Free(bytes);
        return 0;
    }
    const double written = WriteBytes(cloudName, bytes, static_cast<int32_t>(size));
    MemoryManager_Free(bytes);
    return written;
}

std::optional<std::string> Steam_FileRead(const char* name)
{
    if (!InCloud(name)) {
        Console().Printf("File read failed: file does not exist\n");
        return std::nullopt;
    }
    steam::ISteamRemoteStorage* storage = Steam_RemoteStorage();
    const int32_t size = storage->GetFileSize(name);
    if (size <= 0) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    if (storage->FileRead(name, text.data(), size) < size) return std::nullopt;
    return text;
}

double Steam_FileShare(const char* name)
{
    if (!Steam_LoggedOn()) {
        Console().Printf("File share failed: must be logged on\n");
        return 0;
    }
    if (!InCloud(name)) {
        Console().Printf("File share failed: \"%s\" does not exist, must write first\n", name);
        return 0;
    }
    Console().Printf("Uploading %s to cloud...\n", name);
    return Share(name, &Steam_OnFileShared) ? 1 : 0;
}

double Steam_PublishWorkshopFile(const char* file, const char* preview, const char* title, const char* description)
{
    if (g_publish->inProgress) {
        Console().Printf("Workshop publish already in progress...\n");
        return 0;
    }
    for (const char* name : {file, preview}) {
        if (name == file || *name != '\0') {
            if (!InCloud(name)) {
                Console().Printf("Write file \"%s\" to remote storage first\n", name);
                return 0;
            }
        }
    }
    if (!Steam_LoggedOn()) {
        Console().Printf("Workshop publish error - user must be logged on\n");
        return 0;
    }
    Console().Printf("workshop publish - uploading to cloud...\n");
    g_publish->inProgress = true;
    g_publish->shareFailed = false;
    g_publish->sharesPending = 0;
    g_publish->file = file;
    g_publish->preview = preview;
    g_publish->title = title;
    g_publish->description = description;
    for (const char* name : {file, preview}) {
        if (*name == '\0') continue;
        ++g_publish->sharesPending;
        // A share that never goes out is counted as failed at once.
        if (!Share(name, &Steam_OnPublishFileShared)) {
            g_publish->shareFailed = true;
            --g_publish->sharesPending;
        }
    }
    if (g_publish->sharesPending == 0) g_publish->inProgress = false;
    return 1;
}

}  // namespace bw
