#include "platform/framework/use_binding.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/tables/record.h"
#include "platform/text/case.h"

namespace qv::fw {
namespace {

std::vector<tables::Record*>& records()
{
    static std::vector<tables::Record*> r;
    return r;
}

std::map<std::string, rt::UseBinding>& variables()
{
    static std::map<std::string, rt::UseBinding> v;
    return v;
}

std::map<std::string, RelationSet*, std::less<>>& relationSets()
{
    static std::map<std::string, RelationSet*, std::less<>> sets;
    return sets;
}

std::string_view prefixOf(std::string_view name)
{
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
}

} // namespace

void registerRecord(tables::Record& record)
{
    if (std::find(records().begin(), records().end(), &record) == records().end())
        records().push_back(&record);
}

void unregisterRecord(tables::Record& record)
{
    std::erase(records(), &record);
}

void registerVariable(std::string name, rt::UseBinding binding)
{
    variables()[text::asciiLower(name)] = std::move(binding);
}

void unregisterVariable(std::string_view name)
{
    variables().erase(text::asciiLower(name));
}

FieldLocation locateField(std::string_view name)
{
    const std::string_view prefix = prefixOf(name);
    if (prefix.empty())
        return {};
    for (tables::Record* r : records()) {
        if (!text::equalsNoCase(r->def().prefix, prefix))
            continue;
        if (const int f = r->def().fieldIndex(name); f >= 0)
            return {r, f, -1};
        if (const int m = r->def().memoIndex(name); m >= 0)
            return {r, -1, m};
    }
    return {};
}

std::optional<rt::UseBinding> resolveUse(std::string_view name)
{
    if (const auto it = variables().find(text::asciiLower(name)); it != variables().end())
        return it->second;
    const FieldLocation loc = locateField(name);
    if (!loc.record)
        return std::nullopt;
    tables::Record* r = loc.record;
    if (loc.memo >= 0) {
        const int m = loc.memo;
        return rt::UseBinding{[r, m] { return r->memo(m); }, [r, m](const std::string& v) { r->setMemo(m, v); }};
    }
    const int f = loc.field;
    return rt::UseBinding{[r, f] { return r->getText(f); }, [r, f](const std::string& v) { r->setString(f, v); }};
}

void registerRelationSet(std::string label, RelationSet& set)
{
    relationSets()[text::asciiLower(label)] = &set;
}

void unregisterRelationSet(std::string_view label)
{
    if (const auto it = relationSets().find(text::asciiLower(label)); it != relationSets().end())
        relationSets().erase(it);
}

RelationSet* relationSetOf(std::string_view label)
{
    const auto it = relationSets().find(text::asciiLower(label));
    return it == relationSets().end() ? nullptr : it->second;
}

void LocalVariables::add(std::string name, rt::UseBinding binding)
{
    bindings_[text::asciiLower(name)] = std::move(binding);
}

void LocalVariables::add(std::string name, std::string& text)
{
    add(std::move(name), {[&text] { return text; }, [&text](const std::string& v) { text = v; }});
}

const rt::UseBinding* LocalVariables::find(std::string_view name) const
{
    const auto it = bindings_.find(text::asciiLower(name));
    return it == bindings_.end() ? nullptr : &it->second;
}

void bindControls(rt::Window& window, const LocalVariables* locals)
{
    for (const auto& c : window.controls()) {
        const std::string& use = c->def().use;
        if (use.empty() || c->bound())
            continue;
        if (const rt::UseBinding* local = locals ? locals->find(use) : nullptr)
            c->bind(*local);
        else if (auto binding = resolveUse(use))
            c->bind(std::move(*binding));
    }
}

} // namespace qv::fw
