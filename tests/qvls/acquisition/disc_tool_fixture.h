#pragma once
// The album acquisition fixture with the album tables open. The disc-lookup
// tool is a stand-in behind frameServices().runProgram: a
// "tool run" writes what the test wants into the collection folder and runs
// until the test lets it end.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquisition_fixture.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/process.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/core/frame_services.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {

// One start of an outside program, as it was asked for.
struct ProgramStart {
    std::string program;
    std::vector<std::string> args;
    std::string folder;
};

class DiscToolTest : public AcquisitionTest
{
protected:
    static constexpr const char* kTables[] = {"Quorvel", "Album", "AlbumDetails", "Media", "Categories", "Artists"};

    void SetUp() override
    {
        AcquisitionTest::SetUp();
        for (const char* label : kTables)
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        FrameServices& s = frameServices();
        s.programFolder = [] { return std::string("/opt/qvl/"); };
        s.runProgram = [this](const std::string& p, const std::vector<std::string>& a, const std::string& f) {
            starts.push_back({p, a, f});
            if (runCode != 0)
                return ProgramRun(runCode);
            if (toolRun)
                toolRun();
            ProgramRun run(0);
            run.exitCode = [this] {
                ++polls;
                return toolRunning ? rt::kStillActive : 0u;
            };
            return run;
        };
    }
    void TearDown() override
    {
        host.reset();
        resetFrameServices();
        for (const char* label : kTables)
            dictionary::accessOf(label)->close();
        AcquisitionTest::TearDown();
    }

    static std::filesystem::path golden(const std::string& name)
    {
        return std::filesystem::path(ACQUISITION_GOLDEN) / name;
    }
    // The tool's run leaves this golden file as its answer.
    void toolAnswers(const std::string& goldenName)
    {
        toolRun = [this, goldenName] { writeFile(collection("TRAKHAND.LOG"), readFile(golden(goldenName))); };
    }

    static std::string memo(tables::Table& t, const char* field) { return t.record().memo(t.def().memoIndex(field)); }
    // An album on file, in the Album buffer.
    static void albumOnFile(const std::vector<std::pair<std::string, std::string>>& values)
    {
        add(dictionary::Album(), values);
    }
    // The songs of album 1 in key order: "side.track title / artist".
    static std::vector<std::string> songsOf(std::int64_t albumId)
    {
        tables::Table& t = dictionary::Quorvel();
        std::vector<std::string> rows;
        t.record().clear();
        t.record()["SNG:AlbumID"] = albumId;
        t.setAt(t.def().keyIndex("SNG:KeyAlbumID"));
        while (t.next() == 0 && t.record()["SNG:AlbumID"].toInt() == albumId)
            rows.push_back(std::to_string(t.record()["SNG:Side"].toInt()) + "."
                + std::to_string(t.record()["SNG:TrackNumber"].toInt()) + " " + value(t, "SNG:Title") + " / "
                + value(t, "SNG:Artist"));
        return rows;
    }

    // Runs body on a thread of its own, as a window's procedure runs, and
    // answers every message box it shows with its first button, noting
    // "title: text".
    void run(std::function<void()> body)
    {
        finished = false;
        host->start("caller", [this, body] {
            body();
            finished = true;
        });
        answerMessages();
    }
    void answerMessages()
    {
        for (rt::MessageBoxWindow* m = host->messageBox(); m; m = host->messageBox()) {
            messages.push_back(m->title() + ": " + m->text());
            host->answer(rt::button::Ok);
        }
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
    }

    std::vector<ProgramStart> starts;
    std::function<void()> toolRun;
    int runCode = 0;
    bool toolRunning = false;
    int polls = 0;
    bool finished = false;
    std::vector<std::string> messages;
};

} // namespace qv::qvls::testing
