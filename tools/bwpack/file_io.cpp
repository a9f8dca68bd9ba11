#include "bwpack/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace bw::pack {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool Fail(std::string* reason)
{
    *reason = std::strerror(errno);
    return false;
}

}  // namespace

bool File_ReadAll(const std::filesystem::path& path, std::vector<uint8_t>* bytes, std::string* reason)
{
    errno = 0;
    const FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) return Fail(reason);
    bytes->clear();
    uint8_t block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes->insert(bytes->end(), block, block + got);
    // A folder opens on this system; reading it is what fails (EISDIR).
    if (std::ferror(file.get())) return Fail(reason);
    return true;
}

bool File_WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* reason)
{
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return Fail(reason);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // The last buffered bytes reach the disk in fclose, so a full disk may
    // show only there.
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) errno = writeErrno;
    if (!written || !closed) return Fail(reason);
    return true;
}

}  // namespace bw::pack
