#pragma once
// How wide a text is in a font, in horizontal dialog units. The host that
// draws the texts measures them; without one (the headless host), every
// character is the average width of four units.

#include <functional>
#include <string_view>

#include "platform/runtime/window_def.h"

namespace qv::rt {

using TextMeasure = std::function<int(const FontDef&, std::string_view)>;
void setTextMeasure(TextMeasure measure);
int textWidth(const FontDef& font, std::string_view text);

} // namespace qv::rt
