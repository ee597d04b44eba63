#include "fixtures.h"

#include "platform/tables/view.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace qv::tables::testing {
namespace {

struct Song {
    std::int64_t id;
    std::string artist, title;
    int album, side;
};

// 600 songs over 30 albums (album 30 has no album record), with titles in mixed case.
struct ViewFixture : ::testing::Test {
    Collection c;
    std::vector<Song> songs;

    void SetUp() override
    {
        const char* words[] = {"love", "Rain", "night", "Blue", "alpha", "Zulu", "echo", "Dawn"};
        ASSERT_EQ(c.group->begin(), 0);
        for (int a = 1; a <= 29; ++a)
            ASSERT_EQ(c.addAlbum("Artist " + std::to_string(a % 7), "Album " + std::to_string(a)), 0);
        for (int i = 0; i < 600; ++i) {
            std::string title = std::string(words[i % 8]) + " " + std::to_string(i % 37);
            std::string artist = "Artist " + std::to_string(i % 13);
            int album = 1 + i % 30, side = 1 + i % 2;
            ASSERT_EQ(c.addSong(artist, title, album, side), 0);
            songs.push_back({c.songs->record()["ID"].toInt(), artist, title, album, side});
        }
        ASSERT_EQ(c.group->commit(), 0);
    }

    std::vector<std::int64_t> ids(std::vector<Song> v) const
    {
        std::vector<std::int64_t> out;
        for (const auto& s : v)
            out.push_back(s.id);
        return out;
    }

    std::vector<std::int64_t> readPage(View& v, int n, bool forward)
    {
        std::vector<std::int64_t> out;
        v.page(n, forward, [&] { out.push_back(c.songs->record()["SNG:ID"].toInt()); });
        if (!forward)
            std::reverse(out.begin(), out.end());
        return out;
    }

    std::vector<std::int64_t> readAll(View& v)
    {
        std::vector<std::int64_t> out;
        v.toStart();
        while (v.next() == 0)
            out.push_back(c.songs->record()["SNG:ID"].toInt());
        return out;
    }

    template <class Less> std::vector<std::int64_t> expected(Less less, bool (*keep)(const Song&) = nullptr)
    {
        std::vector<Song> v;
        for (const auto& s : songs)
            if (!keep || keep(s))
                v.push_back(s);
        std::stable_sort(v.begin(), v.end(), less);
        return ids(v);
    }
};

auto byArtistTitle = [](const Song& a, const Song& b) {
    return std::make_tuple(text::foldKey(a.artist), text::foldKey(a.title))
        < std::make_tuple(text::foldKey(b.artist), text::foldKey(b.title));
};

std::vector<std::int64_t> slice(const std::vector<std::int64_t>& v, size_t from, size_t n)
{
    return std::vector<std::int64_t>(
        v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(std::min(v.size(), from + n)));
}

TEST_F(ViewFixture, PagesForwardAndBackwardInKeyOrder)
{
    View v(*c.songs);
    v.setOrderKey(c.songs->def().keyIndex("SNG:SongsByArtist"));
    auto all = expected(byArtistTitle);
    EXPECT_EQ(readAll(v), all);

    v.toStart();
    EXPECT_EQ(readPage(v, 40, true), slice(all, 0, 40));
    EXPECT_EQ(readPage(v, 40, true), slice(all, 40, 40));
    // Page up from the top row of the second page.
    c.songs->record()["SNG:ID"] = all[40];
    ASSERT_EQ(c.songs->fetch(0), 0);
    v.positionOnBuffer();
    EXPECT_EQ(readPage(v, 40, false), slice(all, 0, 40));
    EXPECT_EQ(v.previous(), RecordNotAvailable);

    v.toEnd();
    EXPECT_EQ(readPage(v, 40, false), slice(all, all.size() - 40, 40));
    EXPECT_EQ(v.count(), 600);
}

TEST_F(ViewFixture, TypedPrefixFindsTheFirstRowAtOrAfterIt)
{
    View v(*c.songs);
    v.setOrderKey(c.songs->def().keyIndex("SNG:SongsByArtist"));
    c.songs->record().clear();
    c.songs->record()["SNG:Artist"] = "ARTIST 12";
    c.songs->record()["SNG:Title"] = "n";
    v.seekToBuffer();
    ASSERT_EQ(v.next(), 0);
    EXPECT_EQ(c.songs->record().getText(0), "Artist 12");
    EXPECT_EQ(c.songs->record().getText(1).substr(0, 5), "night");
}

TEST_F(ViewFixture, RangeLimitFromAParentRecord)
{
    View v(*c.songs);
    v.setOrderKey(c.songs->def().keyIndex("SNG:KeyAlbumID"));
    c.songs->record().clear();
    c.songs->record()["SNG:AlbumID"] = 7;
    v.limitToBuffer(1);
    auto got = readAll(v);
    auto want = expected([](const Song& a, const Song& b) { return std::tie(a.side, a.id) < std::tie(b.side, b.id); },
        [](const Song& s) { return s.album == 7; });
    EXPECT_EQ(got, want);
    EXPECT_EQ(v.count(), 20);
}

TEST_F(ViewFixture, NamedFilterPartsApplyTogether)
{
    View v(*c.songs);
    v.setOrderKey(c.songs->def().keyIndex("SNG:SongsByArtist"));
    ASSERT_EQ(v.setFilter("6 Query", "SNG:Side = 2"), 0);
    ASSERT_EQ(v.setFilter("Brovex", "INSTRING('LOVE', UPPER(SNG:Title), 1, 1)"), 0);
    auto both = expected(byArtistTitle, [](const Song& s) { return s.side == 2 && s.title.rfind("love", 0) == 0; });
    EXPECT_EQ(readAll(v), both);
    EXPECT_EQ(v.count(), static_cast<std::int64_t>(both.size()));
    // Paging backwards through a filtered view gives the same rows.
    v.toEnd();
    std::vector<std::int64_t> back;
    while (v.previous() == 0)
        back.push_back(c.songs->record()["SNG:ID"].toInt());
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, both);

