// The user's cloud files for this game: write, read, delete, share, and
// publishing a cloud file (with an optional preview) to the workshop. Share
// and publish results are only logged.
#pragma once

#include <optional>
#include <string>

namespace bw {

void Steam_RemoteStorage_Init();
void Steam_RemoteStorage_Shutdown();

double Steam_IsCloudEnabledForApp();
double Steam_IsCloudEnabledForAccount();
double Steam_FilePersisted(const char* name);
double Steam_FileExists(const char* name);
double Steam_FileDelete(const char* name);
double Steam_FileSize(const char* name);
double Steam_GetQuotaTotal();
double Steam_GetQuotaFree();
// Writes at most the text's own length, whatever size says.
double Steam_FileWrite(const char* name, const char* data, double size);
double Steam_FileWriteFile(const char* cloudName, const char* localName);
// The file's whole text; none for a missing, empty or short-read file.
std::optional<std::string> Steam_FileRead(const char* name);
double Steam_FileShare(const char* name);
double Steam_PublishWorkshopFile(const char* file, const char* preview, const char* title, const char* description);

}  // namespace bw
