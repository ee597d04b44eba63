#include "platform/report/report_def.h"

#include <array>
#include <set>
#include <utility>
#include <yaml-cpp/yaml.h>

#include "platform/expr/expression.h"
#include "platform/expr/picture.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/window_def.h"
#include "platform/text/case.h"

namespace qv::report {
namespace {

constexpr std::array<std::pair<std::string_view, ControlKind>, 9> kindNames{{
    {"string", ControlKind::String},
    {"text", ControlKind::Text},
    {"multiline", ControlKind::Multiline},
    {"box", ControlKind::Box},
    {"line", ControlKind::Line},
    {"image", ControlKind::Image},
    {"check", ControlKind::Check},
    {"pagenumber", ControlKind::PageNumber},
    {"rundate", ControlKind::RunDate},
}};

std::string_view kindName(ControlKind kind)
{
    for (const auto& [word, k] : kindNames)
        if (k == kind)
            return word;
    return "control";
}

class Reader
{
public:
    explicit Reader(std::string where)
        : where_(std::move(where))
    { }

    [[noreturn]] void fail(const std::string& what) const { throw rt::DefinitionError(where_ + ": " + what); }

    // Runs a part of the reading, naming the entry in whatever it refuses.
    template <typename F> auto within(const std::string& entry, F&& read) const
    {
        try {
            return read();
        } catch (const YAML::Exception& e) {
            fail(entry + ": " + e.msg);
        } catch (const rt::DefinitionError& e) {
            const std::string what = e.what();
            const std::string prefix = where_ + ": ";
            fail(entry + ": " + (what.starts_with(prefix) ? what.substr(prefix.size()) : what));
        }
    }

    std::array<int, 4> rect(const YAML::Node& n, std::size_t least) const
    {
        if (!n.IsSequence() || n.size() < least || n.size() > 4)
            fail(least == 4 ? "a place is [x, y, width, height]"
                            : "a place is [x, y], [x, y, width] or [x, y, width, height]");
        std::array<int, 4> r{0, 0, kNatural, kNatural};
        for (std::size_t i = 0; i < n.size(); ++i)
            r[i] = n[i].as<int>();
        return r;
    }

    FontSpec font(const YAML::Node& n) const { return fontChoice(n).over(FontSpec{}); }

    FontChoice fontChoice(const YAML::Node& n) const
    {
        if (!n.IsMap())
            fail("a font is a mapping of face, size, bold, italic and underline");
        FontChoice f;
        for (const auto& kv : n) {
            const auto key = kv.first.as<std::string>();
            if (key == "face")
                f.face = kv.second.as<std::string>();
            else if (key == "size")
                f.size = kv.second.as<int>();
            else if (key == "bold")
                f.bold = kv.second.as<bool>();
            else if (key == "italic")
                f.italic = kv.second.as<bool>();
            else if (key == "underline")
                f.underline = kv.second.as<bool>();
            else
                fail("unknown font entry '" + key + "'");
        }
        return f;
    }

    // 0xRRGGBB or "#RRGGBB".
    std::int32_t colour(const YAML::Node& n) const
    {
        const auto text = n.as<std::string>();
        try {
            if (text.size() == 7 && text[0] == '#')
                return static_cast<std::int32_t>(std::stoul(text.substr(1), nullptr, 16));
            std::size_t used = 0;
            const unsigned long rgb = std::stoul(text, &used, 0);
            if (used == text.size() && rgb <= 0xFFFFFF)
                return static_cast<std::int32_t>(rgb);
        } catch (const std::exception&) { }
        fail("a colour is 0xRRGGBB or #RRGGBB, not '" + text + "'");
    }

    Align align(const YAML::Node& n) const
    {
        const auto text = n.as<std::string>();
        if (text::equalsNoCase(text, "left"))
            return Align::Left;
        if (text::equalsNoCase(text, "center"))
            return Align::Center;
        if (text::equalsNoCase(text, "right"))
            return Align::Right;
        fail("alignment is left, center or right, not '" + text + "'");
    }

    ControlKind kind(const YAML::Node& n) const
    {
        const auto text = n.as<std::string>();
        for (const auto& [word, kind] : kindNames)
            if (text::equalsNoCase(word, text))
                return kind;
        fail("unknown control type '" + text + "'");
    }