    v.clearFilter("Brovex");
    EXPECT_EQ(v.count(), 300);
    EXPECT_NE(v.setFilter("Bad", "SNG:Nothing = 1"), 0);
    EXPECT_FALSE(v.filterError().empty());
    v.clearFilter("Bad");
    v.setFilter("code", [&] { return c.songs->record()["SNG:AlbumID"].toInt() == 4; });
    EXPECT_EQ(v.count(), 20); // with "6 Query" still applying
}

// A view keeps the statements it reads with: each change of order, range or filter must
// reach the next read, from the start and from a row alike.
TEST_F(ViewFixture, ReadsFollowEachChangeOfOrderRangeAndFilter)
{
    const int byArtist = c.songs->def().keyIndex("SNG:SongsByArtist");
    const int byAlbum = c.songs->def().keyIndex("SNG:KeyAlbumID");
    auto byAlbumSide = [](const Song& a, const Song& b) { return std::tie(a.side, a.id) < std::tie(b.side, b.id); };
    auto byId = [](const Song& a, const Song& b) { return a.id < b.id; };
    auto onAlbum = [this](View& v, int album) {
        c.songs->record().clear();
        c.songs->record()["SNG:AlbumID"] = album;
        v.limitToBuffer(1);
    };
    View v(*c.songs);
    struct Step {
        const char* change;
        std::function<void()> apply;
        std::vector<std::int64_t> want;
    };
    const std::vector<Step> steps = {
        {"artist order", [&] { v.setOrderKey(byArtist); }, expected(byArtistTitle)},
        {"a filter SQLite tests", [&] { v.setFilter("6 Query", "SNG:Side = 2"); },
            expected(byArtistTitle, [](const Song& s) { return s.side == 2; })},
        {"the filter changed", [&] { v.setFilter("6 Query", "SNG:Side = 1"); },
            expected(byArtistTitle, [](const Song& s) { return s.side == 1; })},
        {"the filter gone", [&] { v.clearFilter("6 Query"); }, expected(byArtistTitle)},
        {"album order, album 7",
            [&] {
                v.setOrderKey(byAlbum);
                onAlbum(v, 7);
            },
            expected(byAlbumSide, [](const Song& s) { return s.album == 7; })},
        {"album 8", [&] { onAlbum(v, 8); }, expected(byAlbumSide, [](const Song& s) { return s.album == 8; })},
        {"no range", [&] { v.clearRange(); }, expected([](const Song& a, const Song& b) {
             return std::tie(a.album, a.side, a.id) < std::tie(b.album, b.side, b.id);
         })},
        {"file order", [&] { v.setOrderKey(-1); }, expected(byId)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.change);
        step.apply();
        EXPECT_EQ(readAll(v), step.want);
        // A page on from the fifth row, and back from the tenth.
        if (step.want.size() < 10)
            continue;
        c.songs->record()["SNG:ID"] = step.want[4];
        ASSERT_EQ(c.songs->fetch(0), 0);
        v.positionOnBuffer();
        EXPECT_EQ(readPage(v, 5, true), slice(step.want, 5, 5));
        c.songs->record()["SNG:ID"] = step.want[9];
        ASSERT_EQ(c.songs->fetch(0), 0);
        v.positionOnBuffer();
        EXPECT_EQ(readPage(v, 5, false), slice(step.want, 4, 5));
    }
}

// A view gone leaves its buffers to the next view, which may read another table.
TEST_F(ViewFixture, AViewReadsIntoTheBuffersAViewOfAnotherTableLeft)
{
    {
        View songs(*c.songs);
        songs.setOrderKey(0);
        ASSERT_EQ(readPage(songs, 40, true).size(), 40u);
    }
    View albums(*c.albums);
    albums.setOrderKey(0);
    std::vector<std::string> got, want;
    albums.page(29, true, [&] {
        got.push_back(c.albums->record()["ALB:Album"].toString());
        EXPECT_EQ(c.albums->record().fieldCount(), static_cast<int>(c.albums->def().fields.size()));
    });
    for (int a = 1; a <= 29; ++a)
        want.push_back(text::padTo("Album " + std::to_string(a), 50));
    EXPECT_EQ(got, want);
}

TEST_F(ViewFixture, FiltersReadGlobalsAsTheyAreAtEachRead)
{
    expr::NameTable globals;
    int side = 1;
    globals.bind("GLO:Side", [&] { return expr::Value(side); });
    View v(*c.songs, &globals);
    v.setOrderKey(0);
    ASSERT_EQ(v.setFilter("6 Query", "SNG:Side = GLO:Side AND SNG:AlbumID = 4"), 0);
    EXPECT_EQ(v.count(), 0); // album 4's songs are all on side 2
    side = 2;
    v.invalidate();
    EXPECT_EQ(v.count(), 20);
}

