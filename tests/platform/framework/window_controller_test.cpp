#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/framework/window_controller.h"
#include "platform/runtime/headless.h"

using namespace qv;

namespace {

class Faulty : public fw::WindowController
{
public:
    Faulty()
        : fw::WindowController("Faulty")
    { }
    fw::Level Prepare() override
    {
        fw::WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(
            "title: Faulty\ncontrols:\n  - {type: button, name: Go, text: Go}\n", "test", "Faulty")));
        openWindow();
        return fw::Benign;
    }
    fw::Level OnAccepted(int) override { throw std::runtime_error("no such control"); }
    void CleanUp() override
    {
        cleanedUp = true;
        fw::WindowController::CleanUp();
    }
    bool cleanedUp = false;
};

TEST(WindowController, AFaultInAHandlerStillTearsTheWindowDown)
{
    rt::HeadlessHost host;
    Faulty faulty;
    host.start("Faulty", [&] { faulty.Execute(); });
    rt::Window* w = host.window("Faulty");
    ASSERT_NE(w, nullptr);
    host.press(*w, "?Go");
    EXPECT_TRUE(faulty.cleanedUp);
    EXPECT_EQ(host.window("Faulty"), nullptr) << "the window closed";
    EXPECT_EQ(host.failures(), std::vector<std::string>{"Faulty: no such control"});
}

} // namespace
