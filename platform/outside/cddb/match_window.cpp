// The matches of a lookup: the person picks the disc that is theirs.

#include "cddb/windows/CddbMatches.h"
#include "platform/outside/cddb/service_windows.h"

namespace qv::cddb {

namespace W = ctl::CddbMatches;

std::optional<std::size_t> pickMatch(const MatchList& matches)
{
    if (matches.discs.empty())
        return std::nullopt;
    rt::ListQueue rows(3);
    for (const DiscRef& disc : matches.discs) {
        const Disc d = disc ? *disc : Disc{};
        // A title without an artist of its own stands alone, as the server sent it.
        const bool titleOnly = d.artist.empty() || d.artist == d.title;
        rows.append({d.category, titleOnly ? d.title : d.artist + " / " + d.title, d.discId});
    }
    std::unique_ptr<rt::Window> w = detail::loadWindow(W::kWindow);
    rt::Window& win = *w;
    rt::Control& list = win[W::Matches];
    list.setList(&rows);
    list.setSelected(1);
    win.open();
    win.select(list);
    std::optional<std::size_t> chosen;
    rt::runDialog(win, {W::Cancel}, [&](const rt::Event& e) {
        // OK, or a double click on a row.
        if (e.code != rt::event::Accepted || (e.control != W::OK.number && e.control != W::Matches.number))
            return false;
        const int row = list.selected();
        if (row < 1 || row > rows.rowCount()) {
            tell("Choose a disc in the list, or Cancel.");
            return false;
        }
        chosen = static_cast<std::size_t>(row - 1);
        return true;
    });
    win.close();
    return chosen;
}

} // namespace qv::cddb
