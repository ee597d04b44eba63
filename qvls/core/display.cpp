#include "qvls/core/display.h"

#include <cstdio>

#include "platform/text/text.h"
#include "qvls/core/globals.h"
#include "qvls/core/time_text.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {
constexpr std::size_t kDisplayTitle = 255;
}

void SongTimeText(std::int32_t time, bool timeOmitted)
{
    if (timeOmitted)
        time = static_cast<std::int32_t>(dictionary::Quorvel().record()["SNG:Time"].toInt());
    glo().songTimeText = TimeToMinutesText(time);
}

std::string ShortTimeText(std::int32_t time)
{
    if (time == 0)
        return {};
    const std::int64_t seconds = time > 0 ? (static_cast<std::int64_t>(time) - 1) / 100 : 0;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    std::string t = buf;
    while (t.size() > 4 && (t.front() == '0' || t.front() == ':'))
        t.erase(0, 1);
    return t;
}

std::string SongDisplayTitle()
{
    tables::Record& song = dictionary::Quorvel().record();
    const std::string title = song["SNG:Title"].toString();
    std::string result = title;
    if (song["SNG:Skips"].toInt() != 0)
        result = std::string(text::trimRight(title)) + " (Skips)";
    if (title.find("(Skips)") != std::string::npos)
        song["SNG:Skips"] = 1;
    const std::string mix = song["SNG:Mix"].toString();
    if (!text::trimRight(mix).empty())
        result = std::string(text::trimRight(result)) + " (" + std::string(text::trimRight(mix)) + ")";
    std::u32string chars = text::toChars(text::trimRight(result));
    if (chars.size() > kDisplayTitle)
        chars.resize(kDisplayTitle);
    return std::string(text::trimRight(text::fromChars(chars)));
}

} // namespace qv::qvls
