#include "qvls/core/favourite_font.h"

#include <cstdlib>

#include "platform/framework/table_access.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/placement.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {

std::string clipped(const char* field)
{
    return std::string(text::trimRight(dictionary::FontsAccess->record()[field].toString()));
}

int number(const char* field)
{
    return std::atoi(clipped(field).c_str());
}

// The font into the record buffer; false for the default font.
bool readFont(std::int64_t fontNumber)
{
    if (fontNumber == 0)
        return false;
    fw::TableAccess& fonts = *dictionary::FontsAccess;
    if (fonts.open() != fw::Benign)
        return false;
    fonts.record()["FON:FONTID"] = fontNumber;
    const bool found = fonts.TryFetch(fonts.table().def().keyIndex("FON:KeyFontID")) == 0;
    fonts.close();
    return found;
}

class ControlTarget : public FavoriteFontTarget
{
public:
    explicit ControlTarget(rt::Control& control)
        : control_(control)
        , font_(control.font())
    { }

    void setFontName(const std::string& name) override
    {
        apply([&] { font_.name = name; });
    }
    void setFontSize(int points) override
    {
        apply([&] { font_.size = points; });
    }
    void setFontColor(int color) override
    {
        apply([&] { font_.color = color; });
    }
    void setFontStyle(int style) override
    {
        apply([&] {
            font_.bold = (style & font_style::WeightMask) >= 600;
            font_.italic = (style & font_style::Italic) != 0;
        });
    }

private:
    template <typename F> void apply(F change)
    {
        change();
        control_.setFont(font_);
    }

    rt::Control& control_;
    rt::FontDef font_;
};

} // namespace

std::string FontDescription(std::int64_t fontNumber)
{
    if (!readFont(fontNumber))
        return "Default Font";
    return clipped("FON:TYPEFACE") + " " + clipped("FON:SIZE") + "  Colour:  " + clipped("FON:COLOUR")
        + "  Style:  " + clipped("FON:STYLE");
}

void ApplyFavoriteFont(std::int64_t fontNumber, FavoriteFontTarget& target)
{
    if (!readFont(fontNumber))
        return;
    target.setFontName(clipped("FON:TYPEFACE"));
    target.setFontSize(number("FON:SIZE"));
    target.setFontColor(number("FON:COLOUR"));
    target.setFontStyle(number("FON:STYLE"));
}

void ApplyFavoriteFont(std::int64_t fontNumber, rt::Control& control)
{
    ControlTarget target(control);
    ApplyFavoriteFont(fontNumber, target);
}

} // namespace qv::qvls
