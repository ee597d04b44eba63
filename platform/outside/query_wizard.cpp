#include "platform/outside/query_wizard.h"

namespace qv::outside {

void QueryWizard::setDisplayText(int number, std::string_view text)
{
    texts_[number] = std::string(text);
}

void QueryWizard::setDisplayText(int number, int value)
{
    texts_[number] = std::to_string(value);
}

std::string QueryWizard::displayText(int number) const
{
    auto it = texts_.find(number);
    return it == texts_.end() ? std::string() : it->second;
}

bool QueryWizard::hasDisplayText(int number) const
{
    return texts_.count(number) != 0;
}

QueryWizard& queryWizard()
{
    static QueryWizard wizard;
    return wizard;
}

} // namespace qv::outside
