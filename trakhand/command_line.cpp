#include "trakhand/command_line.h"

#include <algorithm>
#include <iterator>

namespace qv::trakhand {

namespace {

std::vector<std::string> split(std::string_view text, std::string_view separators)
{
    std::vector<std::string> fields(1);
    bool inRun = false;
    for (const char c : text) {
        if (separators.find(c) != std::string_view::npos) {
            if (!inRun)
                fields.emplace_back();
            inRun = true;
        } else {
            fields.back() += c;
            inRun = false;
        }
    }
    // The field a trailing separator run started is the end mark, no field.
    if (inRun)
        fields.pop_back();
    return fields;
}

} // namespace

std::vector<std::string> SplitFields(std::string_view text)
{
    if (text.empty())
        return {};
    return split(text, " \t");
}

std::vector<std::string> SplitKeyValue(std::string_view text)
{
    if (text.empty())
        return {};
    return split(text, "=\r\n");
}

int FindKeyIndex(std::string_view key, const std::vector<std::string>& table)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == key)
            return static_cast<int>(i);
        if (table[i].empty())
            break;
    }
    return -1;
}

CommandLine parseCommandLine(std::string_view text)
{
    CommandLine line;
    line.tokens = SplitFields(text);
    const auto& tokens = line.tokens;
    for (std::size_t i = 1; i < tokens.size(); ++i)
        if (tokens[i].find(':') == 1)
            line.drive = tokens[i];
    for (std::size_t i = 1; i < tokens.size() && !line.command; ++i) {
        const auto* s = std::find(std::begin(kSwitches), std::end(kSwitches), tokens[i]);
        if (s != std::end(kSwitches))
            line.command = static_cast<Command>(s - std::begin(kSwitches));
    }
    line.proxy
        = std::find(tokens.begin() + std::min<std::size_t>(1, tokens.size()), tokens.end(), "/P") != tokens.end();
    // The identity walk starts at the program path.
    for (const std::string& t : tokens) {
        if (t == "/L") {
            line.identity = kIdentityL;
            break;
        }
        if (t == "/VID") {
            line.identity = kIdentityVID;
            break;
        }
    }
    return line;
}

std::string usageMessage()
{
    return "Unknown command. Use Trakhand /switch where /switch is one of:\n"
           "/A - About CDDB\n"
           "/D - Get disc info\n"
           "/X - Show extended disc info\n"
           "/S - Submit a new disc\n"
           "/U - Update an existing disc\n"
           "/O - Set options\n"
           "/R - Set user registration information\n";
}

} // namespace qv::trakhand
