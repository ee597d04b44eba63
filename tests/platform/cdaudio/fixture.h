#pragma once
// A simulated drive "D:" on a TOC file of the test's own, in a folder of its
// own, with no real drive listed and a clock the test moves.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/cdaudio/drives.h"
#include "platform/cdaudio/mci.h"
#include "platform/cdaudio/simulated_drive.h"

namespace qv::cdaudio::testing {

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Other test programs may use the fixture; the real discs' files need
// QV_DISCS (tests/platform/cdaudio/discs).
#ifdef QV_DISCS
inline std::string discFile(const std::string& name)
{
    return std::string(QV_DISCS) + "/" + name;
}
#endif

// An answer as the tables write it: the text, or "#" and the error number
// ("*" in a table: any answer but an error).
inline std::string send(const std::string& command)
{
    std::string answer = "left over";
    const int error = mciSendString(command, answer);
    return error ? "#" + std::to_string(error) : answer;
}

class SimulatedDriveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        folder_ = std::filesystem::temp_directory_path() / ("qvcdaudio-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(folder_);
        OpticalDrives::setLister([] { return std::vector<std::string>{}; });
        SimulatedDrive::setClock([this] { return now_; });
    }

    void TearDown() override
    {
        std::string answer;
        mciSendString("close all", answer);
        setDriveOverrides({});
        OpticalDrives::setLister({});
        SimulatedDrive::setClock({});
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    // Writes the drive's file and makes it drive "D:".
    void insert(const std::string& toc)
    {
        write(toc);
        setDriveOverrides({{"D:", tocPath()}});
    }
#ifdef QV_DISCS
    void insertDisc(const std::string& name)
    {
        insert(readFile(discFile(name)));
    }
#endif
    void write(const std::string& toc) const
    {
        std::ofstream(tocPath(), std::ios::binary) << toc;
    }
    std::string tocPath() const
    {
        return (folder_ / "drive.toc").string();
    }

    void expectAnswers(const std::vector<std::pair<std::string, std::string>>& table)
    {
        for (const auto& [command, expected] : table) {
            const std::string answer = send(command);
            if (expected == "*") // any answer but an error: an open's device number
                EXPECT_NE(answer[0], '#') << command << " gave " << answer;
            else
                EXPECT_EQ(answer, expected) << command;
        }
    }

    std::filesystem::path folder_;
    std::int64_t now_ = 1000000;
};

} // namespace qv::cdaudio::testing