TEST_F(ViewFixture, JoinsFillTheJoinedBuffers)
{
    View outer(*c.songs);
    outer.setOrderKey(0);
    outer.join(*c.albums, 0, {"SNG:AlbumID"});
    outer.toStart();
    int withAlbum = 0, without = 0;
    while (outer.next() == 0) {
        auto album = c.songs->record()["SNG:AlbumID"].toInt();
        if (album == 30) {
            EXPECT_EQ(c.albums->record()["ALB:AlbumID"].toInt(), 0);
            ++without;
        } else {
            EXPECT_EQ(c.albums->record()["ALB:Album"].toString().substr(0, 9),
                "Album " + std::to_string(album) + std::string(9 - 6 - std::to_string(album).size(), ' '));
            ++withAlbum;
        }
    }
    EXPECT_EQ(without, 20);
    EXPECT_EQ(withAlbum, 580);

    View inner(*c.songs);
    inner.setOrderKey(0);
    inner.join(*c.albums, 0, {"SNG:AlbumID"}, true);
    EXPECT_EQ(inner.count(), 580);
    // A filter can test the joined table's fields.
    ASSERT_EQ(inner.setFilter("q", "ALB:Artist = 'Artist 3'"), 0);
    auto want = expected([](const Song& a, const Song& b) { return a.id < b.id; },
        [](const Song& s) { return s.album != 30 && s.album % 7 == 3; });
    EXPECT_EQ(readAll(inner), want);
}

TEST_F(ViewFixture, OrderExpressions)
{
    struct Case {
        const char* order;
        bool (*less)(const Song&, const Song&);
    } cases[] = {
        {"+SNG:Title", [](const Song& a, const Song& b) { return std::tie(a.title, a.id) < std::tie(b.title, b.id); }},
        {"-SNG:Side, +SNG:Title",
            [](const Song& a, const Song& b) {
                return std::tie(b.side, a.title, a.id) < std::tie(a.side, b.title, b.id);
            }},
        {"-UPPER(SNG:Title)",
            [](const Song& a, const Song& b) {
                auto ua = text::upper(a.title), ub = text::upper(b.title);
                return ua != ub ? ua > ub : a.id < b.id;
            }},
        {"SNG:AlbumID * 100 + SNG:Side",
            [](const Song& a, const Song& b) {
                return std::tie(a.album, a.side, a.id) < std::tie(b.album, b.side, b.id);
            }},
    };
    for (const auto& k : cases) {
        View v(*c.songs);
        ASSERT_EQ(v.setOrder(k.order), 0) << k.order;
        auto all = expected(k.less);
        EXPECT_EQ(readAll(v), all) << k.order;
        // Forward to the middle, then back.
        v.toStart();
        readPage(v, 300, true);
        EXPECT_EQ(readPage(v, 40, true), slice(all, 300, 40)) << k.order;
        c.songs->record()["SNG:ID"] = all[300];
        ASSERT_EQ(c.songs->fetch(0), 0);
        v.positionOnBuffer();
        EXPECT_EQ(readPage(v, 40, false), slice(all, 260, 40)) << k.order;
    }
    View bad(*c.songs);
    EXPECT_NE(bad.setOrder("+SNG:Title,"), 0);
}

