// Shared libraries loaded at run time: the libraries that extension packages
// and game code name, and the platform's service library. Each is loaded with
// every symbol bound at once and kept out of the global symbol space, so two
// libraries exporting the same name never see each other's.
#pragma once

#include <memory>
#include <string>

namespace bw {

class SharedLibrary {
public:
    // Loads the library at path. A path without '/' is taken from the current
    // folder, never from the system's library search path, so a bare name
    // cannot pick up an unrelated system library of that name. Null when it
    // cannot be loaded; *error (when given) then says why.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string* error);

    // Unloads the library: addresses found in it are invalid afterwards.
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of an exported symbol, null when the library has none.
    void* Find(const char* symbol) const;

private:
    explicit SharedLibrary(void* handle) : m_handle(handle) {}
    void* m_handle;
};

}  // namespace bw
