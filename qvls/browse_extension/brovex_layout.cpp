// The shown columns and the list's format kept in step, and the list's
// layout kept in ".\POSITION.INI".

#include <algorithm>

#include "platform/runtime/list_format.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/list_column_edit.h"

namespace qv::qvls {

namespace {

// The style number of a font: its weight, and 4096 for italic.
long styleOf(const rt::FontDef& f)
{
    return (f.bold ? 700 : 400) | (f.italic ? 4096 : 0);
}

void setStyle(rt::FontDef& f, long style)
{
    f.bold = (style & 0xFFF) >= 600;
    f.italic = (style & 4096) != 0;
}

std::string key(std::string_view prefix, std::string_view list)
{
    return std::string(prefix) + std::string(list);
}

// A saved format with each column's picture as the design has it: no
// command changes a picture, and the design's date pictures are the ones
// that take the date format the user has chosen since.
std::string withDesignedPictures(std::string_view saved, std::string_view design)
{
    rt::ListFormat format = rt::readListFormat(saved).format;
    const rt::ListFormat designed = rt::readListFormat(design).format;
    const std::vector<int> fields = rt::queueFields(format);
    const std::vector<int> designedFields = rt::queueFields(designed);
    for (std::size_t i = 0; i < format.columns.size(); ++i)
        for (std::size_t j = 0; j < designed.columns.size(); ++j)
            if (designedFields[j] == fields[i] && designed.columns[j].picture)
                format.columns[i].picture = designed.columns[j].picture;
    return rt::writeListFormat(format);
}

bool sameFormat(std::string_view a, std::string_view b)
{
    return text::trimRight(a) == text::trimRight(b);
}

} // namespace

void BrovexList::BuildFormat()
{
    rt::ListFormat format;
    int place = 0;
    for (BrovexColumn& c : sq_) {
        if (text::trimRight(c.picture).empty())
            c.picture = "@S20";
        c.col = c.seq = ++place;
        rt::ListFormatColumn f;
        f.width = c.widthDlu;
        f.data = justification(c.fJust, c.fOffset);
        if (c.colors)
            f.marks += rt::list_mark::Colours;
        if (c.iconX == 1)
            f.marks += rt::list_mark::Icon;
        else if (c.iconX >= 2)
            f.marks += rt::list_mark::TransparentIcon;
        if (c.fixed)
            f.marks += rt::list_mark::Fixed;
        if (c.uLine)
            f.marks += rt::list_mark::Underline;
        if (c.resize)
            f.marks += rt::list_mark::Resizable;
        if (c.border)
            f.marks += rt::list_mark::RightBorder;
        f.header = c.header;
        f.headerJustification = justification(c.hJust, c.hOffset);
        f.picture = c.picture;
        f.fieldNumber = c.qnos;
        if (c.nfg != -1 || c.nbg != -1 || c.sfg != -1 || c.sbg != -1)
            f.colours = std::array<long, 4>{c.nfg, c.nbg, c.sfg, c.sbg};
        format.columns.push_back(std::move(f));
    }
    // Never cut: a cut format would lose columns and could not be read back.
    list_->setFormat(rt::writeListFormat(format));
}

void BrovexList::ParseFormat(std::string_view text)
{
    sq_.clear();
    int field = 1;
    for (const rt::ListFormatColumn& c : rt::readListFormat(text).format.columns) {
        const int qnos = c.fieldNumber.value_or(field);
        if (const BrovexColumn* known = allByQnos(qnos))
            addShown(*known);
        field = qnos + 1 + rt::extraFields(c);
    }
}

void BrovexList::addShown(const BrovexColumn& column)
{
    BrovexColumn c = column;
    c.display = true;
    c.col = c.seq = static_cast<int>(sq_.size()) + 1;
    sq_.push_back(std::move(c));
}

void BrovexList::ReadColumnState(bool keep)
{
    if (!keep)
        qnos_ = 0;
    const rt::ListFormat format = rt::readListFormat(list_->format()).format;
    const rt::ListGeometry& at = list_->listGeometry();
    for (BrovexColumn& c : sq_) {
        if (!keep && c.seq == flags_->sortColumn)
            qnos_ = c.qnos;
        if (c.col == 0 || c.seq < 1 || c.seq > static_cast<int>(format.columns.size()))
            continue;
        const rt::ListFormatColumn& f = format.columns[static_cast<std::size_t>(c.seq - 1)];
        if (f.picture)
            c.picture = *f.picture;
        c.header = f.header.value_or("");
        c.widthDlu = f.width;
        c.fixed = f.has(rt::list_mark::Fixed);
        c.border = f.has(rt::list_mark::RightBorder);
        c.resize = f.has(rt::list_mark::Resizable);
        c.uLine = f.has(rt::list_mark::Underline);
        if (f.data.letter) {
            c.fJust = f.data.align();
            c.fOffset = f.data.offset.value_or(0);
        }
        if (f.headerJustification.letter) {
            c.hJust = f.headerJustification.align();
            c.hOffset = f.headerJustification.offset.value_or(0);
        }
        const std::array<long, 4> colours = f.colours.value_or(std::array<long, 4>{-1, -1, -1, -1});
        c.nfg = colours[0];
        c.nbg = colours[1];
        c.sfg = colours[2];
        c.sbg = colours[3];
        const auto i = static_cast<std::size_t>(c.seq - 1);
        c.widthPix = i < at.columnWidths.size() ? at.columnWidths[i] : 0;
    }
    hPos_ = list_->property(rt::list_prop::HScroll) == "1" ? at.scrolledColumns : 0;
    if (hPos_ > 0) {
        // Fixed columns stay; the next ones are the ones scrolled out.
        auto c = sq_.begin();
        while (c != sq_.end() && c->fixed)
            ++c;
        for (int n = 0; n < hPos_ && c != sq_.end(); ++n, ++c)
            c->widthPix = 0;
    }
    LayoutColumns();
}

void BrovexList::LayoutColumns()
{
    const rt::ListGeometry& at = list_->listGeometry();
    int space = at.width - at.verticalScrollBar;
    int x = 0;
    for (BrovexColumn& c : sq_) {
        if (qnos_ != 0 && c.qnos == qnos_)
            flags_->sortColumn = c.seq;
        c.widthPix = std::min(c.widthPix, std::max(space, 0));
        const int border = c.border ? 1 : 0;
        if (c.widthPix > 0)
            space -= c.widthPix + border;
        c.xPosPix = x;
        if (c.widthPix > 0)
            x += c.widthPix + border;
    }
    if (space > 0 && !sq_.empty())
        sq_.back().widthPix += space;
}

void BrovexList::RestoreLayout(std::string_view procedure, std::string_view listName)
{
    def_.origFormatString = ini_.Fetch(procedure, key("BrovexOrigFormatString-", listName), "0");
    def_.lineHeight = std::atoi(list_->property(rt::list_prop::LineHeight).c_str());
    def_.hScroll = list_->property(rt::list_prop::HScroll) == "1";
    def_.vScroll = list_->property(rt::list_prop::VScroll) == "1";
    const rt::FontDef font = list_->font();
    def_.font = font.name;
    def_.point = font.size;
    def_.color = font.color;
    def_.style = styleOf(font);
    const rt::Rect at = list_->geometry();
    def_.xPos = at.x;
    def_.yPos = at.y;
    def_.width = at.width;
    def_.height = at.height;

    const std::string designed = list_->format();
    if (!sameFormat(def_.origFormatString, designed)) {
        def_.origFormatString = designed;
        for (BrovexViewFormat& v : forq_)
            v.format = designed;
        flags_->sortColumn = 1;
        return;
    }
    for (BrovexViewFormat& v : forq_)
        v.format = ini_.Fetch(procedure, key("BrovexFormatString-", listName) + std::to_string(v.control), designed);
    if (const BrovexViewFormat* first = forq_.empty() ? nullptr : &forq_.front(); first && first->format != "0") {
        ParseFormat(first->format);
        // A saved format that shows none of the columns is no layout: the design stays.
        if (sq_.empty())
            ParseFormat(designed);
        else
            list_->setFormat(withDesignedPictures(first->format, designed));
    }
    const auto flag = [&](std::string_view prefix, bool designedOn) {
        return ini_.fetchInt(procedure, key(prefix, listName), designedOn ? 1 : 0) != 0 ? "1" : "";
    };
    list_->setProperty(rt::list_prop::HScroll, flag("BrovexHscroll-", def_.hScroll));
    list_->setProperty(rt::list_prop::VScroll, flag("BrovexVscroll-", def_.vScroll));
    const long long lineHeight = ini_.fetchInt(procedure, key("BrovexLineHeight-", listName), def_.lineHeight);
    if (lineHeight > 0)
        list_->setProperty(rt::list_prop::LineHeight, std::to_string(lineHeight));
    rt::FontDef f = font;
    f.name = ini_.Fetch(procedure, key("BrovexFont-", listName), def_.font);
    f.size = static_cast<int>(ini_.fetchInt(procedure, key("BrovexPoint-", listName), def_.point));
    f.color = static_cast<int>(ini_.fetchInt(procedure, key("BrovexColor-", listName), def_.color));
    setStyle(f, static_cast<long>(ini_.fetchInt(procedure, key("BrovexStyle-", listName), def_.style)));
    list_->setFont(f);
    if (def_.allowBBResize) {
        rt::Rect r = at;
        r.x = static_cast<int>(ini_.fetchInt(procedure, key("BrovexXpos-", listName), at.x));
        r.y = static_cast<int>(ini_.fetchInt(procedure, key("BrovexYpos-", listName), at.y));
        r.width = static_cast<int>(ini_.fetchInt(procedure, key("BrovexWidth-", listName), at.width));
        r.height = static_cast<int>(ini_.fetchInt(procedure, key("BrovexHeight-", listName), at.height));
        list_->setGeometry(r);
    }
    flags_->sortColumn = static_cast<int>(ini_.fetchInt(procedure, key("BrovexPrevCol-", listName), 1));
    ascDesc = ini_.fetchInt(procedure, key("BrovexAscDesc-", listName), 0) != 0 ? 1 : 0;
}

void BrovexList::SaveLayout(std::string_view procedure, std::string_view listName, int sortColumn, int direction)
{
    for (BrovexViewFormat& v : forq_)
        if (v.control == currentView_)
            v.format = list_->format();
    for (const BrovexViewFormat& v : forq_)
        ini_.Update(procedure, key("BrovexFormatString-", listName) + std::to_string(v.control), v.format);
    ini_.Update(procedure, key("BrovexOrigFormatString-", listName), def_.origFormatString);
    const rt::Rect at = list_->geometry();
    ini_.updateInt(procedure, key("BrovexXpos-", listName), at.x);
    ini_.updateInt(procedure, key("BrovexYpos-", listName), at.y);
    ini_.updateInt(procedure, key("BrovexHeight-", listName), at.height);
    ini_.updateInt(procedure, key("BrovexWidth-", listName), at.width);
    ini_.updateInt(procedure, key("BrovexHscroll-", listName), list_->property(rt::list_prop::HScroll) == "1");
    ini_.updateInt(procedure, key("BrovexVscroll-", listName), list_->property(rt::list_prop::VScroll) == "1");
    ini_.updateInt(
        procedure, key("BrovexLineHeight-", listName), std::atoi(list_->property(rt::list_prop::LineHeight).c_str()));
    const rt::FontDef& f = list_->font();
    ini_.Update(procedure, key("BrovexFont-", listName), f.name);
    ini_.updateInt(procedure, key("BrovexPoint-", listName), f.size);
    ini_.updateInt(procedure, key("BrovexColor-", listName), f.color);
    ini_.updateInt(procedure, key("BrovexStyle-", listName), styleOf(f));
    ini_.updateInt(procedure, key("BrovexPrevCol-", listName), sortColumn);
    ini_.updateInt(procedure, key("BrovexAscDesc-", listName), direction);
}

void BrovexList::ResetToDefault()
{
    list_->setFormat(def_.origFormatString);
    if (def_.height != 0)
        list_->setGeometry({def_.xPos, def_.yPos, def_.width, def_.height});
    list_->setProperty(rt::list_prop::LineHeight, def_.lineHeight > 0 ? std::to_string(def_.lineHeight) : "");
    rt::FontDef f = list_->font();
    f.name = def_.font;
    f.size = def_.point;
    f.color = static_cast<int>(def_.color);
    setStyle(f, def_.style);
    list_->setFont(f);
    pars_.xPos = def_.xPos;
    pars_.yPos = def_.yPos;
    pars_.width = def_.width;
    pars_.height = def_.height;
    pars_.lineHeight = def_.lineHeight;
    pars_.font = def_.font;
    pars_.point = def_.point;
    pars_.style = def_.style;
    sq_.clear();
    for (BrovexColumn& c : fq_) {
        c.icon = c.controlField;
        if (c.controlField)
            addShown(c);
    }
    restoreHeader_ = true;
    ClearSortMark();
    flags_->sortColumn = 0;
    qnos_ = 0;
    flags_->viewOrder = 0;
    flags_->fileOrder = 0;
    procedure_->RefreshBrowse();
    ReadColumnState(true);
}

void BrovexList::ReadListSettings()
{
    pars_.lineHeight = std::atoi(list_->property(rt::list_prop::LineHeight).c_str());
    const rt::Rect at = list_->geometry();
    pars_.xPos = at.x;
    pars_.yPos = at.y;
    pars_.width = at.width;
    pars_.height = at.height;
    const rt::FontDef& f = list_->font();
    pars_.font = f.name;
    pars_.point = f.size;
    pars_.color = f.color;
    pars_.style = styleOf(f);
    pars_.hScroll = list_->property(rt::list_prop::HScroll) == "1";
    pars_.vScroll = list_->property(rt::list_prop::VScroll) == "1";
    for (BrovexColumn& c : fq_)
        c.icon = std::any_of(sq_.begin(), sq_.end(), [&](const BrovexColumn& s) { return s.qnos == c.qnos; });
}

void BrovexList::SwitchView(int view)
{
    if (list_->effectivelyHidden())
        return;
    const auto target
        = std::find_if(forq_.begin(), forq_.end(), [&](const BrovexViewFormat& v) { return v.control == view; });
    if (target == forq_.end())
        return;
    for (BrovexViewFormat& v : forq_)
        if (v.control == currentView_)
            v.format = list_->format();
    currentView_ = view;
    list_->setFormat(target->format);
    ParseFormat(target->format);
}

} // namespace qv::qvls
