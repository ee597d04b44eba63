#pragma once
// How wide a text is in a font, in horizontal dialog units, and how high a
// line of it is, in vertical ones. The host that draws the texts measures
// them; without one (the headless host), every character is the average
// width of four units and a line is as many units high as the font has
// points (eight for the default font).

#include <functional>
#include <string_view>

#include "platform/runtime/window_def.h"

namespace qv::rt {

using TextMeasure = std::function<int(const FontDef&, std::string_view)>;
void setTextMeasure(TextMeasure measure);
int textWidth(const FontDef& font, std::string_view text);
using TextHeight = std::function<int(const FontDef&)>;
void setTextHeight(TextHeight height);
int textHeight(const FontDef& font);

} // namespace qv::rt
