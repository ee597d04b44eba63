#include <gtest/gtest.h>

#include "platform/cdaudio/drives.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace qv::cdaudio;

namespace {

class Drives : public ::testing::Test
{
protected:
    void use(std::vector<std::string> devices)
    {
        OpticalDrives::setLister([devices] { return devices; });
    }
    void TearDown() override { OpticalDrives::setLister({}); }

    static std::vector<std::string> tokens(const std::vector<OpticalDrive>& drives)
    {
        std::vector<std::string> out;
        for (const OpticalDrive& d : drives)
            out.push_back(d.token + "=" + d.device);
        return out;
    }
};

TEST_F(Drives, TokensFollowTheDeviceOrderFromD)
{
    use({"/dev/sr0", "/dev/sr1", "/dev/sr0"});
    EXPECT_EQ(tokens(OpticalDrives::list()), (std::vector<std::string>{"D:=/dev/sr0", "E:=/dev/sr1"}))
        << "a device listed twice is one drive";
    use({});
    EXPECT_TRUE(OpticalDrives::list().empty());
}

TEST_F(Drives, OverridesPinTokensAndTheRestTakeFreeLetters)
{
    use({"/dev/sr0", "/dev/sr1", "/dev/sr2"});
    struct Case {
        std::vector<OpticalDrives::Override> overrides;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{{"e:", "/dev/sr0"}}, {"D:=/dev/sr1", "E:=/dev/sr0", "F:=/dev/sr2"}},
        {{{"G:", "/dev/sr2"}}, {"D:=/dev/sr0", "E:=/dev/sr1", "G:=/dev/sr2"}},
        // not present, not a token, a token taken twice: ignored
        {{{"D:", "/dev/sr9"}, {"DD", "/dev/sr1"}, {"X:", "/dev/sr1"}, {"X:", "/dev/sr2"}},
            {"D:=/dev/sr0", "E:=/dev/sr2", "X:=/dev/sr1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(OpticalDrives::list(c.overrides)), c.expected);
}

TEST_F(Drives, DeviceForAToken)
{
    use({"/dev/sr0", "/dev/sr1"});
    EXPECT_EQ(OpticalDrives::deviceFor("E:"), "/dev/sr1");
    EXPECT_EQ(OpticalDrives::deviceFor("d:"), "/dev/sr0");
    EXPECT_EQ(OpticalDrives::deviceFor("F:"), "");
    EXPECT_EQ(OpticalDrives::deviceFor(""), "") << "the blank default drive names no device";
    EXPECT_EQ(OpticalDrives::deviceFor(":"), "");
}

TEST_F(Drives, ATocFileIsASimulatedDriveUnderItsTokenOnly)
{
    const std::string toc = (std::filesystem::temp_directory_path() / "qv-drives-test.toc").string();
    std::ofstream(toc) << "disc none\n";
    use({"/dev/sr0"});
    struct Case {
        std::vector<OpticalDrives::Override> overrides;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{{"F:", toc}}, {"D:=/dev/sr0", "F:=" + toc}},
        {{{"D:", toc}}, {"D:=" + toc, "E:=/dev/sr0"}},
        // not a token, a file that is not there, a folder: no drive
        {{{"FF", toc}, {"G:", toc + ".missing"}, {"H:", "/tmp"}}, {"D:=/dev/sr0"}},
        // the token already taken: the file is no drive rather than one under another letter
        {{{"E:", "/dev/sr0"}, {"E:", toc}}, {"E:=/dev/sr0"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokens(OpticalDrives::list(c.overrides)), c.expected);
    EXPECT_EQ(OpticalDrives::deviceFor("f:", {{"F:", toc}}), toc);
    std::remove(toc.c_str());
}

TEST_F(Drives, TheSystemListIsReadable)
{
    // Whatever this machine has, libcdio answers without failing.
    for (const std::string& d : OpticalDrives::systemDevices())
        EXPECT_FALSE(d.empty());
}

} // namespace
