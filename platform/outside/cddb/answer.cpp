#include "platform/outside/cddb/answer.h"

#include <algorithm>

#include "platform/outside/cddb/xmcd.h"

namespace qv::cddb {

namespace {

[[noreturn]] void badAnswer(const std::string& why)
{
    throw ComError(hr::kBadAnswer, "The disc database's answer is not valid: " + why);
}

[[noreturn]] void refused(const ServerReply& reply)
{
    throw ComError(hr::kServer,
        reply.text.empty() ? "The disc database refused the request (" + std::to_string(reply.code) + ")."
                           : reply.text);
}

bool hasControlCharacters(std::string_view line)
{
    return std::any_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

bool isCategoryWord(std::string_view word)
{
    return !word.empty() && word.size() <= 32
        && std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::string lowerHex(std::string_view id)
{
    std::string out(id);
    for (char& c : out)
        if (c >= 'A' && c <= 'F')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "<category> <disc id> <artist / title>".
QueryMatch parseMatch(std::string_view line)
{
    const auto first = line.find(' ');
    const auto second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    const auto category = line.substr(0, first);
    const auto id = first == std::string_view::npos ? std::string_view() : line.substr(first + 1, second - first - 1);
    if (!isCategoryWord(category) || !isDiscId(id))
        badAnswer("a match is not \"category disc-id title\".");
    return {std::string(category), lowerHex(id),
        second == std::string_view::npos ? std::string() : std::string(line.substr(second + 1))};
}

} // namespace

ServerReply splitReply(std::string_view answer)
{
    if (answer.size() > kMaxAnswerBytes)
        badAnswer("it is larger than 1 MiB.");
    if (!isValidUtf8(answer))
        badAnswer("it is not UTF-8 text.");

    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < answer.size();) {
        const auto end = std::min(answer.find('\n', pos), answer.size());
        auto line = answer.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    if (lines.empty())
        badAnswer("it is empty.");

    const auto status = lines.front();
    const bool codeFirst = status.size() >= 3 && status[0] >= '1' && status[0] <= '5'
        && std::all_of(status.begin(), status.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
    if (!codeFirst || (status.size() > 3 && status[3] != ' ') || hasControlCharacters(status))
        badAnswer("it does not start with a status code.");

    ServerReply reply;
    reply.code = (status[0] - '0') * 100 + (status[1] - '0') * 10 + (status[2] - '0');
    reply.text = status.size() > 4 ? std::string(status.substr(4)) : std::string();
    if (status[1] != '1')
        return reply;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".")
            return reply;
        if (hasControlCharacters(lines[i]))
            badAnswer("it holds control characters.");
        reply.body.emplace_back(lines[i]);
    }
    badAnswer("it ended before its last line.");
}

QueryAnswer parseQueryReply(std::string_view answer)
{
    const ServerReply reply = splitReply(answer);
    if (reply.code >= 400)
        refused(reply);
    QueryAnswer result;
    result.code = reply.code;
    switch (reply.code) {
    case 200:
        result.matches.push_back(parseMatch(reply.text));
        break;
    case 210:
    case 211:
        for (const auto& line : reply.body)
            result.matches.push_back(parseMatch(line));
        if (result.matches.empty())
            result.code = 202;
        break;
    case 202:
        break;
    default:
        badAnswer("the code " + std::to_string(reply.code) + " does not answer a query.");
    }
    return result;
}

Disc parseReadReply(std::string_view answer, const std::string& category, const std::string& discId)
{
    const ServerReply reply = splitReply(answer);
    if (reply.code >= 400)
        refused(reply);
    if (reply.code != 210)
        badAnswer("the code " + std::to_string(reply.code) + " does not answer a read.");
    // "210 <category> <disc id> CD database entry follows"
    const QueryMatch named = parseMatch(reply.text);
    if (named.category != category || named.discId != lowerHex(discId))
        throw ComError(hr::kBadAnswer,
            "The disc database sent the record of another disc than " + category + " " + lowerHex(discId) + ".");
    std::string text;
    for (const auto& line : reply.body)
        text += line + "\n";
    Disc disc = fromXmcd(text, discId);
    disc.category = category;
    if (disc.genreId.empty())
        disc.genreId = category;
    return disc;
}

std::string parseMotdReply(std::string_view answer)
{
    const ServerReply reply = splitReply(answer);
    if (reply.code == 401)
        return {};
    if (reply.code >= 400)
        refused(reply);
    if (reply.code != 210)
        badAnswer("the code " + std::to_string(reply.code) + " does not answer a message request.");
    std::string text;
    for (const auto& line : reply.body)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

void parseSubmitReply(std::string_view answer)
{
    const ServerReply reply = splitReply(answer);
    if (reply.code >= 400)
        refused(reply);
    if (reply.code != 200)
        badAnswer("the code " + std::to_string(reply.code) + " does not answer a submission.");
}

} // namespace qv::cddb