    ReportControlDef control(const YAML::Node& n) const
    {
        if (!n.IsMap())
            fail("a control is a mapping");
        ReportControlDef c;
        if (const YAML::Node type = n["type"])
            c.kind = kind(type);
        for (const auto& kv : n) {
            const auto key = kv.first.as<std::string>();
            const YAML::Node& v = kv.second;
            if (key == "type") {
                continue;
            } else if (key == "name") {
                c.name = controlName(v.as<std::string>());
            } else if (key == "at") {
                const auto r = rect(v, 2);
                c.x = r[0];
                c.y = r[1];
                c.width = r[2];
                c.height = r[3];
            } else if (key == "text" || key == "file") {
                c.text = v.as<std::string>();
            } else if (key == "use") {
                c.use = v.as<std::string>();
            } else if (key == "picture") {
                c.picture = v.as<std::string>();
            } else if (key == "font") {
                c.font = fontChoice(v);
            } else if (key == "colour") {
                c.colour = colour(v);
            } else if (key == "fill") {
                c.fill = colour(v);
            } else if (key == "linewidth") {
                c.lineWidth = v.as<int>();
            } else if (key == "align") {
                c.align = align(v);
            } else if (key == "angle") {
                c.angle = v.as<int>();
            } else if (key == "hidden") {
                c.hidden = v.as<bool>();
            } else {
                fail("unknown control entry '" + key + "'");
            }
        }
        if (const std::string problem = controlProblem(c); !problem.empty())
            fail(problem);
        return c;
    }

    std::vector<ReportControlDef> controls(const YAML::Node& n) const
    {
        if (!n.IsSequence())
            fail("'controls' is a list");
        std::vector<ReportControlDef> list;
        std::size_t index = 0;
        for (const auto& c : n) {
            ++index;
            const YAML::Node nameNode = c.IsMap() ? c["name"] : YAML::Node();
            const std::string entry
                = nameNode ? controlName(nameNode.as<std::string>()) : "control " + std::to_string(index);
            list.push_back(within(entry, [&] { return control(c); }));
        }
        return list;
    }

    // A band at its place on the page: at [x, y, width, height].
    BandDef pageBand(const YAML::Node& n) const { return band(n, {}, true); }

    // A band in the body: x, width and height.
    BandDef flowingBand(const YAML::Node& n, const std::string& defaultName) const
    {
        return band(n, defaultName, false);
    }

    BandDef band(const YAML::Node& n, const std::string& defaultName, bool placed) const
    {
        if (!n.IsMap())
            fail("a band is a mapping");
        BandDef b;
        b.name = n["name"] ? controlName(n["name"].as<std::string>()) : defaultName;
        const auto read = [&] {
            for (const auto& kv : n) {
                const auto key = kv.first.as<std::string>();
                const YAML::Node& v = kv.second;
                if (key == "name")
                    continue;
                if (key == "controls")
                    b.controls = controls(v);
                else if (placed && key == "at") {
                    const auto r = rect(v, 4);
                    b.x = r[0];
                    b.y = r[1];
                    b.width = r[2];
                    b.height = r[3];
                } else if (!placed && key == "x")
                    b.x = v.as<int>();
                else if (!placed && key == "width")
                    b.width = v.as<int>();
                else if (!placed && key == "height")
                    b.height = v.as<int>();
                else
                    fail("unknown band entry '" + key + "'");
            }
            if (b.height < 0 || b.width < 0)
                fail("a band's size is not negative");
            return b;
        };
        // A page band is named by its entry already.
        return b.name.empty() ? read() : within(b.name, read);
    }

    GroupBreakDef groupBreak(const YAML::Node& n, std::size_t index) const
    {
        if (!n.IsMap())
            fail("a break is a mapping");
        GroupBreakDef g;
        g.name = n["name"] ? controlName(n["name"].as<std::string>()) : "break " + std::to_string(index);
        return within(g.name, [&] {
            for (const auto& kv : n) {
                const auto key = kv.first.as<std::string>();
                const YAML::Node& v = kv.second;
                if (key == "name")
                    continue;
                if (key == "on")
                    g.on = v.as<std::string>();
                else if (key == "header")
                    g.header = flowingBand(v, g.name + " header");
                else if (key == "footer")
                    g.footer = flowingBand(v, g.name + " footer");
                else
                    fail("unknown break entry '" + key + "'");
            }
            const auto compiled = expr::Expression::compile(g.on);
            if (g.on.empty() || !compiled.ok())
                fail("'on' " + g.on + ": " + (g.on.empty() ? "a break needs a value" : compiled.error().message));
            return g;
        });
    }

