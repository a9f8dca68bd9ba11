// A private folder under $TMPDIR (else /tmp) for one test, removed with all
// it holds when the test ends; and an environment variable set for one scope.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

namespace bw::test {

class ScratchFolder {
public:
    ScratchFolder()
    {
        const char* root = std::getenv("TMPDIR");
        m_path = std::string(root != nullptr && root[0] == '/' ? root : "/tmp") + "/bw_test_XXXXXX";
        if (mkdtemp(m_path.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    }
    ~ScratchFolder() { std::error_code ignored; std::filesystem::remove_all(m_path, ignored); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    // Writes a file below the folder, making its folders first; returns its path.
    std::string Write(const std::string& relative, const std::string& content) const
    {
        const std::filesystem::path path = *this / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The names of the entries of a folder, in byte order.
    static std::set<std::string> Names(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
        return names;
    }

private:
    std::string m_path;
};

// A null value unsets the variable; the old value comes back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) { value != nullptr ? setenv(m_name.c_str(), value, 1) : unsetenv(m_name.c_str()); }
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace bw::test
