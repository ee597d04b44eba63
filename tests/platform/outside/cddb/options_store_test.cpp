#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/outside/cddb/options_store.h"
#include "platform/runtime/services_fixture.h"

namespace qv::cddb {
namespace {

using rt::testing::readFile;
using rt::testing::ScopedEnv;
using rt::testing::ScratchFolder;
using rt::testing::writeFile;

mode_t modeOf(const std::string& path)
{
    struct stat st { };
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class OptionsStore : public ::testing::Test
{
protected:
    ScratchFolder scratch_{"qv cddb options"};
    ScopedEnv config_{"XDG_CONFIG_HOME", scratch_ / "config"};
};

TEST_F(OptionsStore, WithoutFilesTheDefaultsServe)
{
    const Options o = loadOptions();
    EXPECT_EQ(o.serverUrl, "http://gnudb.gnudb.org/~cddb/cddb.cgi");
    EXPECT_EQ(o.submitUrl, "http://gnudb.gnudb.org/~cddb/submit.cgi");
    EXPECT_TRUE(o.testSubmissions);
    EXPECT_EQ(o.connectTimeoutSeconds, 10);
    EXPECT_EQ(o.transferTimeoutSeconds, 30);
    EXPECT_EQ(o.proxyHost, "");
    EXPECT_EQ(o.proxyPassword, "");
    EXPECT_FALSE(loadServiceUser().has_value());
}

TEST_F(OptionsStore, SavedOptionsComeBackAndThePasswordStaysOutOfTheIniFile)
{
    Options o = defaultOptions();
    o.serverUrl = "https://cddb.example.org/cddb.cgi";
    o.submitUrl = "https://cddb.example.org/submit.cgi";
    o.testSubmissions = false;
    o.connectTimeoutSeconds = 4;
    o.transferTimeoutSeconds = 12;
    o.proxyHost = "proxy.example.org";
    o.proxyPort = 3128;
    o.proxyUser = "alice";
    o.proxyPassword = "s3cret=;[x]";
    o.email = "ann@example.org";
    o.dataFolder = "/srv/discs";
    o.valueA = 1;
    o.valueB = -2;
    o.valueC = 4096;
    const mode_t oldMask = ::umask(0); // the file must not take its mode from the umask
    saveOptions(o);
    ::umask(oldMask);

    const Options back = loadOptions();
    EXPECT_EQ(back.serverUrl, o.serverUrl);
    EXPECT_EQ(back.submitUrl, o.submitUrl);
    EXPECT_FALSE(back.testSubmissions);
    EXPECT_EQ(back.connectTimeoutSeconds, 4);
    EXPECT_EQ(back.transferTimeoutSeconds, 12);
    EXPECT_EQ(back.proxyHost, o.proxyHost);
    EXPECT_EQ(back.proxyPort, 3128);
    EXPECT_EQ(back.proxyUser, "alice");
    EXPECT_EQ(back.proxyPassword, o.proxyPassword);
    EXPECT_EQ(back.email, o.email);
    EXPECT_EQ(back.dataFolder, o.dataFolder);
    EXPECT_EQ(back.valueA, 1);
    EXPECT_EQ(back.valueB, -2);
    EXPECT_EQ(back.valueC, 4096);

    EXPECT_EQ(optionsFilePath(), scratch_ / "config/quorvel/cddb.ini");
    EXPECT_EQ(readFile(optionsFilePath()).find("s3cret"), std::string::npos);
    EXPECT_EQ(modeOf(proxyPasswordPath()), 0600u);
    EXPECT_EQ(readFile(proxyPasswordPath()), o.proxyPassword);

    // No password: no file that once held one.
    o.proxyPassword.clear();
    saveOptions(o);
    EXPECT_FALSE(std::filesystem::exists(proxyPasswordPath()));
    EXPECT_EQ(loadOptions().proxyPassword, "");
}

TEST_F(OptionsStore, APasswordFileOthersCouldReadIsClosedToThem)
{
    writeFile(proxyPasswordPath(), "old");
    ::chmod(proxyPasswordPath().c_str(), 0644);
    EXPECT_EQ(loadOptions().proxyPassword, "old");
    EXPECT_EQ(modeOf(proxyPasswordPath()), 0600u);
}

TEST_F(OptionsStore, TheServiceUserIsTheOneWhoseAddressTheOptionsUse)
{
    saveServiceUser({"Ann Reed", "ann@example.org"});
    const auto user = loadServiceUser();
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->name, "Ann Reed");
    EXPECT_EQ(user->email, "ann@example.org");
    EXPECT_EQ(loadOptions().email, "ann@example.org");
}

TEST_F(OptionsStore, AValueTheFileCannotHoldIsAnError)
{
    Options o = defaultOptions();
    o.dataFolder = "two\nlines";
    try {
        saveOptions(o);
        FAIL() << "saved";
    } catch (const ComError& e) {
        EXPECT_EQ(e.code(), hr::kFail);
        EXPECT_NE(e.description().find("cddb.ini"), std::string::npos) << e.description();
    }
}

} // namespace
} // namespace qv::cddb