    template <typename F> void eachBand(const YAML::Node& n, const std::string& what, F&& read) const
    {
        if (!n.IsSequence())
            fail("'" + what + "' is a list");
        std::size_t index = 0;
        for (const auto& b : n)
            read(b, ++index);
    }

private:
    std::string where_;
};

template <typename F> void forEachBand(ReportDef& def, F&& f)
{
    for (auto* band : {&def.header, &def.footer, &def.form})
        if (*band)
            f(**band);
    for (BandDef& band : def.details)
        f(band);
    for (GroupBreakDef& g : def.breaks)
        for (auto* band : {&g.header, &g.footer})
            if (*band)
                f(**band);
    for (BandDef& band : def.bands)
        f(band);
}

// The program finds bands and controls by name, so a name means one thing.
void checkNamesOnce(ReportDef& def, const Reader& r)
{
    std::set<std::string> names;
    const auto once = [&](const std::string& name) {
        if (!name.empty() && !names.insert(text::asciiLower(name)).second)
            r.fail("name '" + name + "' used twice");
    };
    forEachBand(def, [&](BandDef& band) {
        once(band.name);
        for (const ReportControlDef& c : band.controls)
            once(c.name);
    });
}

} // namespace

FontSpec FontChoice::over(const FontSpec& base) const
{
    FontSpec f = base;
    f.face = face.value_or(base.face);
    f.size = size.value_or(base.size);
    f.bold = bold.value_or(base.bold);
    f.italic = italic.value_or(base.italic);
    f.underline = underline.value_or(base.underline);
    return f;
}

std::string controlProblem(const ReportControlDef& c)
{
    const bool bound = c.kind == ControlKind::Text || c.kind == ControlKind::Check;
    if (bound && c.use.empty())
        return "a " + std::string(kindName(c.kind)) + " control needs 'use'";
    if (!c.use.empty()) {
        const auto compiled = expr::Expression::compile(c.use);
        if (!compiled.ok())
            return "'use' " + c.use + ": " + compiled.error().message;
    }
    if (!c.picture.empty() && !expr::Picture::parse(c.picture).valid())
        return "unknown picture '" + c.picture + "'";
    return {};
}

std::string controlName(std::string_view written)
{
    std::string name(written);
    if (!name.empty() && name.front() != '?')
        name.insert(name.begin(), '?');
    return name;
}

ReportDef parseReportDef(std::string_view yaml, std::string_view module, std::string_view name)
{
    ReportDef def;
    def.module = std::string(module);
    def.name = std::string(name);
    const Reader r("report " + def.module + "/" + def.name);
    YAML::Node root;
    try {
        root = YAML::Load(std::string(yaml));
    } catch (const YAML::Exception& e) {
        r.fail(e.what());
    }
    if (!root.IsMap())
        r.fail("the definition is a mapping");
    bool bodyGiven = false;
    for (const auto& kv : root) {
        const std::string key = kv.first.Scalar();
        const YAML::Node& v = kv.second;
        r.within(key, [&] {
            if (key == "report") {
                if (def.name.empty())
                    def.name = v.as<std::string>();
            } else if (key == "page") {
                if (!v.IsMap())
                    r.fail("a page is a mapping of width, height and landscape");
                for (const auto& p : v) {
                    const auto entry = p.first.as<std::string>();
                    if (entry == "width")
                        def.page.width = p.second.as<int>();
                    else if (entry == "height")
                        def.page.height = p.second.as<int>();
                    else if (entry == "landscape")
                        def.page.landscape = p.second.as<bool>();
                    else
                        r.fail("unknown page entry '" + entry + "'");
                }
            } else if (key == "font") {
                def.font = r.font(v);
            } else if (key == "body") {
                const auto at = r.rect(v, 4);
                def.bodyX = at[0];
                def.bodyY = at[1];
                def.bodyWidth = at[2];
                def.bodyHeight = at[3];
                bodyGiven = true;
            } else if (key == "header") {
                def.header = r.pageBand(v);
            } else if (key == "footer") {
                def.footer = r.pageBand(v);
            } else if (key == "form") {
                def.form = r.pageBand(v);
            } else if (key == "details") {
                r.eachBand(v, key, [&](const YAML::Node& b, std::size_t i) {
                    def.details.push_back(r.flowingBand(b, "detail " + std::to_string(i)));
                });
            } else if (key == "breaks") {
                r.eachBand(
                    v, key, [&](const YAML::Node& b, std::size_t i) { def.breaks.push_back(r.groupBreak(b, i)); });
            } else if (key == "bands") {
                r.eachBand(v, key, [&](const YAML::Node& b, std::size_t i) {
                    def.bands.push_back(r.flowingBand(b, "band " + std::to_string(i)));
                });
            } else {
                r.fail("unknown report entry '" + key + "'");
            }
            return 0;
        });
    }
    if (!bodyGiven) {
        def.bodyWidth = def.page.landscape ? def.page.height : def.page.width;
        def.bodyHeight = def.page.landscape ? def.page.width : def.page.height;
    }
    checkNamesOnce(def, r);
    return def;
}

ReportDef loadReportDef(std::string_view module, std::string_view name)
{
    const std::string path = "reports/" + std::string(name) + ".yaml";
    const auto text = rt::ResourceStore::find(module, path);
    if (!text)
        throw rt::DefinitionError("report " + std::string(module) + "/" + std::string(name) + " is not defined");
    return parseReportDef(*text, module, name);
}

} // namespace qv::report
