// The list's right-click menu: the library's submenus appended to the
// browse's own items, with the column and list-box commands the window's
// menu mask admits, brought up to date for the column under the mouse.

#include "platform/framework/context_menu.h"
#include "platform/framework/list_browser.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"

namespace qv::qvls {

namespace {

// The bits that admit the column items, and the list-box ones.
struct MaskedItem {
    const char* text;
    const char* name;
    long bits; // the item shows when the mask has any of them
    int event;
};

constexpr long kListBoxBits = 2097152 | 4194304 | 8388608 | 16777216 | 33554432 | 67108864 | 134217728 | 268435456;
// Bits that admit nothing in the "&Brovex" submenu.
constexpr long kNotColumnBits = 4096 | 1048576 | 33554432 | 268435456;

constexpr MaskedItem kColumnItems[] = {
    {"Move Left", "MCL", 8192, 1034},
    {"Move Right", "MCR", 8192, 1035},
    {"-", "S21", 8192, 0},
    {"Header offset", "HOS", 512, 1047},
    {"Data offset", "DOS", 16, 1048},
    {"Width", "WID", 2048, 1046},
    {"Header Text", "HDR", 1024, 1050},
    {"-", "S22", 16 | 512 | 1024 | 2048, 0},
    {"+Data Just left", "FJL", 1, 1041},
    {"+Data Just Center", "FJC", 2, 1043},
    {"+Data Just Right", "FJR", 4, 1042},
    {"+Data Just Decimal", "FJD", 8, 1044},
    {"-", "S23", 1 | 2 | 4 | 8, 0},
    {"+Hdr Just left", "HJL", 32, 1037},
    {"+Hdr Just Center", "HJC", 64, 1039},
    {"+Hdr Just Right", "HJR", 128, 1038},
    {"+Hdr Just Decimal", "HJD", 256, 1040},
    {"-", "S24", 32 | 64 | 128 | 256, 0},
    {"+Resize", "RSZ", 524288, 1054},
    {"+Border", "BDR", 262144, 1053},
    {"+Underline", "ULI", 131072, 1052},
    {"+Fixed", "FXD", 65536, 1051},
    {"-", "S25", 65536 | 131072 | 262144 | 524288, 0},
};

constexpr MaskedItem kListBoxItems[] = {
    {"X Pos", "XPS", 2097152, 1055},
    {"Y Pos", "YPS", 4194304, 1056},
    {"Width", "BWI", 8388608, 1057},
    {"Height", "BHI", 16777216, 1058},
    {"-", "S31", 2097152 | 4194304 | 8388608 | 16777216, 0},
    {"Line Height", "LHI", 67108864, 1060},
    {"+H Scroll", "HSC", 134217728, 1061},
    {"+V Scroll", "VSC", 268435456, 1062},
    {"-", "S32", 67108864 | 134217728 | 268435456, 0},
    {"Font", "FNT", 33554432, 1059},
};

} // namespace

void BrovexList::ShowListMenu()
{
    fw::ContextMenu* menu = browse_->contextMenu();
    if (!menu)
        return;
    menu_ = menu;
    const long mask = flags_->mask;
    std::string last;
    const auto add = [&](const std::string& text, const char* name, std::string_view after, int level, int event) {
        return last = menu->insertItem(text, name, after, level, event, event ? list_->number() : 0);
    };
    const bool hasButtons = !browse_->insertControlName().empty() || !browse_->changeControlName().empty()
        || !browse_->deleteControlName().empty() || !browse_->selectControlName().empty();
    if (hasButtons)
        add("-", "S11", {}, 1, 0);
    names_.output = add("&Output", "Output", {}, 1, 0);
    names_.printAll = add("Print All", "PVW", names_.output, 2, 1070);
    names_.printPage = add("Print Page", "PPG", last, 2, 1069);
    names_.ascii = add("Export to ASCII (" + asciiFileName + ")", "ASC", last, 2, 1072);
    names_.html = add("Export to HTML (" + htmlFileName + ")", "HTM", last, 2, 1073);
    names_.graph = add("Graph on", "GBR", last, 2, 1071);
    const std::string list = add("&List", "List", {}, 1, 0);
    add("Reset to Default", "DEF", list, 2, 1036);
    add("Best-fit Column Widths", "ADJ", last, 2, 1067);
    if (mask & kMaskListProperties)
        add("List Properties", "PRP", last, 2, 1045);
    const std::string lastOfList = last;
    // "&Filter" is a submenu of the menu itself, its items one level in.
    const std::string filter = menu->insertItem("&Filter", "Filter", lastOfList, 1, 0);
    names_.sortOn = add("Sort on", "SRT", lastOfList, 2, 1068);
    std::string brovex;
    if (mask & ~kNotColumnBits)
        brovex = add("&Brovex", "Brovex", names_.sortOn, 1, 0);
    names_.filterEqual = add("Add Filter of", "ADDF1", filter, 2, kAddFilterEqual);
    names_.filterNotEqual = add("Add Filter of", "ADDF4", last, 2, kAddFilterNotEqual);
    add("-", "S31", last, 2, 0);
    names_.filterBelow = add("Add Filter of", "ADDF2", last, 2, kAddFilterBelow);
    names_.filterAbove = add("Add Filter of", "ADDF3", last, 2, kAddFilterAbove);
    names_.equalToggle = add("+Add = to Filter", "EQL", last, 2, kFilterEqualToggle);
    add("-", "S32", last, 2, 0);
    add("User Filter", "USERF", last, 2, kUserFilter);
    add("-", "S33", last, 2, 0);
    add("Cancel Filter", "VOID", last, 2, kCancelFilter);
    if (brovex.empty())
        return;

    last = brovex;
    for (const MaskedItem& item : kColumnItems)
        if (mask & item.bits)
            names_.items[item.name] = add(item.text, item.name, last, 2, item.event);
    if (mask & kListBoxBits) {
        const std::string box = add("&ListBox", "ListBox", last, 2, 0);
        const std::string separator = add("-", "S26", box, 2, 0);
        if (mask & 32768)
            names_.items["CLR"] = add("Colors", "CLR", separator, 2, 1063);
        const std::string afterBox = last;
        last = box;
        for (const MaskedItem& item : kListBoxItems)
            if (mask & item.bits)
                names_.items[item.name] = add(item.text, item.name, last, 3, item.event);
        last = afterBox;
    } else if (mask & 32768) {
        names_.items["CLR"] = add("Colors", "CLR", last, 2, 1063);
    }
    add("-", "S29", last, 2, 0);
}

void BrovexList::UpdateListMenu()
{
    fw::ContextMenu* menu = menu_;
    BrovexColumn* c = shownAt(currentCol_);
    if (!menu || !c)
        return;
    const auto check = [&](const char* name, bool on) {
        if (const auto i = names_.items.find(name); i != names_.items.end())
            menu->setItemChecked(i->second, on);
    };
    check("FXD", c->fixed);
    check("ULI", c->uLine);
    check("BDR", c->border);
    check("RSZ", c->resize);
    check("HSC", list_->property(rt::list_prop::HScroll) == "1");
    check("VSC", list_->property(rt::list_prop::VScroll) == "1");
    for (const char* j : {"HJL", "HJR", "HJC", "HJD"})
        check(j, c->hJust == j[2]);
    for (const char* j : {"FJL", "FJR", "FJC", "FJD"})
        check(j, c->fJust == j[2]);
    menu->setItemChecked(names_.equalToggle, filterEqual);

    // The value as the list shows it, at most 80 characters.
    const std::string value(text::firstChars(text::trim(rt::formatPicture(highlightedValue(*c), c->picture)), 80));
    const std::string d(text::trimRight(c->description));
    const std::string orEqual = filterEqual ? "=" : "";
    menu->setItemText(names_.filterEqual, "Add Filter of (" + d + "=" + value + ")");
    menu->setItemText(names_.filterNotEqual, "Add Filter of (" + d + "~=" + value + ")");
    menu->setItemText(names_.filterBelow, "Add Filter of (" + d + "<" + orEqual + value + ")");
    menu->setItemText(names_.filterAbove, "Add Filter of (" + d + ">" + orEqual + value + ")");
    // The file names the exports chose last.
    menu->setItemText(names_.ascii, "Export to ASCII (" + asciiFileName + ")");
    menu->setItemText(names_.html, "Export to HTML (" + htmlFileName + ")");
    menu->setItemText(names_.sortOn, "Sort on " + d);
    menu->setItemText(names_.graph, "Graph on " + d);
    for (const std::string* f : {&names_.filterEqual, &names_.filterNotEqual, &names_.filterBelow, &names_.filterAbove})
        menu->setItemEnabled(*f, c->viewField != 0);
    menu->setItemEnabled(names_.sortOn, c->sortField != 0);
    menu->setItemEnabled(names_.graph, graph && c->graphOk);
    for (const std::string* f : {&names_.printAll, &names_.ascii, &names_.html})
        menu->setItemEnabled(*f, printView);
    menu->setItemEnabled(names_.printPage, printPage);
}

bool BrovexList::BeforeListMenu()
{
    const rt::ListHit& press = list_->listPress();
    // A right click on the header opens the header's own menu as the button comes up.
    if (press.row == 0 || press.edge)
        return false;
    if (press.column > 0)
        currentCol_ = press.column;
    UpdateListMenu();
    return true;
}

void BrovexList::ShowColumnMenu()
{
    const int column = std::atoi(list_->property(rt::list_prop::CurrentColumn).c_str());
    if (column <= 0 || !menu_)
        return;
    currentCol_ = column;
    UpdateListMenu();
    const BrovexColumn* c = shownAt(column);
    const rt::Rect box = list_->geometry();
    const rt::ListGeometry& at = list_->listGeometry();
    // Under the column, below the list; the list's pixels scaled to the window's units.
    int x = box.x;
    if (c && at.width > 0)
        x += (c->xPosPix + c->widthPix / 2) * box.width / at.width;
    menu_->open({x, box.y + box.height, -1, -1});
}

} // namespace qv::qvls
