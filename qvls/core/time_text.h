#pragma once
// The CD code's two time conversions: MCI's "mm:ss:ff" stamps into time
// values, and time values into the five-character minutes text of lists.

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::qvls {

// "04:35:99" counts as 04:36; minutes from 60 on become one hour. The frames
// are dropped. Hundredths of a second plus 1, as every time value.
std::int32_t MSFStampToTime(std::string_view stamp);

// Total minutes right-justified in two places, a colon and two-digit seconds
// (" 4:07", "65:30"); five blanks for 0. From 100 minutes on every digit is
// shown ("100:00"), so the text is longer than five characters.
std::string TimeToMinutesText(std::int32_t time);

} // namespace qv::qvls
