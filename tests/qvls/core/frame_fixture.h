#pragma once
// The frame on the headless host, in a collection folder of its own, with
// every start of a window or program written down instead of done.

#include <filesystem>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "platform/expr/datetime.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"
#include "qvls/core/frame.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {

struct Started {
    std::string name;
    std::size_t stack;
};
struct Ran {
    std::string program;
    std::vector<std::string> args;
    std::string folder;
};

class FrameFixture : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        registerSubsystems(); // as the program does before its body runs
        dictionary::InitDictionary(); // as the program body does before the frame
        programDir_ = collection("../prog dir/");
        std::filesystem::create_directories(programDir_);
        resetFrameServices();
        FrameServices& s = frameServices();
        s.startProcedure = [this](std::string_view name, std::size_t stack) {
            if (name == "Splash" && !runSplash)
                return rt::Procedures::Started{};
            if (name == "Splash" || realStarts)
                return rt::Procedures::start(name, stack);
            started.push_back({std::string(name), stack});
            return rt::Procedures::Started{60, {}};
        };
        s.callProcedure = [this](std::string_view name) {
            called.push_back(std::string(name) + " request " + std::to_string(fw::handover().request));
            return true;
        };
        s.runProgram = [this](const std::string& p, const std::vector<std::string>& a, const std::string& f) {
            ran.push_back({p, a, f});
            return runCode;
        };
        s.openAddress = [this](std::string_view a) {
            opened.push_back(std::string(a));
            return 42;
        };
        s.programFolder = [this] { return programDir_.string(); };
    }

    void TearDown() override
    {
        if (frame)
            closeFrame();
        host.reset();
        for (tables::Table* t : dictionary::allTables())
            while (t->isOpen())
                t->close();
        dictionary::KillDictionary();
        resetFrameServices();
        CollectionFolder::TearDown();
    }

    void startFrame()
    {
        host->start("main", [] { Main(); });
        host->settle();
        frame = host->window("Main");
        ASSERT_NE(frame, nullptr) << (host->failures().empty() ? "" : host->failures().front());
    }

    void closeFrame()
    {
        for (int i = 0; i < 5 && host->messageBox(); ++i)
            host->answer(host->messageBox()->buttons().back().answer);
        if (frame && frame->isOpen())
            host->post(*frame, rt::Event{rt::event::CloseWindow});
        for (int i = 0; i < 5 && host->messageBox(); ++i)
            host->answer(host->messageBox()->buttons().back().answer);
        frame = nullptr;
    }

    void press(std::string_view item) { host->press(*frame, std::string("?") + std::string(item)); }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
    expr::FixedClock fixedClock{80000, 4500001};
    expr::ScopedClock scopedClock{fixedClock};
    rt::Window* frame = nullptr;
    bool runSplash = false;
    bool realStarts = false;
    int runCode = 0;
    std::vector<Started> started;
    std::vector<std::string> called;
    std::vector<Ran> ran;
    std::vector<std::string> opened;
    std::filesystem::path programDir_;
};

} // namespace qv::qvls::testing
