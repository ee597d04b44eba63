#include "platform/qt/units.h"

#include <QFontMetrics>
#include <array>
#include <utility>

#include "platform/text/case.h"

namespace qv::qt {
namespace {

constexpr std::array<std::pair<std::string_view, const char*>, 5> fontMap{{
    {"Arial", "Liberation Sans"},
    {"MS Sans Serif", "DejaVu Sans"},
    {"Small Fonts", "DejaVu Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
}};

// Rounds a * b / c to the nearest integer, as the window system does.
int mulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

} // namespace

QString mapFontFamily(std::string_view name)
{
    if (name.empty())
        return QStringLiteral("DejaVu Sans");
    for (const auto& [from, to] : fontMap)
        if (text::equalsNoCase(from, name))
            return QString::fromLatin1(to);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QFont makeFont(const rt::FontDef& def, const QFont& base)
{
    QFont f = base;
    if (!def.name.empty())
        f.setFamily(mapFontFamily(def.name));
    if (def.size > 0)
        f.setPointSize(def.size);
    if (def.bold)
        f.setBold(true);
    if (def.italic)
        f.setItalic(true);
    return f;
}

QFont defaultWindowFont()
{
    QFont f(mapFontFamily({}));
    f.setPointSize(8);
    return f;
}

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics m(font);
    // The window system's average width: the letters a-z and A-Z, halved
    // with rounding.
    const int letters = m.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    charWidth_ = std::max(1, (letters / 26 + 1) / 2);
    charHeight_ = std::max(1, m.height());
}

int DialogUnits::x(int units) const
{
    return mulDiv(units, charWidth_, 4);
}

int DialogUnits::y(int units) const
{
    return mulDiv(units, charHeight_, 8);
}

int DialogUnits::toUnitsX(int pixels) const
{
    return mulDiv(pixels, 4, charWidth_);
}

int DialogUnits::toUnitsY(int pixels) const
{
    return mulDiv(pixels, 8, charHeight_);
}

QRect DialogUnits::toPixels(const rt::Rect& r) const
{
    auto conv = [](int v, int px) { return v < 0 ? -1 : px; };
    return QRect(conv(r.x, x(r.x)), conv(r.y, y(r.y)), conv(r.width, x(r.width)), conv(r.height, y(r.height)));
}

rt::Rect DialogUnits::toUnits(const QRect& r) const
{
    return rt::Rect{toUnitsX(r.x()), toUnitsY(r.y()), toUnitsX(r.width()), toUnitsY(r.height())};
}

} // namespace qv::qt
