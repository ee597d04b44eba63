#include "platform/report/report_controller.h"

#include "platform/expr/datetime.h"
#include "platform/report/fonts.h"
#include "platform/runtime/window_def.h"
#include "platform/text/case.h"

namespace qv::report {
namespace {

bool showsText(ControlKind kind)
{
    switch (kind) {
    case ControlKind::String:
    case ControlKind::Text:
    case ControlKind::Multiline:
    case ControlKind::PageNumber:
    case ControlKind::RunDate:
        return true;
    default:
        return false;
    }
}

std::string key(std::string_view name)
{
    return text::asciiLower(controlName(name));
}

} // namespace

ReportController::ReportController(ReportDef def, const expr::Bindings& bindings, PageSink& sink)
    : def_(std::move(def))
    , bindings_(bindings)
    , sink_(sink)
    , reportFont_(def_.font)
    , runDate_(expr::defaultClock().today())
{
    header_ = def_.header ? addBand(*def_.header, false) : std::nullopt;
    footer_ = def_.footer ? addBand(*def_.footer, false) : std::nullopt;
    form_ = def_.form ? addBand(*def_.form, false) : std::nullopt;
    for (const BandDef& band : def_.details)
        addBand(band, true, true);
    for (const GroupBreakDef& group : def_.breaks) {
        LiveBreak live;
        live.on = expr::Expression::compile(group.on);
        live.header = group.header ? addBand(*group.header, true) : std::nullopt;
        live.footer = group.footer ? addBand(*group.footer, true) : std::nullopt;
        breaks_.push_back(std::move(live));
    }
    for (const BandDef& band : def_.bands)
        addBand(band, true);
}

std::optional<std::size_t> ReportController::addBand(const BandDef& def, bool flows, bool detail)
{
    const std::size_t index = bands_.size();
    LiveBand& band = bands_.emplace_back();
    band.name = def.name;
    band.x = def.x;
    band.y = def.y;
    band.height = def.height;
    band.flows = flows;
    band.detail = detail;
    bandsByName_.emplace(key(def.name), index);
    for (const ReportControlDef& control : def.controls)
        addControl(index, control);
    return index;
}

ReportController::LiveControl ReportController::liveControl(ReportControlDef def) const
{
    LiveControl live;
    live.font = def.font.over(reportFont_);
    live.use = expr::Expression::compile(def.use);
    // A date without a picture of its own is shown as the user's short date.
    live.picture = expr::Picture::parse(
        def.kind == ControlKind::RunDate && def.picture.empty() ? std::string_view("@d17") : def.picture);
    live.def = std::move(def);
    return live;
}

void ReportController::addControl(std::size_t band, ReportControlDef def)
{
    if (!def.name.empty()
        && !controlsByName_.emplace(key(def.name), std::pair(band, bands_[band].controls.size())).second)
        fail("name '" + def.name + "' used twice");
    bands_[band].controls.push_back(liveControl(std::move(def)));
}

void ReportController::fail(const std::string& what) const
{
    throw rt::DefinitionError("report " + def_.module + "/" + def_.name + ": " + what);
}

std::pair<std::size_t, std::size_t> ReportController::find(std::string_view name) const
{
    const auto at = controlsByName_.find(key(name));
    if (at == controlsByName_.end())
        fail("no control '" + controlName(name) + "'");
    return at->second;
}

ReportController::LiveControl& ReportController::control(std::string_view name)
{
    const auto [band, index] = find(name);
    return bands_[band].controls[index];
}

const ReportController::LiveControl& ReportController::control(std::string_view name) const
{
    const auto [band, index] = find(name);
    return bands_[band].controls[index];
}

void ReportController::setText(std::string_view name, std::string text)
{
    LiveControl& c = control(name);
    c.groupText.reset();
    c.def.text = std::move(text);
    if (showsText(c.def.kind)) {
        c.def.use.clear();
        c.use = {};
    }
}

void ReportController::setUse(std::string_view name, std::string expression)
{
    LiveControl& c = control(name);
    auto compiled = expr::Expression::compile(expression);
    if (!compiled.ok())
        fail(c.def.name + ": 'use' " + expression + ": " + compiled.error().message);
    c.def.use = std::move(expression);
    c.use = std::move(compiled);
    c.groupText.reset();
}

void ReportController::setPicture(std::string_view name, std::string picture)
{
    LiveControl& c = control(name);
    c.picture = expr::Picture::parse(picture);
    c.def.picture = std::move(picture);
    c.groupText.reset();
}

void ReportController::setFont(std::string_view name, const FontSpec& font)
{
    control(name).font = font;
}

FontSpec ReportController::font(std::string_view name) const
{
    return control(name).font;
}

void ReportController::setColour(std::string_view name, std::int32_t colour)
{
    control(name).def.colour = colour;
}

void ReportController::setPosition(std::string_view name, int x, int y, int width, int height)
{
    ReportControlDef& def = control(name).def;
    def.x = x;
    def.y = y;
    def.width = width;
    def.height = height;
}

void ReportController::hide(std::string_view name)
{
    control(name).def.hidden = true;
}

void ReportController::unhide(std::string_view name)
{
    control(name).def.hidden = false;
}

int ReportController::textWidth(std::string_view name, std::string_view text) const
{
    return report::textWidth(control(name).font, text);
}

void ReportController::createControl(std::string_view band, ReportControlDef def)
{
    const auto at = bandsByName_.find(key(band));
    if (at == bandsByName_.end())
        fail("no band '" + controlName(band) + "'");
    if (const std::string problem = controlProblem(def); !problem.empty())
        fail((def.name.empty() ? std::string("a new control") : def.name) + ": " + problem);
    addControl(at->second, std::move(def));
}

void ReportController::setReportFont(const FontSpec& font, std::int32_t colour)
{
    reportFont_ = font;
    for (LiveBand& band : bands_)
        for (LiveControl& c : band.controls) {
            c.font = font;
            if (showsText(c.def.kind) || c.def.kind == ControlKind::Check)
                c.def.colour = colour;
        }
}

void ReportController::printBand(std::string_view name)
{
    const auto at = bandsByName_.find(key(name));
    if (at == bandsByName_.end())
        fail("no band '" + controlName(name) + "'");
    if (!bands_[at->second].flows)
        fail("band '" + bands_[at->second].name + "' prints on every page by itself");
    if (bands_[at->second].detail) {
        breakGroups();
        rememberGroupTexts();
    }
    flow(at->second);
}

// Groups nest: a change of an outer group's value closes the groups inside
// it too, innermost first, and opens them again, outermost first.
void ReportController::breakGroups()
{
    std::vector<expr::Value> values;
    values.reserve(breaks_.size());
    std::optional<std::size_t> changed;
    for (std::size_t i = 0; i < breaks_.size(); ++i) {
        values.push_back(breaks_[i].on.evaluate(bindings_));
        if (!changed && (!breaks_[i].last || expr::compare(*breaks_[i].last, values[i]) != 0))
            changed = i;
    }
    if (!changed)
        return;
    for (std::size_t i = breaks_.size(); i-- > *changed;)
        if (breaks_[i].last && breaks_[i].footer)
            flow(*breaks_[i].footer);
    for (std::size_t i = *changed; i < breaks_.size(); ++i) {
        breaks_[i].last = std::move(values[i]);
        if (breaks_[i].header)
            flow(*breaks_[i].header);
    }
}

void ReportController::rememberGroupTexts()
{
    for (const LiveBreak& group : breaks_) {
        if (!group.footer)
            continue;
        for (LiveControl& c : bands_[*group.footer].controls)
            if (!c.def.use.empty())
                c.groupText = c.picture.format(c.use.evaluate(bindings_));
    }
}

void ReportController::flow(std::size_t index)
{
    const LiveBand& band = bands_[index];
    if (!page_)
        startPage();
    // A band taller than the whole body goes on a page of its own rather
    // than on no page at all.
    if (cursor_ > def_.bodyY && cursor_ + band.height > def_.bodyY + def_.bodyHeight) {
        endPage();
        startPage();
    }
    draw(band, def_.bodyX + band.x, cursor_);
    cursor_ += band.height;
}

void ReportController::startPage()
{
    page_.emplace();
    ++pageNumber_;
    cursor_ = def_.bodyY;
    for (const auto& band : {form_, header_})
        if (band)
            draw(bands_[*band], bands_[*band].x, bands_[*band].y);
}

void ReportController::endPage()
{
    if (!page_)
        return;
    if (footer_)
        draw(bands_[*footer_], bands_[*footer_].x, bands_[*footer_].y);
    Page finished = std::move(*page_);
    page_.reset();
    sink_.addPage(std::move(finished));
}

void ReportController::close()
{
    for (std::size_t i = breaks_.size(); i-- > 0;) {
        if (breaks_[i].last && breaks_[i].footer)
            flow(*breaks_[i].footer);
        breaks_[i].last.reset();
    }
    endPage();
}

void ReportController::draw(const LiveBand& band, int x, int y)
{
    for (const LiveControl& c : band.controls)
        draw(c, x, y);
}

std::string ReportController::shownText(const LiveControl& c) const
{
    switch (c.def.kind) {
    case ControlKind::PageNumber:
        return c.picture.format(expr::Value(pageNumber_));
    case ControlKind::RunDate:
        return c.picture.format(expr::Value(runDate_));
    default:
        if (c.groupText)
            return *c.groupText;
        return c.def.use.empty() ? c.def.text : c.picture.format(c.use.evaluate(bindings_));
    }
}

void ReportController::draw(const LiveControl& c, int x, int y)
{
    const ReportControlDef& def = c.def;
    if (def.hidden)
        return;
    DrawStep step;
    step.x = x + def.x;
    step.y = y + def.y;
    step.width = def.width == kNatural ? 0 : def.width;
    step.height = def.height == kNatural ? 0 : def.height;
    step.colour = def.colour;
    step.fill = def.fill;
    step.lineWidth = def.lineWidth;
    step.align = def.align;
    step.angle = def.angle;
    switch (def.kind) {
    case ControlKind::Box:
        step.kind = DrawStep::Kind::Box;
        break;
    case ControlKind::Line:
        step.kind = DrawStep::Kind::Line;
        break;
    case ControlKind::Image:
        // Left without a size, the picture is drawn at its own.
        if (def.text.empty())
            return;
        step.kind = DrawStep::Kind::Image;
        step.text = def.text;
        break;
    case ControlKind::Check:
        step.kind = DrawStep::Kind::Check;
        step.text = def.text;
        step.checked = c.use.evaluate(bindings_).truthy();
        step.font = page_->fontIndex(c.font);
        if (def.width == kNatural)
            step.width = lineHeight(c.font) + report::textWidth(c.font, step.text);
        if (def.height == kNatural)
            step.height = lineHeight(c.font);
        break;
    default:
        step.kind = DrawStep::Kind::Text;
        step.text = shownText(c);
        // A blank-when-zero number leaves only blanks.
        if (step.text.find_first_not_of(' ') == std::string::npos && !c.font.underline)
            return;
        step.wrap = def.kind == ControlKind::Multiline;
        step.font = page_->fontIndex(c.font);
        if (def.width == kNatural)
            step.width = report::textWidth(c.font, step.text);
        if (def.height == kNatural)
            step.height = lineHeight(c.font);
        break;
    }
    page_->steps.push_back(std::move(step));
}

} // namespace qv::report
