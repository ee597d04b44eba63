#include "platform/runtime/text_measure.h"

#include "platform/text/text.h"

namespace qv::rt {

namespace {

TextMeasure& measure()
{
    static TextMeasure m;
    return m;
}

TextHeight& height()
{
    static TextHeight h;
    return h;
}

} // namespace

void setTextMeasure(TextMeasure m)
{
    measure() = std::move(m);
}

int textWidth(const FontDef& font, std::string_view t)
{
    if (measure())
        return measure()(font, t);
    return 4 * static_cast<int>(text::charCount(t));
}

void setTextHeight(TextHeight h)
{
    height() = std::move(h);
}

int textHeight(const FontDef& font)
{
    if (height())
        return height()(font);
    return font.size > 0 ? font.size : 8;
}

} // namespace qv::rt
