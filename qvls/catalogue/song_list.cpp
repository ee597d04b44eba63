#include "qvls/catalogue/song_list.h"

#include <yaml-cpp/yaml.h>

#include "platform/framework/context_menu.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/display.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/BrowseSongs.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrowseSongs;
constexpr std::size_t kTitleWidth = 60;
constexpr std::size_t kUdkTabChars = 10;
} // namespace

void showSongTitles(fw::ListWindow& list, std::string_view name)
{
    int column = 0;
    for (const YAML::Node& c : list.declaration()["columns"]) {
        if (c["computed"] && c["computed"].as<std::string>() == name) {
            list.browser().setComputed(
                column, [] { return std::string(text::firstChars(SongDisplayTitle(), kTitleWidth)); });
            return;
        }
        ++column;
    }
}

SongList::SongList()
    : CatalogueList(std::string(W::kWindow))
    , commands_(*this)
    , media_("BrowseMedia", &dictionary::Media, "MED:Media")
    , query_(*this, W::kWindow, W::Query, W::Reset)
{
    onAccepted(W::Print, [this] { print(); });
    onAccepted(W::More, [this] { more(); });
    commands_.bind({.album = W::Album, .play = W::Play, .import = W::Import, .export_ = W::ExportAll});
    onAccepted(W::SelectMedia, [this] { media_.choose(*this); });
    onAccepted(W::SelectCategory, [this] { category_.choose(*this); });
}

fw::Level SongList::OnEvent(const rt::Event& e)
{
    commands_.keepCopy(e, W::Copy);
    const fw::Level l = CatalogueList::OnEvent(e);
    commands_.dropCopy();
    return l;
}

int SongList::CallUpdateProcedure(int number, int request)
{
    commands_.giveCopy(request);
    return CatalogueList::CallUpdateProcedure(number, request);
}

fw::Level SongList::prepareList()
{
    glo().songFormFromWizard = 0;
    media_.limit(reader(), "SNG:SongsByMedia", "SNG:Media");
    category_.limit(reader(), "SNG:SongsByCategory", "SNG:CategoryID");
    query_.prepare(*this);
    commands_.prepare();
    showSongTitles(*this, "SongTitle");
    return CatalogueList::prepareList();
}

void SongList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
    if (const std::string prompt(text::trimRight(settings().UDKPrompt)); !prompt.empty())
        window()[W::UdkTab].setText("By " + std::string(text::trimRight(text::firstChars(prompt, kUdkTabChars))));
}

void SongList::print()
{
    // The order numbers are those of the declaration's orders.
    const int order = reader().requestedOrder();
    const YAML::Node orders = declaration()["orders"];
    if (order < 1 || order > static_cast<int>(orders.size()))
        return;
    const YAML::Node report = orders[static_cast<std::size_t>(order - 1)]["report"];
    commands_.start(report[0].as<std::string>(), report[1].as<std::string>());
}

void SongList::more()
{
    fw::ContextMenu* menu = browser().contextMenu();
    if (!menu)
        return;
    const rt::Rect b = window()[W::More].geometry();
    const int middle = b.y + b.height / 2;
    // Low in a tall window the menu opens beside the button, so it is not cut off below.
    const rt::Rect at
        = middle > kMoreBesideBelow ? rt::Rect{b.x + b.width, middle, -1, -1} : rt::Rect{b.x, b.y + b.height, -1, -1};
    menu->open(at);
}

void registerSongList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { SongList().Execute(); });
}

} // namespace qv::qvls
