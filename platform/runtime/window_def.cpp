#include "platform/runtime/window_def.h"

#include <array>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <yaml-cpp/yaml.h>

#include "platform/runtime/keycodes.h"
#include "platform/runtime/resources.h"
#include "platform/text/case.h"

namespace qv::rt {
namespace {

constexpr std::array<std::pair<std::string_view, ControlType>, 25> typeNames{{
    {"string", ControlType::String},
    {"image", ControlType::Image},
    {"region", ControlType::Region},
    {"line", ControlType::Line},
    {"box", ControlType::Box},
    {"entry", ControlType::Entry},
    {"button", ControlType::Button},
    {"prompt", ControlType::Prompt},
    {"option", ControlType::Option},
    {"check", ControlType::Check},
    {"group", ControlType::Group},
    {"list", ControlType::List},
    {"combo", ControlType::Combo},
    {"spin", ControlType::Spin},
    {"text", ControlType::Text},
    {"menu", ControlType::Menu},
    {"item", ControlType::Item},
    {"radio", ControlType::Radio},
    {"dropcombo", ControlType::DropCombo},
    {"droplist", ControlType::DropList},
    {"sheet", ControlType::Sheet},
    {"tab", ControlType::Tab},
    {"panel", ControlType::Panel},
    {"progress", ControlType::Progress},
    {"separator", ControlType::Separator},
}};

class Reader
{
public:
    explicit Reader(std::string where)
        : where_(std::move(where))
    { }

    [[noreturn]] void fail(const std::string& what) const { throw DefinitionError(where_ + ": " + what); }

    Rect rect(const YAML::Node& n) const
    {
        if (!n.IsSequence() || n.size() < 2 || n.size() > 4)
            fail("'at' takes [x, y] or [x, y, width, height]");
        Rect r;
        r.x = n[0].as<int>();
        r.y = n[1].as<int>();
        if (n.size() > 2)
            r.width = n[2].as<int>();
        if (n.size() > 3)
            r.height = n[3].as<int>();
        return r;
    }

    FontDef font(const YAML::Node& n) const
    {
        FontDef f;
        for (const auto& kv : n) {
            const auto key = kv.first.as<std::string>();
            if (key == "name")
                f.name = kv.second.as<std::string>();
            else if (key == "size")
                f.size = kv.second.as<int>();
            else if (key == "bold")
                f.bold = kv.second.as<bool>();
            else if (key == "italic")
                f.italic = kv.second.as<bool>();
            else if (key == "color")
                f.color = color(kv.second);
            else
                fail("unknown font entry '" + key + "'");
        }
        return f;
    }

    // "white", "black", "#RRGGBB" or a number 0xBBGGRR, as the program stores colours.
    int color(const YAML::Node& n) const
    {
        const auto text = n.as<std::string>();
        if (text::equalsNoCase(text, "white"))
            return 0xFFFFFF;
        if (text::equalsNoCase(text, "black"))
            return 0;
        if (text.size() == 7 && text[0] == '#') {
            const int rgb = std::stoi(text.substr(1), nullptr, 16);
            return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
        }
        int value = 0;
        if (YAML::convert<int>::decode(n, value))
            return value;
        fail("a colour is white, black, #RRGGBB or a number");
    }

    int keyCode(const YAML::Node& n) const
    {
        if (n.IsScalar()) {
            const auto text = n.as<std::string>();
            if (auto code = key::fromName(text))
                return *code;
            int value = 0;
            if (YAML::convert<int>::decode(n, value))
                return value;
            fail("unknown key '" + text + "'");
        }
        fail("a key is a name such as CtrlS or a number");
    }

