// Resource code run from a whole package that bwpack builds from a project,
// in the form the test is instantiated with, read by the runner's own loader.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/registration.h"
#include "bwpack/package_build.h"
#include "bwpack/project.h"
#include "code_fixture.h"
#include "platform/package_loader.h"

namespace bw::test {

class PackageCodeTest : public ResourceCodeTest, public ::testing::WithParamInterface<pack::PackageForm> {
protected:
    // From LoadResources: loading a package empties the object table.
    void LoadPackage(const pack::Project& project)
    {
        // The builder compiles with the runner's compiler and its own name
        // lookups, which it takes down again when it is done.
        package = pack::Package_Build(project, GetParam());
        Resources_RegisterScriptAccess();
        Registration_InstallPackageReaders();
        Package_SetImage(package.data(), package.size());
        ASSERT_TRUE(Code_Load());
        ASSERT_TRUE(LoadGameData());
        Code_Error_SetShowErrors(false);  // the load resets it
    }

    void TearDown() override
    {
        PackageLoader_Reset();
        ResourceCodeTest::TearDown();
    }

    std::vector<uint8_t> package;
};

inline std::string PackageFormName(const testing::TestParamInfo<pack::PackageForm>& info)
{
    return info.param == pack::PackageForm::Text ? "Text" : "Bytecode";
}

}  // namespace bw::test
