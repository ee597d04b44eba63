#include "qvls/core/type_ahead.h"

#include <cstdlib>

#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/keycodes.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {
std::u32string clippedChars(std::string_view s)
{
    return text::toChars(text::trimRight(s));
}

bool startsNoCase(std::string_view candidate, std::string_view text)
{
    const std::u32string c = text::upperChars(text::toChars(candidate));
    const std::u32string t = text::upperChars(clippedChars(text));
    return c.size() >= t.size() && c.compare(0, t.size(), t) == 0;
}

int property(const rt::Control& c, int id, int fallback)
{
    const std::string v = c.property(id);
    return v.empty() ? fallback : std::atoi(v.c_str());
}
} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view text)
{
    const std::u32string p = text::upperChars(clippedChars(pattern));
    const std::u32string t = text::upperChars(clippedChars(text));
    std::size_t pi = 0, ti = 0, star = std::u32string::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == U'?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == U'*') {
            star = pi++;
            mark = ti;
        } else if (star != std::u32string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*')
        ++pi;
    return pi == p.size();
}

void TypeAheadEntry::Attach(rt::Window& window, std::string_view entry, std::string_view candidateField, int key,
    fw::TableAccess& access, bool mustValidate)
{
    window_ = &window;
    rt::Control& e = window[entry];
    entryField_ = e.number();
    if (auto use = fw::resolveUse(e.def().use))
        use_ = *use;
    fromField_ = access.record().def().fieldIndex(candidateField);
    key_ = key;
    access_ = &access;
    list_ = nullptr;
    mustValidate_ = mustValidate;
    econ_ = false;
    fileMode_ = true;
}

void TypeAheadEntry::Attach(
    rt::Window& window, std::string_view entry, const std::vector<std::string>& list, bool mustValidate)
{
    window_ = &window;
    rt::Control& e = window[entry];
    entryField_ = e.number();
    if (auto use = fw::resolveUse(e.def().use))
        use_ = *use;
    access_ = nullptr;
    list_ = &list;
    mustValidate_ = mustValidate;
    econ_ = false;
    fileMode_ = false;
}

rt::Control* TypeAheadEntry::entry() const
{
    return window_ ? window_->control(entryField_) : nullptr;
}

void TypeAheadEntry::setVariable(const std::string& value)
{
    if (use_.set)
        use_.set(value);
}

std::string TypeAheadEntry::candidateText() const
{
    if (fileMode_)
        return access_ ? access_->record().getString(fromField_) : std::string();
    return found_ > 0 ? (*list_)[static_cast<std::size_t>(found_ - 1)] : std::string();
}

int TypeAheadEntry::findCandidate(std::string_view text)
{
    found_ = 0;
    auto passes
        = [&](std::string_view candidate) { return startsNoCase(candidate, text) || wildcardMatch(text, candidate); };
    if (!fileMode_) {
        if (!list_)
            return 0;
        for (std::size_t i = 0; i < list_->size(); ++i)
            if (passes((*list_)[i]))
                return found_ = static_cast<int>(i) + 1;
        return 0;
    }
    if (!access_ || fromField_ < 0 || key_ < 0)
        return 0;
    // A form may use the entry before its table is open.
    const bool opened = access_->openCount() == 0;
    if (opened && access_->open() != fw::Benign)
        return 0;
    tables::Record& r = access_->record();
    const tables::TableDef& def = r.def();
    for (const std::string& component : def.keys[static_cast<std::size_t>(key_)].components) {
        const int f = def.fieldIndex(def.prefix + ":" + component);
        if (f >= 0)
            r.setString(f, "");
    }
    access_->FillDefaults();
    r.setString(fromField_, text);
    int result = 0;
    // Only the first record at or after the text is looked at.
    if (access_->setPosition(key_) == 0 && access_->TryNext() == 0 && passes(r.getString(fromField_)))
        result = found_ = 1;
    if (opened)
        access_->close();
    return result;
}

