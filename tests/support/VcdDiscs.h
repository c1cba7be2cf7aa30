#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The Video CD test discs of tests/media/make_vcd.sh, made on first use: in
// $ZELVO_TEST_MEDIA/vcd when that is set, else in a folder of the system's
// temporary folder. Test programs running side by side share them.
inline const std::filesystem::path& vcdDiscs()
{
    static const std::filesystem::path folder = [] {
        const char* media = std::getenv("ZELVO_TEST_MEDIA");
        const std::filesystem::path out =
            media && *media ? std::filesystem::path(media) / "vcd"
                            : std::filesystem::temp_directory_path() / ("zelvo-test-vcd-" + std::to_string(getuid()));
        const auto script = std::filesystem::path(ZELVO_TEST_SCRIPTS) / "make_vcd.sh";
        const std::string command = "bash '" + script.string() + "' '" + out.string() + "'";
        if (std::system(command.c_str()) != 0)
            ADD_FAILURE() << "could not make the Video CD test discs: " << command;
        return out;
    }();
    return folder;
}

inline std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