// Reading through goes by another road than paging (one sorting statement where the view
// allows it): every row of the view, in its order, range and filter alike.
TEST_F(ViewFixture, ReadingThroughGivesTheRowsPagingGivesAndStopsWhenAsked)
{
    const int byArtist = c.songs->def().keyIndex("SNG:SongsByArtist");
    struct Case {
        const char* name;
        std::function<void(View&)> set;
    } cases[] = {
        {"key order", [&](View& v) { v.setOrderKey(byArtist); }},
        {"physical order", [&](View& v) { v.setOrderKey(-1); }},
        {"range",
            [&](View& v) {
                v.setOrderKey(c.songs->def().keyIndex("SNG:KeyAlbumID"));
                c.songs->record().clear();
                c.songs->record()["SNG:AlbumID"] = 7;
                v.limitToBuffer(1);
            }},
        {"filter",
            [&](View& v) {
                v.setOrderKey(byArtist);
                ASSERT_EQ(v.setFilter("Brovex", "SNG:Side = 2"), 0);
            }},
        {"expression order", [&](View& v) { ASSERT_EQ(v.setOrder("-SNG:Side, +SNG:Title"), 0); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        View v(*c.songs);
        k.set(v);
        const std::vector<std::int64_t> paged = readAll(v);
        ASSERT_FALSE(paged.empty());
        c.songs->record().clear();
        c.songs->record()["SNG:Title"] = "held";
        std::vector<std::int64_t> through;
        EXPECT_EQ(v.readThrough([&] {
            through.push_back(c.songs->record()["SNG:ID"].toInt());
            return true;
        }),
            static_cast<long>(paged.size()));
        EXPECT_EQ(through, paged);
        EXPECT_EQ(c.songs->record().getText(1), "held") << "the buffer as it was";
        through.clear();
        EXPECT_EQ(v.readThrough([&] {
            through.push_back(c.songs->record()["SNG:ID"].toInt());
            return through.size() < 3;
        }),
            3);
        EXPECT_EQ(through, slice(paged, 0, 3));
        EXPECT_EQ(readAll(v), paged) << "the view reads from its start afterwards";
    }
}

// A reader may let other threads run between rows; one of them reading the same view
// through meanwhile leaves the first read where it was.
TEST_F(ViewFixture, AReadThroughGoesOnPastAnotherOfTheSameViewMeanwhile)
{
    const int byArtist = c.songs->def().keyIndex("SNG:SongsByArtist");
    View v(*c.songs), other(*c.songs);
    v.setOrderKey(byArtist);
    other.setOrderKey(byArtist);
    std::vector<std::int64_t> through;
    long inner = 0;
    v.readThrough([&] {
        through.push_back(c.songs->record()["SNG:ID"].toInt());
        if (through.size() == 10)
            inner = other.readThrough([] { return true; });
        return true;
    });
    EXPECT_EQ(inner, 600);
    EXPECT_EQ(through, expected(byArtistTitle));
}

TEST_F(ViewFixture, NoStatementStaysOpenBetweenCalls)
{
    View v(*c.songs);
    v.setOrderKey(c.songs->def().keyIndex("SNG:SongsByArtist"));
    v.toStart();
    readPage(v, 40, true);
    ASSERT_EQ(v.next(), 0);
    // Another connection can take the file at once: nothing of ours holds a read lock.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(c.songs->filePath().c_str(), &other), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM Songs WHERE ID = 1; COMMIT;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(v.count(), 599);
}

TEST_F(ViewFixture, ChangesShowOnTheNextRead)
{
    View v(*c.songs);
    v.setOrderKey(0);
    v.toStart();
    ASSERT_EQ(v.next(), 0);
    // Delete the next row through the table: the view does not hand out the stale copy.
    c.songs->record()["SNG:ID"] = 2;
    ASSERT_EQ(c.songs->fetch(0), 0);
    ASSERT_EQ(c.songs->remove(), 0);
    ASSERT_EQ(v.next(), 0);
    EXPECT_EQ(c.songs->record()["SNG:ID"].toInt(), 3);
}

// An order sorted in memory is made again after a write to a table it reads: a row moved
// by the write shows in its new place, and reading goes on from the row last handed out.
TEST_F(ViewFixture, AWriteReordersAnOrderSortedInMemory)
{
    struct Case {
        const char* order;
        bool joinAlbums;
        std::function<void()> write;
    } cases[] = {
        {"SNG:AlbumID * 100 + SNG:Side", false,
            [&] {
                // The last song in this order goes first.
                c.songs->record()["SNG:ID"] = songs[599].id;
                ASSERT_EQ(c.songs->fetch(0), 0);
                c.songs->record()["SNG:AlbumID"] = 0;
                ASSERT_EQ(c.songs->update(), 0);
            }},
        {"UPPER(ALB:Album), SNG:ID", true,
            [&] {
                // Album 9's songs go first once it is renamed.
                c.albums->record()["ALB:AlbumID"] = 9;
                ASSERT_EQ(c.albums->fetch(0), 0);
                c.albums->record()["ALB:Album"] = "Aardvark";
                ASSERT_EQ(c.albums->update(), 0);
            }},
    };
    for (const auto& k : cases) {
        auto viewOf = [&] {
            auto v = std::make_unique<View>(*c.songs);
            if (k.joinAlbums)
                v->join(*c.albums, 0, {"SNG:AlbumID"});
            EXPECT_EQ(v->setOrder(k.order), 0) << k.order;
            return v;
        };
        auto v = viewOf();
        v->toStart();
        const auto seen = readPage(*v, 40, true);
        k.write();
        const auto now = readAll(*viewOf());
        std::vector<std::int64_t> rest;
        while (v->next() == 0)
            rest.push_back(c.songs->record()["SNG:ID"].toInt());
        const auto from = std::find(now.begin(), now.end(), seen.back());
        ASSERT_NE(from, now.end()) << k.order;
        EXPECT_EQ(rest, std::vector<std::int64_t>(from + 1, now.end())) << k.order;
        v->toStart();
        EXPECT_EQ(readPage(*v, 40, true), slice(now, 0, 40)) << k.order;
        EXPECT_NE(slice(now, 0, 40), seen) << k.order;
    }
}

// A constant far beyond a DECIMAL field's range compares as the number it is, whether the
// part goes to SQLite or is only evaluated.
TEST(ViewFilters, HugeConstantsOnADecimalField)
{
    Collection c;
    // ALB:Value is DECIMAL(8,2): at most 13 digits before the point.
    const std::vector<std::string> values{"-9999999999999.99", "-3.25", "0", "12.50", "9999999999999.99"};
    for (size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
        c.albums->record()["ALB:Value"] = *expr::Decimal::parse(values[i]);
        ASSERT_EQ(c.albums->update(), 0);
    }
    // Integers that overflow 64 bits only once scaled to hundredths, one that just fits,
    // and numbers too long for an exact constant.
    const std::vector<std::string> constants{"100000000000000000", "-100000000000000000", "92233720368547758",
        "92233720368547759", "-92233720368547759", "1000000000000000000000000", "-1000000000000000000000000"};
    const std::vector<std::string> ops{"<", "<=", ">", ">=", "=", "<>"};
    auto holds = [](long double v, const std::string& op, long double k) {
        return op == "<" ? v < k
            : op == "<=" ? v <= k
            : op == ">"  ? v > k
            : op == ">=" ? v >= k
            : op == "="  ? v == k
                         : v != k;
    };
    for (const auto& k : constants)
        for (const auto& op : ops) {
            std::int64_t want = 0;
            for (const auto& v : values)
                want += holds(std::stold(v), op, std::stold(k)) ? 1 : 0;
            // The plain part is pushed down; the sum keeps it to the expression.
            for (const char* field : {"ALB:Value", "ALB:Value + 0"}) {
                const std::string filter = std::string(field) + " " + op + " " + k;
                View v(*c.albums);
                v.setOrderKey(0);
                ASSERT_EQ(v.setFilter("f", filter), 0) << filter;
                EXPECT_EQ(v.count(), want) << filter;
                int read = 0;
                v.toStart();
                while (v.next() == 0)
                    ++read;
                EXPECT_EQ(read, want) << filter;
            }
        }
}

// Every filter gives the rows that testing the expression on each row gives, whatever part of
// it SQLite is asked to test, in both directions and across pages.
struct FilterAgreement : ::testing::Test {
    Collection c;

    void addSongs(int n, const std::vector<std::string>& titles)
    {
        const char* artists[] = {"Zulu", "zulu ", "AND", "O'Neil", "", "été"};
        ASSERT_EQ(c.group->begin(), 0);
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(c.addSong(artists[i % 6], titles[i % titles.size()], i % 50, i % 3), 0);
            c.songs->record()["SNG:Time"] = i % 4 == 0 ? 0 : 100 * i + 1;
            ASSERT_EQ(c.songs->update(), 0);
        }
        ASSERT_EQ(c.group->commit(), 0);
    }

    std::vector<std::int64_t> byTestingEachRow(const std::string& filter, int key)
    {
        RecordBindings b;
        b.add(*c.songs);
        auto e = expr::Expression::compile(filter, &b);
        EXPECT_TRUE(e.ok()) << filter;
        std::vector<std::int64_t> out;
        View all(*c.songs);
        all.setOrderKey(key);
        all.toStart();
        while (all.next() == 0)
            if (e.test(b))
                out.push_back(c.songs->record().recordId);
        return out;
    }

    void expectAgreement(const std::vector<std::string>& filters, int key)
    {
        for (const auto& f : filters) {
            const auto want = byTestingEachRow(f, key);
            View v(*c.songs);
            v.setOrderKey(key);
            ASSERT_EQ(v.setFilter("q", f), 0) << f;
            std::vector<std::int64_t> forward, backward;
            v.toStart();
            while (v.page(7, true, [&] { forward.push_back(c.songs->record().recordId); }) == 7) { }
            v.toEnd();
            while (v.page(5, false, [&] { backward.push_back(c.songs->record().recordId); }) == 5) { }
            std::reverse(backward.begin(), backward.end());
            EXPECT_EQ(forward, want) << f;
            EXPECT_EQ(backward, want) << f;
            EXPECT_EQ(v.count(), static_cast<std::int64_t>(want.size())) << f;
        }
    }
};

const std::vector<std::string> kAwkwardTitles{
    "it's", "IT'S", "100%", "100", "a_b", "axb", "AND", "and", "", "Été", "été  ", "12", "zebra", "Moon' OR 1=1 --"};

const std::vector<std::string> kFilters{
    "SNG:Title = 'it''s'",
    "UPPER(SNG:Title) = 'IT''S'",
    "UPPER(SNG:Title) = 'it''s'",
    "UPPER(SNG:Title) >= 'M'",
    "UPPER(SNG:Title) < 'B'",
    "SNG:Title < 'b'",
    "SNG:Title = ''",
    "SNG:Title <> ''",
    "SNG:Title = '100%'",
    "SNG:Title = '100'",
    "UPPER(SNG:Title) = 'A_B'",
    "SNG:Title = 'AND'",
    "UPPER(SNG:Title) = 'ÉTÉ'",
    "SNG:Title = 'été'",
    "SNG:Title = 'Moon'' OR 1=1 --'",
    "SNG:Title = '12'",
    "SNG:Title > 12",
    "UPPER(SNG:Artist) = 'ZULU' AND SNG:Side = 1",
    "SNG:Artist = 'zulu' AND SNG:Side <> 1",
    "SNG:Artist = 'O''Neil' OR SNG:Title = 'and'",
    "NOT SNG:Side = 1 AND SNG:Time > 0",
    "SNG:Time = 0",
    "SNG:Time >= 501 AND SNG:Time < 2001",
    "SNG:ID >= 3 AND SNG:ID < 9",
    "INSTRING('%', SNG:Title, 1, 1)",
    "INSTRING('_', SNG:Title, 1, 1) AND UPPER(SNG:Title) <> 'AXB'",
    "SNG:Side = 99",
    "SNG:Title = 'nothing like it'",
};

TEST_F(FilterAgreement, SqliteAndTheExpressionKeepTheSameRows)
{
    addSongs(300, kAwkwardTitles);
    for (int key : {2, 0, -1})
        expectAgreement(kFilters, key);
}

// Enough rows that a filter keeping few of them is read by a scan that sorts, not by walking
// the order's index.
TEST_F(FilterAgreement, AFilterKeepingFewRowsReadsTheSameRowsOverALargeTable)
{
    std::vector<std::string> titles(kAwkwardTitles);
    for (int i = 0; i < 3000; ++i)
        titles.push_back("filler " + std::to_string(i));
    addSongs(6000, titles);
    expectAgreement({"SNG:Title = 'it''s'", "UPPER(SNG:Title) = 'ÉTÉ' AND SNG:Time > 0", "SNG:Side = 99",
                        "SNG:Title = 'a_b' AND NOT SNG:Side = 1", "SNG:Title <> 'x'",
                        "SNG:Title = 'it''s' OR UPPER(SNG:Title) = 'NO SUCH'",
                        "INSTRING('zebr', SNG:Title) AND NOT (SNG:Side = 1 OR SNG:Time = 0)"},
        2);
}

// An order no key serves is sorted once and paged by place: the same rows in the same order
// as sorting the whole view by its order's values, in both directions and after a write.
struct PositionPaging : FilterAgreement {
    std::vector<std::int64_t> fullSort(const std::string& order, const std::string& filter)
    {
        RecordBindings b;
        b.add(*c.songs);
        auto terms = expr::parseOrder(order, &b);
        auto keep = expr::Expression::compile(filter, &b);
        std::vector<std::pair<std::vector<expr::Value>, std::int64_t>> rows;
        View all(*c.songs);
        all.toStart();
        while (all.next() == 0) {
            if (!keep.test(b))
                continue;
            std::vector<expr::Value> values;
            for (auto& t : terms)
                values.push_back(t.expression.evaluate(b));
            rows.push_back({values, c.songs->record().recordId});
        }
        std::stable_sort(rows.begin(), rows.end(), [&](const auto& x, const auto& y) {
            for (size_t i = 0; i < terms.size(); ++i)
                if (int d = expr::compare(x.first[i], y.first[i]))
                    return terms[i].descending ? d > 0 : d < 0;
            return x.second < y.second;
        });
        std::vector<std::int64_t> ids;
        for (const auto& r : rows)
            ids.push_back(r.second);
        return ids;
    }
};

TEST_F(PositionPaging, PagesGiveTheRowsOfAFullSort)
{
    addSongs(400, kAwkwardTitles);
    const std::vector<std::string> orders{"+SNG:Title", "-UPPER(SNG:Title), +SNG:Artist", "+SNG:Artist, -SNG:Time",
        "-SNG:Side, +UPPER(SNG:Artist)", "+SNG:Time * 2", "-SUB(SNG:Title, 2, 3), +SNG:Side"};
    const std::vector<std::string> filters{
        "", "SNG:Time > 0", "UPPER(SNG:Artist) = 'ZULU'", "INSTRING('_', SNG:Title, 1, 1) OR SNG:Title = ''"};
    for (const auto& order : orders)
        for (const auto& filter : filters) {
            const std::string what = order + " / " + filter;
            const auto want = fullSort(order, filter);
            View v(*c.songs);
            ASSERT_EQ(v.setOrder(order), 0) << what;
            ASSERT_EQ(v.setFilter("q", filter), 0) << what;
            std::vector<std::int64_t> forward, backward;
            v.toStart();
            while (v.page(9, true, [&] { forward.push_back(c.songs->record().recordId); }) == 9) { }
            v.toEnd();
            while (v.page(6, false, [&] { backward.push_back(c.songs->record().recordId); }) == 6) { }
            std::reverse(backward.begin(), backward.end());
            EXPECT_EQ(forward, want) << what;
            EXPECT_EQ(backward, want) << what;
        }
}

TEST_F(PositionPaging, AWriteHasTheOrderMadeAgainAndReadingGoesOnFromTheLastRow)
{
    addSongs(200, kAwkwardTitles);
    const std::string order = "-UPPER(SNG:Title), +SNG:Artist";
    View v(*c.songs);
    ASSERT_EQ(v.setOrder(order), 0);
    std::vector<std::int64_t> seen;
    v.toStart();
    v.page(20, true, [&] { seen.push_back(c.songs->record().recordId); });
    // A new song that sorts first, one that sorts after the last row read, and a deleted row ahead.
    ASSERT_EQ(c.addSong("Zulu", "ZZZ first"), 0);
    ASSERT_EQ(c.addSong("Zulu", "zebra"), 0);
    const auto added = c.songs->record().recordId;
    auto before = fullSort(order, "");
    const auto last = std::find(before.begin(), before.end(), seen.back());
    ASSERT_EQ(c.songs->fetchRecord(*(last + 3)), 0);
    ASSERT_EQ(c.songs->remove(), 0);
    const auto now = fullSort(order, "");
    std::vector<std::int64_t> rest;
    while (v.next() == 0)
        rest.push_back(c.songs->record().recordId);
    const auto from = std::find(now.begin(), now.end(), seen.back()) + 1;
    EXPECT_EQ(rest, std::vector<std::int64_t>(from, now.end()));
    EXPECT_NE(std::find(now.begin(), now.end(), added), now.end());
}

TEST_F(PositionPaging, SeekingFindsTheFirstRowWithTheBuffersOrderValues)
{
    addSongs(300, kAwkwardTitles);
    RecordBindings b;
    b.add(*c.songs);
    for (const std::string order : {"+SNG:Time * 2", "-UPPER(SNG:Title), +SNG:Artist", "-SUB(SNG:Title, 2, 3)"}) {
        const auto all = fullSort(order, "");
        auto terms = expr::parseOrder(order, &b);
        auto valuesAt = [&](size_t i) {
            EXPECT_EQ(c.songs->fetchRecord(all[i]), 0);
            std::vector<expr::Value> v;
            for (auto& t : terms)
                v.push_back(t.expression.evaluate(b));
            return v;
        };
        auto same = [](const std::vector<expr::Value>& x, const std::vector<expr::Value>& y) {
            return std::equal(
                x.begin(), x.end(), y.begin(), [](const auto& p, const auto& q) { return expr::compare(p, q) == 0; });
        };
        View v(*c.songs);
        ASSERT_EQ(v.setOrder(order), 0);
        for (size_t k : {size_t{0}, size_t{57}, size_t{150}, all.size() - 1}) {
            size_t first = k;
            while (first > 0 && same(valuesAt(first - 1), valuesAt(k)))
                --first;
            ASSERT_EQ(c.songs->fetchRecord(all[k]), 0);
            v.seekToBuffer();
            ASSERT_EQ(v.next(), 0) << order << " " << k;
            EXPECT_EQ(c.songs->record().recordId, all[first]) << order << " " << k;
        }
    }
}

// Tracks with their discs, the discs' labels and the tracks' artists joined. Joined keys
// that are not unique, text that differs in case and trailing blanks, a label name cut to a
// shorter field, discs and artists that are missing, and a label keyed by an empty name
// that a missing disc's cleared buffer finds (and a year 0 that a missing label's finds).
struct JoinedTables {
    static TableDef def(const char* label, const char* prefix, std::vector<FieldDef> fields, std::vector<KeyDef> keys,
        std::vector<MemoDef> memos = {})
    {
        TableDef d;
        d.label = label;
        d.prefix = prefix;
        d.fileName = text::lower(label);
        d.fields = std::move(fields);
        d.keys = std::move(keys);
        d.memos = std::move(memos);
        return d;
    }

    std::unique_ptr<Group> group, joinedGroup;
    std::unique_ptr<Table> tracks, discs, labels, artists, years;

    // perRow: the joined tables are reached through a connection of their own, which has a
    // view fetch their records row by row.
    JoinedTables(const TempFolder& dir, bool perRow, bool create)
    {
        group = std::make_unique<Group>(dir.file(perRow ? ".rows" : ".page"));
        if (perRow)
            joinedGroup = std::make_unique<Group>(dir.file(".joined"));
        tracks = std::make_unique<Table>(
            def("Tracks", "TRK", {stringField("TRK:Artist", 20), stringField("TRK:Title", 30), shortField("TRK:Disc")},
                {{"TRK:KEYTITLE", "Title", {"Title"}, false, false, 0, false}}));
        discs = std::make_unique<Table>(def("Discs", "DSC", {longField("DSC:Disc"), stringField("DSC:Label", 20)},
            {{"DSC:KEYDISC", "Disc", {"Disc"}, true, true, 0, true}}, {{"DSC:Notes", 200}}));
        labels = std::make_unique<Table>(def("Labels", "LBL", {stringField("LBL:Name", 8), shortField("LBL:Year")},
            {{"LBL:KEYNAME", "Name", {"Name", "Year"}, false, false, 0, true}}));
        artists = std::make_unique<Table>(
            def("Artists", "ART", {stringField("ART:Name", 20), stringField("ART:Country", 10)},
                {{"ART:KEYNAME", "Name", {"Name"}, false, false, 0, true}}));
        years = std::make_unique<Table>(def("Years", "YR", {shortField("YR:Year"), stringField("YR:Note", 10)},
            {{"YR:KEYYEAR", "Year", {"Year"}, false, false, 0, false}}));
        for (Table* t : {tracks.get(), discs.get(), labels.get(), artists.get(), years.get()}) {
            t->setFileName(dir.file(t->def().fileName));
            t->setGroup(t == tracks.get() || !perRow ? group.get() : joinedGroup.get());
            if (create) {
                EXPECT_EQ(t->create(), 0);
            }
            EXPECT_EQ(t->open(), 0) << lastError().text;
        }
    }

    void fill()
    {
        auto add = [](Table& t, std::vector<std::pair<const char*, std::string>> values) {
            t.record().clear();
            for (const auto& [field, value] : values)
                if (const int memo = t.def().memoIndex(field); memo >= 0)
                    t.record().setMemo(memo, value);
                else
                    t.record()[field] = value;
            ASSERT_EQ(t.insert(), 0);
        };
        ASSERT_EQ(group->begin(), 0);
        // Two artists fold to "abba": the first in key order is the one joined.
        for (auto [name, country] : {std::pair{"abba", "SE"}, {"Queen  ", "UK"}, {"ABBA", "XX"}, {"Zappa", "US"}})
            add(*artists, {{"ART:Name", name}, {"ART:Country", country}});
        const char* labelOf[]
            = {"", "Sony Music", "sony", "EMI", "Emi Records Ltd", "emi", "Sony Musik", "", "Polydor"};
        for (int d = 1; d <= 9; ++d)
            add(*discs,
                {{"DSC:Disc", std::to_string(d)}, {"DSC:Label", labelOf[d - 1]},
                    {"DSC:Notes", "disc " + std::to_string(d)}});
        for (auto [name, year] : {std::pair{"EMI", "1990"}, {"emi", "-5"}, {"EMI", "1970"}, {"SONY MUS", "2001"},
                 {"sony mus", "1999"}, {"Sony", "7"}, {"", "3"}, {"Emi Reco", "12"}})
            add(*labels, {{"LBL:Name", name}, {"LBL:Year", year}});
        for (auto [year, note] : {std::pair{"0", "none"}, {"-5", "early"}, {"1999", "late"}, {"1999", "later"}})
            add(*years, {{"YR:Year", year}, {"YR:Note", note}});
        const char* artistOf[] = {"Abba", "ABBA  ", "abba", "Queen", "queen ", "Nobody", "", "Zappa", " abba"};
        const char* words[] = {"night", "Blue", "alpha", "Zulu", "echo", "blue"};
        for (int i = 0; i < 150; ++i)
            add(*tracks,
                {{"TRK:Artist", artistOf[i % 9]},
                    {"TRK:Title", std::string(words[i % 6]) + " " + std::to_string(i % 11)},
                    {"TRK:Disc", std::to_string(i % 12)}});
        ASSERT_EQ(group->commit(), 0);
    }
};

std::string dump(const Record& r)
{
    std::string out = std::to_string(r.recordId) + "/" + std::to_string(r.changeCount);
    for (int f = 0; f < r.fieldCount(); ++f)
        out += "|" + r.getString(f);
    for (int m = 0; m < r.memoCount(); ++m)
        out += "|" + r.memo(m);
    return out;
}

// A page's statement brings each row's joined records; they are the records a fetch per
// row finds, in every order and direction, with inner joins leaving out the same rows.
TEST(JoinedPages, BringTheRecordsAFetchPerRowFinds)
{
    TempFolder dir;
    JoinedTables page(dir, false, true);
    page.fill();
    JoinedTables rows(dir, true, false);
    struct Case {
        const char* what;
        int order; // -1: file order
        bool innerDisc, innerArtist;
        const char* filter;
    } cases[] = {
        {"outer joins", 0, false, false, ""},
        {"inner joins", 0, true, true, ""},
        {"inner artist, file order", -1, false, true, ""},
        {"filter on joined fields", 0, false, false, "LBL:Year < 0 OR ART:Country = 'SE' OR DSC:Disc = 0"},
    };
    for (const auto& k : cases) {
        auto readAll = [&](JoinedTables& t, bool forward, int pageSize) {
            View v(*t.tracks);
            v.setOrderKey(k.order);
            v.join(*t.discs, 0, {"TRK:Disc"}, k.innerDisc);
            v.join(*t.labels, 0, {"DSC:Label"}, false, t.discs.get());
            v.join(*t.artists, 0, {"TRK:Artist"}, k.innerArtist);
            v.join(*t.years, 0, {"LBL:Year"}, false, t.labels.get());
            EXPECT_EQ(v.setFilter("q", k.filter), 0) << k.what;
            std::vector<std::string> out;
            forward ? v.toStart() : v.toEnd();
            while (v.page(pageSize, forward, [&] {
                out.push_back(dump(t.tracks->record()) + " / " + dump(t.discs->record()) + " / "
                    + dump(t.labels->record()) + " / " + dump(t.artists->record()) + " / " + dump(t.years->record()));
            }) == pageSize) { }
            if (!forward)
                std::reverse(out.begin(), out.end());
            return std::pair{out, v.count()};
        };
        const auto want = readAll(rows, true, 7);
        ASSERT_GT(want.first.size(), 20u) << k.what;
        EXPECT_EQ(want.second, static_cast<std::int64_t>(want.first.size())) << k.what;
        EXPECT_EQ(readAll(page, true, 7), want) << k.what;
        EXPECT_EQ(readAll(page, false, 5), want) << k.what;
    }
    // A join on a key's leading components takes the first record in key order: the year
    // below zero, ahead of the zero the other components of a cleared buffer hold.
    rows.labels->record().clear();
    rows.labels->record()["LBL:Name"] = "Emi";
    ASSERT_EQ(rows.labels->fetchFirst(0, 1), 0);
    EXPECT_EQ(rows.labels->record()["LBL:Year"].toInt(), -5);

    // The joined records came with the page: a handful of statements, not a fetch per row.
    int statements = 0;
    sqlite3_trace_v2(
        page.group->db(), SQLITE_TRACE_STMT,
        [](unsigned, void* n, void*, void*) {
            ++*static_cast<int*>(n);
            return 0;
        },
        &statements);
    View v(*page.tracks);
    v.setOrderKey(0);
    v.join(*page.discs, 0, {"TRK:Disc"});
    v.join(*page.labels, 0, {"DSC:Label"}, false, page.discs.get());
    v.join(*page.artists, 0, {"TRK:Artist"});
    v.join(*page.years, 0, {"LBL:Year"}, false, page.labels.get());
    v.toStart();
    EXPECT_EQ(v.page(30, true, [] {}), 30);
    sqlite3_trace_v2(page.group->db(), 0, nullptr, nullptr);
    EXPECT_LT(statements, 6);
}

// A view keeps its page's statement, which names the joined tables where they are open:
// a join added after a read, and a joined table reopened through another connection (its
// records then fetched per row) and back again, must reach the next read.
TEST(JoinedPages, FollowAJoinAddedAndAJoinedTableReopened)
{
    TempFolder dir;
    JoinedTables t(dir, false, true);
    t.fill();
    Group elsewhere(dir.file(".elsewhere"));
    View v(*t.tracks);
    v.setOrderKey(0);
    auto readAll = [&] {
        std::vector<std::string> out;
        v.toStart();
        while (v.page(7, true, [&] { out.push_back(dump(t.tracks->record()) + " / " + dump(t.discs->record())); })
            == 7) { }
        return out;
    };
    t.discs->record().clear();
    const auto unjoined = readAll();
    ASSERT_EQ(unjoined.size(), 150u);
    v.join(*t.discs, 0, {"TRK:Disc"}, true);
    const auto want = readAll();
    ASSERT_GT(want.size(), 100u);
    ASSERT_LT(want.size(), unjoined.size());
    for (Group* g : {&elsewhere, t.group.get()}) {
        ASSERT_EQ(t.discs->close(), 0);
        t.discs->setGroup(g);
        ASSERT_EQ(t.discs->open(), 0) << lastError().text;
        EXPECT_EQ(readAll(), want);
    }
}

// A view's rows read ahead and its list of positions stand until a table it
// reads is written: a write to another table leaves them be.
TEST(WriteSerials, MoveWithWritesToTheirOwnFileAndWithEveryRollback)
{
    const auto songs = writeSerial("qvldata.tps");
    const auto albums = writeSerial("qvlalbum.tps");
    noteWrite("QVLDATA.TPS"); // the same file, spelt another way
    EXPECT_EQ(writeSerial("qvldata.tps"), songs + 1);
    EXPECT_EQ(writeSerial("qvlalbum.tps"), albums);
    noteRollback(); // undoes what it undoes in any file it held
    EXPECT_GT(writeSerial("qvlalbum.tps"), albums);
    EXPECT_GT(writeSerial("qvldata.tps"), songs + 1);
}

} // namespace
} // namespace qv::tables::testing
