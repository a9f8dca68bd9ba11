// The tests' hold on the fake client library (support/fake_steam_library.cpp):
// it is opened here before the wrapper opens it, so both see one copy and
// the test can drive its FakeSteam_* controls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "host/shared_library.h"

namespace bw::test {

class FakeSteam {
public:
    explicit FakeSteam(const char* path) : m_path(path), m_library(SharedLibrary::Open(path, nullptr))
    {
        EXPECT_NE(m_library, nullptr) << path;
        Call<void()>("FakeSteam_Reset");
    }

    const std::string& Path() const { return m_path; }

    void SetLoggedOn(bool loggedOn) { Call<void(bool)>("FakeSteam_SetLoggedOn", loggedOn); }
    template <class R>
    void Post(const R& result)
    {
        Call<void(int32_t, const void*, int32_t)>("FakeSteam_Post", R::kCallbackId, &result,
                                                   static_cast<int32_t>(sizeof(R)));
    }
    void Script(const char* kind, const char* outcome)
    {
        Call<void(const char*, const char*)>("FakeSteam_Script", kind, outcome);
    }
    void SeedBoard(const char* name, int32_t count) { Call<void(const char*, int32_t)>("FakeSteam_SeedBoard", name, count); }
    void SetPersona(uint64_t user, const char* name) { Call<void(uint64_t, const char*)>("FakeSteam_SetPersona", user, name); }
    void PutFile(const char* name, const char* text) { Call<void(const char*, const char*)>("FakeSteam_PutFile", name, text); }
    std::string Log() { return Call<const char*()>("FakeSteam_Log"); }
    void ClearLog() { Call<void()>("FakeSteam_ClearLog"); }
    int32_t LeftRegistered() { return Call<int32_t()>("FakeSteam_LeftRegistered"); }

private:
    template <class Fn, class... Args>
    std::invoke_result_t<Fn*, Args...> Call(const char* name, Args... args)
    {
        auto* fn = reinterpret_cast<Fn*>(m_library->Find(name));
        return fn(args...);
    }

    std::string m_path;
    std::unique_ptr<SharedLibrary> m_library;
};

}  // namespace bw::test
