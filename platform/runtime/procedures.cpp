#include "platform/runtime/procedures.h"

#include <map>

#include "platform/runtime/scheduler.h"
#include "platform/text/case.h"

namespace qv::rt {
namespace {
struct Entry {
    std::string name;
    Procedure procedure;
};
std::map<std::string, Entry>& registry()
{
    static std::map<std::string, Entry> r;
    return r;
}
const Entry* find(std::string_view name)
{
    const auto it = registry().find(text::asciiLower(name));
    return it == registry().end() ? nullptr : &it->second;
}
} // namespace

void Procedures::add(std::string name, Procedure procedure)
{
    auto key = text::asciiLower(name);
    registry()[std::move(key)] = Entry{std::move(name), std::move(procedure)};
}

bool Procedures::exists(std::string_view name)
{
    return find(name) != nullptr;
}

std::vector<std::string> Procedures::names()
{
    std::vector<std::string> out;
    for (const auto& [key, entry] : registry())
        out.push_back(entry.name);
    return out;
}

Procedures::Started Procedures::start(std::string_view name, std::size_t stackBytes)
{
    const Entry* e = find(name);
    if (!e)
        return {0, "The window " + std::string(name) + " is not available."};
    const int thread = Scheduler::instance().start(e->name, e->procedure, stackBytes);
    if (thread == 0)
        return {0, "Too many windows are open. Close one and try again."};
    return {thread, {}};
}

bool Procedures::call(std::string_view name)
{
    const Entry* e = find(name);
    if (!e)
        return false;
    e->procedure();
    return true;
}

} // namespace qv::rt
