#pragma once
// The tool's command line: tokens split at blanks and tabs, the command
// switch, the drive token, the proxy switch and the service client identity.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::trakhand {

// The command switches in the order they are looked for; the index is the
// command number.
enum class Command { D, R, S, X, M, A, B, O, U, NP };
inline constexpr const char* kSwitches[] = {"/D", "/R", "/S", "/X", "/M", "/A", "/B", "/O", "/U", "/NP"};

// Which of its two identities the tool gives the disc-database service.
struct ClientIdentity {
    const char* clientId;
    const char* clientTag;
};
inline constexpr ClientIdentity kIdentityL{"827316", "7A1C94E02BD35F6681C0A7E93D4B2F15"};
inline constexpr ClientIdentity kIdentityVID{"58301947", "93E05B7D21C846AF0E5D38B1C7A260F4"};

struct CommandLine {
    std::vector<std::string> tokens; // the program path first
    std::string drive; // "D:"; empty without a drive token
    std::optional<Command> command;
    bool proxy = false; // "/P": the proxy dialog comes first
    ClientIdentity identity = kIdentityVID;
};

// The fields of a text cut at runs of blanks and tabs; a text that begins
// with a separator has an empty first field.
std::vector<std::string> SplitFields(std::string_view text);
// The same with '=', carriage return and line feed as separators.
std::vector<std::string> SplitKeyValue(std::string_view text);
// The index of the first entry equal to key (case matters); the search stops
// at an empty entry. -1 when nothing matched.
int FindKeyIndex(std::string_view key, const std::vector<std::string>& table);

CommandLine parseCommandLine(std::string_view text);

// The text shown for a missing or unknown switch.
std::string usageMessage();

} // namespace qv::trakhand
