#pragma once
// The favourite fonts the label designs name by number (0: the default
// font), as the label forms describe them and the label reports apply them.
// Both read the font into the Fonts record buffer and leave it there; a
// number without a record is the default font.

#include <cstdint>
#include <string>

namespace qv::rt {
class Control;
}

namespace qv::qvls {

// "Arial 10  Colour:  0  Style:  400", or "Default Font".
std::string FontDescription(std::int64_t fontNumber);

// What a font is applied to: a window's control or a report's.
class FavoriteFontTarget
{
public:
    virtual ~FavoriteFontTarget() = default;
    virtual void setFontName(const std::string& name) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setFontColor(int color) = 0; // 0xBBGGRR
    virtual void setFontStyle(int style) = 0; // weight plus the font_style flags
};

// Sets the name, size, colour and style, in that order; the default font
// leaves the target as it is.
void ApplyFavoriteFont(std::int64_t fontNumber, FavoriteFontTarget& target);
void ApplyFavoriteFont(std::int64_t fontNumber, rt::Control& control);

} // namespace qv::qvls
