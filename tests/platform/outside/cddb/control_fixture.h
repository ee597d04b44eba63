#pragma once
// The real control against the loopback disc database, with its store in a
// folder of its own and its windows on the headless host. Control calls run
// on a program thread, as in the lookup tool, so a test can drive the
// windows they open.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/outside/cddb/fixtures.h"
#include "platform/outside/cddb/options_store.h"
#include "platform/outside/cddb/service_control.h"
#include "platform/runtime/headless.h"
#include "support/cddb_server.h"

namespace qv::cddb::testing {

// Each event as the lookup tool's log list would show it.
class RecordedEvents : public ControlEvents
{
public:
    void CommandCompleted(int command, std::uint32_t result, int) override
    {
        lines.push_back("completed " + std::to_string(command) + " " + std::to_string(result));
    }
    void LogMessage(const std::string& text) override { lines.push_back("log " + text); }
    void ServerMessage(int number, int, const std::string& text) override
    {
        lines.push_back("server " + std::to_string(number) + " " + text);
    }
    void CommandProgress(int command, int, int step, int steps) override
    {
        lines.push_back(
            "progress " + std::to_string(command) + " " + std::to_string(step) + "/" + std::to_string(steps));
    }

    std::vector<std::string> starting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& line : lines)
            if (line.starts_with(prefix))
                out.push_back(line);
        return out;
    }

    std::vector<std::string> lines;
};

// The TOC texts of the fixture records the loopback server holds.
inline const std::string kHarbourToc = "30038e04 4 150 18327 34162 50932 912"; // rock: one exact match
inline const std::string kSketchesToc = "1702ba03 3 150 21052 40000 700"; // jazz and misc
inline const std::string kFolkToc = "21031e05 5 150 9000 20000 31000 45000 800";
inline const std::string kUnknownToc = "09012a02 2 150 10000 300"; // no record

class ControlTest : public ::testing::Test
{
protected:
    // discs: what the server serves (the fixture folder, or a JSON file).
    void startServer(const std::string& discs = fixtureFolder())
    {
        server = std::make_unique<qv::testing::CddbServer>(discs);
        ASSERT_TRUE(server->running());
        Options o = control.FetchOptions() ? *control.FetchOptions() : Options{};
        o.serverUrl = server->queryUrl();
        o.submitUrl = server->submitUrl();
        o.email = "ann@example.org";
        o.connectTimeoutSeconds = 5;
        o.transferTimeoutSeconds = 5;
        control.ApplyOptions(o);
    }

    void SetUp() override
    {
        char pattern[] = "/tmp/qv-cddb-control-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        config = pattern;
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        cookie = control.connect(&events);
    }

    void TearDown() override
    {
        control.disconnect(cookie);
        server.reset();
        ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(config, ec);
        EXPECT_TRUE(host.failures().empty()) << host.failures().front();
    }

    // Runs a control call on a program thread; a ComError it throws is kept
    // in `error`. The test drives the windows it opens meanwhile.
    void run(std::function<void()> call)
    {
        finished = false;
        error = 0;
        host.start("Trakhand", [this, call] {
            try {
                call();
            } catch (const ComError& e) {
                error = e.code();
                errorText = e.description();
            }
            finished = true;
        });
    }

    // The code of the ComError a call on a program thread throws; 0 for none.
    std::uint32_t failureOf(std::function<void()> call)
    {
        run(std::move(call));
        EXPECT_TRUE(finished);
        return error;
    }

    rt::Window& window(const char* name)
    {
        rt::Window* w = host.window(name);
        if (!w)
            throw std::logic_error(std::string("window ") + name + " is not open");
        return *w;
    }

    std::string config;
    rt::HeadlessHost host;
    CddbServiceControl control;
    RecordedEvents events;
    int cookie = 0;
    std::unique_ptr<qv::testing::CddbServer> server;
    bool finished = false;
    std::uint32_t error = 0;
    std::string errorText;
};

} // namespace qv::cddb::testing
