#include <gtest/gtest.h>

#include "tool_fixture.h"
#include "trakhand/error_log.h"

namespace qv::trakhand::testing {
namespace {

class ProxyDialog : public ToolTest
{
protected:
    rt::Window& open(const std::string& line = "trakhand /P /A")
    {
        start(line);
        rt::Window* w = host.window("ProxySettings");
        EXPECT_NE(w, nullptr);
        return *w;
    }
};

TEST_F(ProxyDialog, ShowsItsFieldsEmptyAndThePortZero)
{
    rt::Window& w = open();
    EXPECT_EQ(w.title(), "Trakhand Proxy Settings");
    EXPECT_EQ(w.geometry().width, 186);
    EXPECT_EQ(w.geometry().height, 89);
    EXPECT_EQ(w["?Host"].value(), "");
    EXPECT_EQ(w["?Port"].value(), "0");
    EXPECT_EQ(w["?UserName"].value(), "");
    EXPECT_EQ(w["?Password"].value(), "");
    EXPECT_TRUE(w["?Password"].def().password);
    EXPECT_FALSE(w["?UserName"].def().password);
    EXPECT_EQ(w["?OK"].text(), "&OK");
    EXPECT_TRUE(w["?OK"].isDefault());
    // The main window waits, hidden, until the control is set up.
    rt::Window* main = host.window("LookupDialog");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->hidden());
    host.press(w, "?Cancel");
    finish();
}

TEST_F(ProxyDialog, OkHandsTheValuesToTheControl)
{
    rt::Window& w = open();
    host.enter(w, "?Host", "proxy.example");
    host.enter(w, "?Port", "3128");
    host.enter(w, "?UserName", "bob");
    host.enter(w, "?Password", "s3cret!");
    host.press(w, "?OK");
    EXPECT_EQ(finish(), std::vector<std::string>{});
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(fake.applied.size(), 1u);
    const cddb::Options& o = fake.applied[0];
    EXPECT_EQ(o.proxyHost, "proxy.example");
    EXPECT_EQ(o.proxyPort, 3128);
    EXPECT_EQ(o.proxyUser, "bob");
    EXPECT_EQ(o.proxyPassword, "s3cret!");
}

TEST_F(ProxyDialog, PortTakesDigitsOnly)
{
    rt::Window& w = open();
    host.enter(w, "?Port", "8a0-8");
    EXPECT_EQ(w["?Port"].value(), "808");
    host.press(w, "?Cancel");
    finish();
}

TEST_F(ProxyDialog, EmptyPortAsksForAnIntegerAndStaysOpen)
{
    rt::Window& w = open();
    host.enter(w, "?Host", "proxy.example");
    host.enter(w, "?Port", "");
    host.press(w, "?OK");
    rt::MessageBoxWindow* m = host.messageBox();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->text(), "Please enter an integer.");
    host.answer(rt::button::Ok);
    ASSERT_EQ(host.window("ProxySettings"), &w);
    host.enter(w, "?Port", "99999999999"); // past 32 bits
    host.press(w, "?OK");
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    host.enter(w, "?Port", "8080");
    host.press(w, "?OK");
    EXPECT_EQ(finish(), std::vector<std::string>{});
    EXPECT_EQ(fake.applied.at(0).proxyPort, 8080);
}

TEST_F(ProxyDialog, CancelAndAnEmptyHostLeaveTheControlsProxyAlone)
{
    fake.options->proxyHost = "kept.proxy";
    fake.options->proxyPort = 81;
    rt::Window& w = open();
    host.enter(w, "?UserName", "bob");
    host.press(w, "?Cancel");
    finish();
    EXPECT_EQ(fake.applied.at(0).proxyHost, "kept.proxy");
    EXPECT_EQ(fake.applied.at(0).proxyUser, "");

    fake.applied.clear();
    rt::Window& again = open();
    host.enter(again, "?UserName", "bob");
    host.press(again, "?OK"); // port 0, no host
    finish();
    EXPECT_EQ(fake.applied.at(0).proxyHost, "kept.proxy");
    EXPECT_EQ(fake.applied.at(0).proxyPort, 81);
}

TEST_F(ProxyDialog, CredentialsNeverReachTheErrorLog)
{
    fake.result = makeDisc({"One"});
    fake.lookupError = cddb::ComError(cddb::hr::kNetwork, "Proxy refused bob:s3cret!@proxy.example");
    rt::Window& w = open("trakhand /P /D D:");
    host.enter(w, "?Host", "proxy.example");
    host.enter(w, "?UserName", "bob");
    host.enter(w, "?Password", "s3cret!");
    host.press(w, "?OK");
    EXPECT_EQ(finish(), std::vector<std::string>{"COM Error (82fa0010): Proxy refused ***:***@proxy.example"});
    EXPECT_EQ(read(kErrorLogFile), "COM Error (82fa0010): Proxy refused ***:***@proxy.example\r\n");
}

} // namespace
} // namespace qv::trakhand::testing
