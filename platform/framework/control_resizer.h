#pragma once
// Keeps a window's controls placed as the window is resized. Works on the
// model only, in dialog units from the design geometry (never from the last
// layout, so repeated resizing does not drift); the host redraws from the
// model.
//
// Strategy 1, the general one: every control keeps its position relative to
// the window's size; lists, multi-line texts and the containers they sit in
// (sheets, groups, option boxes, panels, boxes, regions) also grow and
// shrink with it; everything else keeps its size. Single controls or ranges
// can be given rules of their own.

#include <map>
#include <vector>

#include "platform/framework/window_controller.h"

namespace qv::fw {

class ControlResizer : public WindowComponent
{
public:
    static constexpr int NoStrategy = 0; // controls stay where they are unless given a rule
    static constexpr int AppStrategy = 1; // the general strategy above

    // Where a control's left (top) edge goes.
    enum class Anchor {
        Relative, // the same fraction of the window's width (height)
        Start, // stays at its distance from the left (top)
        End, // keeps its distance from the right (bottom)
    };
    // What its width (height) does.
    enum class Grow {
        Fixed, // stays
        Relative, // the same fraction of the window's
        Stretch, // takes the whole change, so its far edge keeps its margin
    };
    struct Rule {
        Anchor x = Anchor::Relative, y = Anchor::Relative;
        Grow width = Grow::Fixed, height = Grow::Fixed;
    };

    explicit ControlResizer(int strategy = AppStrategy)
        : strategy_(strategy)
    { }

    // Takes the window's definition as the design; a component does this in
    // Prepare.
    void init(rt::Window& window, int strategy = AppStrategy);
    void setStrategy(int control, Rule rule);
    // One rule shared by controls from..to.
    void setStrategy(int from, int to, Rule rule);
    // The window cannot be made smaller; 0 for a dimension without one.
    void setMinSize(int width, int height);
    void setMinSizeToDesign();

    // The rule a control follows.
    Rule ruleFor(const rt::Control& control) const;
    // Lays the controls out for the window's present size (first raised to
    // the minimum size).
    void resize();

    void Prepare(WindowController& controller) override;
    void CleanUp() override;
    bool OnEvent(const rt::Event& e) override;

private:
    struct Design {
        rt::Control* control;
        rt::Rect at;
    };
    rt::Window* window_ = nullptr;
    int strategy_;
    rt::Rect design_;
    std::vector<Design> controls_;
    std::map<int, Rule> rules_;
    int minWidth_ = -1, minHeight_ = -1; // -1: not set here
};

} // namespace qv::fw
