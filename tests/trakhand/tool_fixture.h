#pragma once
// Runs the tool on the headless host in a collection folder of its own,
// against the fake control and audio device.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fake_control.h"
#include "platform/runtime/headless.h"
#include "trakhand/tool.h"

namespace qv::trakhand::testing {

inline cddb::DiscRef makeDisc(
    std::vector<std::string> titles, std::string category = "rock", std::string discId = "2a03b504")
{
    auto disc = std::make_shared<cddb::Disc>();
    disc->artist = "The Band";
    disc->title = "Blue Record";
    disc->year = "1971";
    disc->label = "Side Street";
    disc->notes = "Recorded live.";
    disc->genreId = category;
    disc->category = std::move(category);
    disc->discId = std::move(discId);
    for (std::string& t : titles)
        disc->tracks.push_back({std::move(t), "", ""});
    return disc;
}

class ToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        // Users keep collections in folders such as "Bob's Music".
        folder_ = std::filesystem::temp_directory_path()
            / ("trakhand-Bob's Music-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(folder_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        services.makeControl = [this](CancelCheck cancelled) -> std::unique_ptr<cddb::Control> {
            fake.cancelled = cancelled;
            if (!controlReachable)
                return nullptr;
            return std::make_unique<FakeControl>(fake);
        };
        services.audio = &audio;
        services.setDriveOverrides = [this](std::vector<cdaudio::DriveOverride> map) { driveMap = std::move(map); };
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    // Starts a run; returns once it ended or waits for the user.
    void start(const std::string& commandLine)
    {
        host.start("Trakhand", [this, commandLine] { exitCode = runTrakhand(commandLine, services); });
        host.settle();
    }
    // Answers every message with OK until the run has ended; their texts.
    std::vector<std::string> finish()
    {
        std::vector<std::string> texts;
        while (rt::MessageBoxWindow* m = host.messageBox()) {
            EXPECT_EQ(m->title(), "Trakhand");
            EXPECT_EQ(m->icon(), rt::Icon::None);
            EXPECT_EQ(m->buttons().size(), 1u);
            texts.push_back(m->text());
            host.answer(rt::button::Ok);
        }
        EXPECT_NE(exitCode, -1) << "the run has not ended";
        EXPECT_TRUE(host.failures().empty());
        return texts;
    }
    std::vector<std::string> run(const std::string& commandLine)
    {
        start(commandLine);
        return finish();
    }

    bool called(const std::string& call) const
    {
        return std::find(fake.calls.begin(), fake.calls.end(), call) != fake.calls.end();
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder_ / name); }
    std::string read(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }

    rt::HeadlessHost host;
    FakeService fake;
    FakeAudio audio;
    ToolServices services;
    bool controlReachable = true;
    std::vector<cdaudio::DriveOverride> driveMap;
    int exitCode = -1;

private:
    std::filesystem::path folder_, previous_;
};

} // namespace qv::trakhand::testing
