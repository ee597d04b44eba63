#pragma once
// The query wizard: builds a filter expression from a list of fields. Every
// text it shows is numbered and handed to it by the program at start, so
// that the program decides its wording; a number never handed over shows as
// empty.

#include <map>
#include <string>
#include <string_view>

namespace qv::outside {

class QueryWizard
{
public:
    // A text, or a number (the font sizes) kept as its decimal text. A
    // number handed over again replaces its text.
    void setDisplayText(int number, std::string_view text);
    void setDisplayText(int number, int value);

    std::string displayText(int number) const;
    bool hasDisplayText(int number) const;
    const std::map<int, std::string>& displayTexts() const { return texts_; }

private:
    std::map<int, std::string> texts_;
};

// The one wizard of the process.
QueryWizard& queryWizard();

} // namespace qv::outside
