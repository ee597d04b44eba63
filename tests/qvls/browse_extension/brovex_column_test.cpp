// The packed column and sort tables a window may hand the list class.

#include <gtest/gtest.h>

#include "qvls/browse_extension/brovex_column.h"

namespace qv::qvls::testing {
namespace {

std::string text(std::string_view t)
{
    return std::string(1, static_cast<char>(t.size())) + std::string(t);
}

std::string number(int n, int size)
{
    std::string out;
    for (int i = 0; i < size; ++i)
        out += static_cast<char>((n >> (8 * i)) & 0xFF);
    return out;
}

// The playlist list's two columns.
std::string playlistColumns()
{
    std::string p;
    for (const auto& [field, width, header, picture, description, just, shown] :
        {std::tuple{"PLD:PlaylistDescription", 120, "Playlist Description", "@S20", "Playlist Description", 'L', 1},
            std::tuple{"PLD:PlaylistID", 52, "Playlist ID", "@n13", "Unique Playlist Database ID", 'R', 0}}) {
        p += text(field) + number(width, 2) + text(header) + text(picture) + text(description);
        p += std::string{just, static_cast<char>(shown), 0, 0, 1} + number(0, 4);
        p += std::string{0, 1, 1, 1, 'S'};
    }
    return p;
}

TEST(PackedTables, ThePlaylistListsTwoColumnsDecode)
{
    const std::string packed = playlistColumns();
    ASSERT_EQ(packed.size(), 163u);
    const auto columns = decodeColumnDefinitions(packed, 2);
    ASSERT_TRUE(columns);
    ASSERT_EQ(columns->size(), 2u);
    const BrovexColumnDefinition& first = (*columns)[0];
    EXPECT_EQ(first.field, "PLD:PlaylistDescription");
    EXPECT_EQ(first.width, 120);
    EXPECT_EQ(first.header, "Playlist Description");
    EXPECT_EQ(first.picture, "@S20");
    EXPECT_EQ(first.justification, 'L');
    EXPECT_TRUE(first.display);
    EXPECT_EQ(first.viewField, 1);
    EXPECT_TRUE(first.graphOk && first.sortable);
    EXPECT_EQ(first.locatorType, 'S');
    const BrovexColumnDefinition& second = (*columns)[1];
    EXPECT_EQ(second.description, "Unique Playlist Database ID");
    EXPECT_EQ(second.justification, 'R');
    EXPECT_FALSE(second.display);
}

TEST(PackedTables, ATableCutShortAnywhereIsRefusedWhole)
{
    const std::string packed = playlistColumns();
    for (std::size_t keep = 0; keep < packed.size(); ++keep)
        EXPECT_FALSE(decodeColumnDefinitions(packed.substr(0, keep), 2)) << keep;
    // A length byte that claims more than is left.
    EXPECT_FALSE(decodeColumnDefinitions(std::string(1, '\xFF') + "PLD", 1));
    EXPECT_FALSE(decodeSortDefinitions(text("SNG:Title") + number(2, 2) + text("SNG:Title"), 1));
    EXPECT_FALSE(decodeAppendedParts(std::string(2, '\0')));
}

TEST(PackedTables, SortPartsAndAppendedPartsDecode)
{
    const std::string sorts = text("SNG:Title") + number(2, 2) + text("SNG:Title") + std::string(1, '\0') + text("@s")
        + text("SNG:Track") + std::string(1, '\1') + text("@n");
    const auto decoded = decodeSortDefinitions(sorts, 1);
    ASSERT_TRUE(decoded);
    ASSERT_EQ((*decoded)[0].parts.size(), 2u);
    EXPECT_EQ((*decoded)[0].parts[1].fieldName, "SNG:Track");
    EXPECT_EQ((*decoded)[0].parts[1].ascDesc, 1);
    EXPECT_EQ((*decoded)[0].parts[1].seq, 2);
    // What every window of the program hands over: nothing appended.
    const auto none = decodeAppendedParts(std::string(3, '\0'));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->applyAll);
    EXPECT_TRUE(none->parts.empty());
}

} // namespace
} // namespace qv::qvls::testing
