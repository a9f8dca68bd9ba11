#include "host/shared_library.h"

#include <dlfcn.h>

namespace bw {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string* error)
{
    const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = dlerror();
            *error = reason != nullptr ? reason : "unknown error";
        }
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary()
{
    dlclose(m_handle);
}

void* SharedLibrary::Find(const char* symbol) const
{
    return symbol != nullptr ? dlsym(m_handle, symbol) : nullptr;
}

}  // namespace bw
