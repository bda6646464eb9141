// Writes the sample extracts (a corporation, an individual with the general chart, an individual with the
// real-estate chart) into a folder: qz_make_samples FOLDER

#include "tests/support/SampleExtracts.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    try {
        for (const auto& [name, description] : qz::test::SampleExtracts()) {
            const std::filesystem::path folder = std::filesystem::path(argv[1]) / name;
            std::filesystem::remove_all(folder);
            qz::test::WriteExtract(description, folder);
            std::printf("%s\n", folder.string().c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz_make_samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