void TypeAheadEntry::OnEvent(const rt::Event& e)
{
    rt::Control* c = entry();
    if (!c)
        return;
    switch (e.code) {
    case rt::event::OpenWindow:
        c->setImmediate(true);
        break;
    case rt::event::Selected:
        if (e.control == entryField_)
            econ_ = true;
        else if (econ_)
            econ_ = false;
        OnNewSelection(e);
        break;
    case rt::event::NewSelection:
        OnNewSelection(e);
        break;
    case rt::event::Accepted:
        if (e.control == entryField_)
            checkEntry();
        break;
    default:
        break;
    }
}

void TypeAheadEntry::OnNewSelection(const rt::Event& e)
{
    OnKey(e);
}

bool TypeAheadEntry::isCompletionKey(const rt::Event& e) const
{
    // A keystroke the host reports without its code is a character typed
    // into the immediate entry; focus arriving is no keystroke at all.
    if (e.keyCode == 0)
        return e.code == rt::event::NewSelection;
    if (e.keyCode & (rt::key::Ctrl | rt::key::Alt))
        return false;
    switch (e.keyCode) {
    case rt::key::Left:
    case rt::key::Right:
    case rt::key::withShift(rt::key::Left):
    case rt::key::withShift(rt::key::Right):
        return false;
    default:
        break;
    }
    const int vk = rt::key::virtualKey(e.keyCode);
    return vk == rt::key::Back || vk == rt::key::Space || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')
        || (vk >= 0x60 && vk <= 0x6F) || (vk >= 0xBA && vk <= 0xE2);
}

void TypeAheadEntry::OnKey(const rt::Event& e)
{
    if (e.control != entryField_) {
        econ_ = false;
        return;
    }
    if (!isCompletionKey(e))
        return;
    if (!econ_) {
        // The keystroke that arms completion completes nothing.
        econ_ = true;
        return;
    }
    rt::Control& c = *entry();
    const std::u32string shown = text::toChars(c.value());
    const int selStart = property(c, entry_property::SelStart, static_cast<int>(shown.size()) + 1);
    std::string typed;
    if (e.keyCode == rt::key::Back) {
        std::u32string last = text::toChars(lastTyped_);
        if (!last.empty())
            last.pop_back();
        typed = text::fromChars(last);
    } else {
        const std::size_t before = static_cast<std::size_t>(std::max(selStart - 1, 0));
        typed = text::fromChars(shown.substr(0, std::min(before, shown.size())));
    }
    if (typed == lastTyped_)
        return;
    if (!typed.empty()) {
        if (findCandidate(typed) == 0) {
            econ_ = false;
        } else {
            const std::string candidate = candidateText();
            setVariable(candidate);
            const int length = static_cast<int>(clippedChars(candidate).size());
            if (selStart - 1 < length) {
                c.setValue(std::string(text::trimRight(candidate)));
                const int typedLength = static_cast<int>(text::charCount(typed));
                int start = selStart;
                int end = property(c, entry_property::SelEnd, selStart);
                if (start < typedLength + 1)
                    start = typedLength + 1;
                if (end < length)
                    end = length;
                c.setProperty(entry_property::SelStart, std::to_string(start));
                c.setProperty(entry_property::SelEnd, std::to_string(end));
            }
        }
    }
    lastTyped_ = typed;
}

void TypeAheadEntry::checkEntry()
{
    // A form re-checking all its fields on OK: the field's own handler checks it.
    if (!mustValidate_ || window_->acceptingAll())
        return;
    rt::Control& c = *entry();
    const std::string text = c.value();
    setVariable(text);
    if (findCandidate(text::trimRight(text)) != 0)
        return;
    window_->select(c);
    setVariable({});
    c.setValue({});
}

void ArtistTypeAhead::attach(fw::WindowController& form, std::string_view entry)
{
    if (settings().AutoComplete == 0 || component_)
        return;
    fw::TableAccess& artists = *dictionary::ArtistsAccess;
    entry_.Attach(form.window(), entry, "ART:Artist", artists.table().def().keyIndex("ART:K_ARTIST"), artists, false);
    component_ = std::make_unique<TypeAheadComponent>(entry_);
    form.addComponent(*component_);
}

} // namespace qv::qvls
