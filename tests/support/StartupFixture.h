#pragma once
// A fixture for the start-up configuration: the common application data and documents folders lie in a
// fresh temporary folder, TEMP and TMPDIR are unset, and the executable's path points into it.

#include "common/Cp932.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qz::test {

class TStartupFixture : public ::testing::Test {
protected:
    TTempFolder root;
    TScopedEnv env;
    std::filesystem::path common = root.Path() / "ProgramData";
    std::filesystem::path documents = root.Path() / "Docs";
    std::filesystem::path settings = common / "QuorvelZAI" / "ZAIMU";
    std::filesystem::path exe = root.Path() / "Install" / "Bin" / "qzconvert";

    void SetUp() override
    {
        env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", documents.string());
        env.Unset("TEMP").Unset("TMPDIR");
    }

    void WriteConnectionFile(const std::string& text) { WriteBytes(settings / "quorvelzaimu.ini", EncodeCp932(text)); }
};

}  // namespace qz::test