    ControlDef control(const YAML::Node& n, ControlType defaultType) const
    {
        ControlDef c;
        c.type = defaultType;
        if (n.IsScalar()) {
            const auto word = n.as<std::string>();
            if (word != "separator")
                fail("a bare entry can only be 'separator'");
            c.type = ControlType::Separator;
            return c;
        }
        if (!n.IsMap())
            fail("a control is a mapping");
        for (const auto& kv : n) {
            const auto key = kv.first.as<std::string>();
            const YAML::Node& v = kv.second;
            if (key == "type") {
                const auto t = controlTypeFromName(v.as<std::string>());
                if (!t)
                    fail("unknown control type '" + v.as<std::string>() + "'");
                c.type = *t;
            } else if (key == "name") {
                // "?" starts a complex key in YAML, so files may leave it out.
                c.name = v.as<std::string>();
                if (!c.name.empty() && c.name.front() != '?')
                    c.name.insert(c.name.begin(), '?');
            } else if (key == "text") {
                c.text = v.as<std::string>();
            } else if (key == "at") {
                c.at = rect(v);
            } else if (key == "use") {
                c.use = v.as<std::string>();
            } else if (key == "picture") {
                c.picture = v.as<std::string>();
            } else if (key == "format") {
                c.format = v.as<std::string>();
            } else if (key == "from") {
                c.from = v.as<std::string>();
            } else if (key == "range") {
                if (!v.IsSequence() || v.size() != 2)
                    fail("a range is [low, high]");
                c.low = v[0].as<int>();
                c.high = v[1].as<int>();
            } else if (key == "value") {
                c.value = v.as<std::string>();
            } else if (key == "icon") {
                c.icon = v.as<std::string>();
            } else if (key == "msg") {
                c.msg = v.as<std::string>();
            } else if (key == "tip") {
                c.tip = v.as<std::string>();
            } else if (key == "drag") {
                c.drag = v.as<std::string>();
            } else if (key == "drop") {
                c.drop = v.as<std::string>();
            } else if (key == "std") {
                c.standard = v.as<std::string>();
            } else if (key == "key") {
                c.key = keyCode(v);
            } else if (key == "font") {
                c.font = font(v);
            } else if (key == "flags") {
                for (const auto& f : v) {
                    const auto flag = f.as<std::string>();
                    if (flag == "default")
                        c.isDefault = true;
                    else if (flag == "immediate")
                        c.immediate = true;
                    else if (flag == "disabled")
                        c.disabled = true;
                    else if (flag == "hidden")
                        c.hidden = true;
                    else if (flag == "required")
                        c.required = true;
                    else if (flag == "readonly")
                        c.readOnly = true;
                    else if (flag == "skip")
                        c.skip = true;
                    else if (flag == "password")
                        c.password = true;
                    else if (flag == "vscroll")
                        c.vscroll = true;
                    else if (flag == "hscroll")
                        c.hscroll = true;
                    else
                        fail("unknown control flag '" + flag + "'");
                }
            } else if (key == "items" || key == "tabs" || key == "controls") {
                const ControlType childType = key == "items" ? ControlType::Item
                    : key == "tabs"                          ? ControlType::Tab
                                                             : ControlType::String;
                for (const auto& child : v)
                    c.children.push_back(control(child, childType));
            } else {
                fail("unknown control entry '" + key + "' in " + (c.name.empty() ? c.text : c.name));
            }
        }
        return c;
    }

private:
    std::string where_;
};

void number(std::vector<ControlDef>& controls, int& next, std::set<std::string>& names, const Reader& r)
{
    for (ControlDef& c : controls) {
        c.number = next++;
        if (!c.name.empty() && !names.insert(text::asciiLower(c.name)).second)
            r.fail("control name '" + c.name + "' used twice");
        number(c.children, next, names, r);
    }
}

} // namespace

std::optional<ControlType> controlTypeFromName(std::string_view name)
{
    for (const auto& [n, t] : typeNames)
        if (text::equalsNoCase(n, name))
            return t;
    return std::nullopt;
}

std::string_view controlTypeName(ControlType type)
{
    for (const auto& [n, t] : typeNames)
        if (t == type)
            return n;
    return "unknown";
}

WindowDef parseWindowDef(std::string_view yaml, std::string_view module, std::string_view name)
{
    WindowDef def;
    def.module = std::string(module);
    def.name = std::string(name);
    const Reader r("window " + std::string(module) + "/" + std::string(name));
    YAML::Node root;
    try {
        root = YAML::Load(std::string(yaml));
    } catch (const YAML::Exception& e) {
        r.fail(e.what());
    }
    if (!root.IsMap())
        r.fail("the definition is a mapping");
    try {
        for (const auto& kv : root) {
            const auto key = kv.first.as<std::string>();
            const YAML::Node& v = kv.second;
            if (key == "window") {
                if (def.name.empty())
                    def.name = v.as<std::string>();
            } else if (key == "title") {
                def.title = v.as<std::string>();
            } else if (key == "kind") {
                const auto k = v.as<std::string>();
                if (k == "frame")
                    def.kind = WindowKind::Frame;
                else if (k == "window")
                    def.kind = WindowKind::Normal;
                else
                    r.fail("unknown window kind '" + k + "'");
            } else if (key == "at") {
                def.at = r.rect(v);
            } else if (key == "min") {
                def.minWidth = v[0].as<int>();
                def.minHeight = v[1].as<int>();
            } else if (key == "font") {
                def.font = r.font(v);
            } else if (key == "icon") {
                def.icon = v.as<std::string>();
            } else if (key == "help") {
                def.help = v.as<std::string>();
            } else if (key == "timer") {
                def.timer = v.as<int>();
            } else if (key == "status") {
                for (const auto& z : v)
                    def.statusZones.push_back(z.as<int>());
            } else if (key == "alerts") {
                for (const auto& k : v)
                    def.alertKeys.push_back(r.keyCode(k));
            } else if (key == "flags") {
                for (const auto& f : v) {
                    const auto flag = f.as<std::string>();
                    if (flag == "resizable")
                        def.resizable = true;
                    else if (flag == "maximize")
                        def.maximized = true;
                    else if (flag == "iconize")
                        def.iconized = true;
                    else if (flag == "hidden")
                        def.hidden = true;
                    else if (flag == "mdi")
                        def.mdi = true;
                    else if (flag == "modal")
                        def.modal = true;
                    else if (flag == "center")
                        def.center = true;
                    else if (flag == "nosystem")
                        def.system = false;
                    else
                        r.fail("unknown window flag '" + flag + "'");
                }
            } else if (key == "menubar") {
                for (const auto& m : v)
                    def.menubar.push_back(r.control(m, ControlType::Menu));
            } else if (key == "toolbar") {
                for (const auto& b : v)
                    def.toolbar.push_back(r.control(b, ControlType::Button));
            } else if (key == "controls") {
                for (const auto& c : v)
                    def.controls.push_back(r.control(c, ControlType::String));
            } else if (key == "form" || key == "list") {
                def.sections[key] = YAML::Dump(v);
            } else {
                r.fail("unknown window entry '" + key + "'");
            }
        }
    } catch (const YAML::Exception& e) {
        r.fail(e.what());
    }
    int next = 1;
    std::set<std::string> names;
    number(def.menubar, next, names, r);
    number(def.toolbar, next, names, r);
    number(def.controls, next, names, r);
    return def;
}

WindowDef loadWindowDef(std::string_view module, std::string_view name)
{
    return *sharedWindowDef(module, name);
}

std::shared_ptr<const WindowDef> sharedWindowDef(std::string_view module, std::string_view name)
{
    const std::string path = "windows/" + std::string(name) + ".yaml";
    const auto text = ResourceStore::find(module, path);
    if (!text)
        throw DefinitionError("window " + std::string(module) + "/" + std::string(name) + " is not defined");
    // Parsed once: a window opened again (a lookup, a list) starts from the parsed copy.
    // Kept with its text, so a definition replaced at run time is parsed anew.
    struct Parsed {
        std::string text;
        std::shared_ptr<const WindowDef> def;
    };
    static std::map<std::string, Parsed, std::less<>> parsed;
    static std::mutex guard;
    const std::string key = std::string(module) + "/" + std::string(name);
    {
        std::lock_guard lock(guard);
        if (const auto it = parsed.find(key); it != parsed.end() && it->second.text == *text)
            return it->second.def;
    }
    auto def = std::make_shared<const WindowDef>(parseWindowDef(*text, module, name));
    std::lock_guard lock(guard);
    parsed.insert_or_assign(key, Parsed{std::string(*text), def});
    return def;
}

} // namespace qv::rt
