#pragma once
// The album list opened on four albums, with the mouse and the layout a
// host reports: what the tests of its columns and column windows share.

#include <string>
#include <utility>
#include <vector>

#include "platform/expr/datetime.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/list_format.h"
#include "qvls/catalogue/catalogue_fixture.h"

namespace qv::qvls::testing {

class AlbumList : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "Categories"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [name, id] : {std::pair{"Jazz", "1"}, std::pair{"Rock", "2"}})
            add(dictionary::Categories(), {{"CAT:Category", name}, {"CAT:CategoryID", id}});
        struct Row {
            const char* album;
            const char* artist;
            const char* category;
            const char* categoryId;
            int released; // year
        };
        for (const Row& r :
            {Row{"Hejira", "Joni Mitchell", "Jazz", "1", 1976}, Row{"aja", "Steely Dan", "Jazz", "1", 1977},
                Row{"Blue", "Joni Mitchell", "Rock", "2", 1971}, Row{"Court and Spark", "O'Connor", "Rock", "2", 1974}})
            add(dictionary::Album(),
                {{"ALB:Album", r.album}, {"ALB:Artist", r.artist}, {"ALB:Media", "CD"}, {"ALB:Category", r.category},
                    {"ALB:CategoryID", r.categoryId},
                    {"ALB:ReleaseDate", std::to_string(yearsOnly ? r.released : expr::dateFromYmd(r.released, 6, 1))}});
        settings().DateFormat = yearsOnly ? "" : "d17"; // release dates kept as years, or as dates
        open();
    }
    void TearDown() override
    {
        if (list)
            host->press(*list, "?Close");
        for (const char* label : {"Quorvel", "Album", "Categories"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    void open()
    {
        host->startProcedure(procedure);
        list = host->window(procedure);
        ASSERT_NE(list, nullptr) << (host->failures().empty() ? "" : host->failures().front());
    }
    // The list opened again on an empty album table.
    void reopenEmpty()
    {
        host->press(*list, "?Close");
        list = nullptr;
        tables::Table& t = dictionary::Album();
        while (t.setOrder(-1) == 0 && t.next() == 0)
            ASSERT_EQ(t.remove(), 0);
        open();
    }
    rt::Control& box() const { return (*list)["?Browse:1"]; }
    rt::ListHit hit(int row, int column) const { return host->listPoint(*list, "?Browse:1", row, column); }
    void mouse(rt::ListMouse what, const rt::ListHit& at) { host->listMouse(*list, "?Browse:1", what, at); }
    void clickHeader(int column)
    {
        mouse(rt::ListMouse::LeftDown, hit(0, column));
        mouse(rt::ListMouse::LeftUp, hit(0, column));
    }
    std::vector<std::string> headers() const
    {
        std::vector<std::string> out;
        for (const rt::ListFormatColumn& c : rt::readListFormat(box().format()).format.columns)
            out.push_back(c.header.value_or(""));
        return out;
    }
    // The values of a column (by its list-queue field) down the list.
    std::vector<std::string> column(int field) const
    {
        std::vector<std::string> out;
        for (int r = 0; r < box().list()->rowCount(); ++r)
            out.emplace_back(text::trimRight(box().list()->cell(r, field - 1)));
        return out;
    }
    std::vector<int> shownFields() const
    {
        std::vector<int> out;
        int next = 1;
        for (const rt::ListFormatColumn& c : rt::readListFormat(box().format()).format.columns) {
            out.push_back(c.fieldNumber.value_or(next));
            next = out.back() + 1;
        }
        return out;
    }
    void chooseTab(int tab) { host->choose(*list, "?CurrentTab", tab); }

    // The album list a test opens: the classic one unless it says otherwise.
    std::string procedure = "BrowseAlbums";
    bool yearsOnly = false;
    rt::Window* list = nullptr;
};

using Strings = std::vector<std::string>;

} // namespace qv::qvls::testing
