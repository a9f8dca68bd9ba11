// Files the game appends to. Appending never destroys what a file holds, so
// it needs no hidden copy: each write goes straight to the end of the file
// as it then stands. A game killed or crashed keeps every line it wrote, as
// a log must, and two handles on one file both keep their writes.
#pragma once

#include <cstddef>
#include <string>

#include "host/file_writer.h"

namespace bw {

class AppendFileWriter final : public FileWriter {
public:
    // Opens path for appending, creating it when missing. A path that names
    // a symbolic link appends to the file the link leads to; anything there
    // that is not a regular file (a folder, a device, a pipe) is refused.
    explicit AppendFileWriter(const std::string& path);
    ~AppendFileWriter() override;
    AppendFileWriter(const AppendFileWriter&) = delete;
    AppendFileWriter& operator=(const AppendFileWriter&) = delete;

    // Unbuffered and write-only: every write reaches the file at once.
    FILE* Stream() const override { return m_stream; }
    bool Close() override;
    const std::string& Error() const override { return m_error; }

    // Appends the bytes, all or none; false when they could not be written.
    // What the file held before stays, and later writes are still tried.
    bool Write(const void* data, size_t size);

private:
    bool Fail(const char* what);

    int m_fd = -1;
    FILE* m_stream = nullptr;
    std::string m_error;
};

}  // namespace bw
