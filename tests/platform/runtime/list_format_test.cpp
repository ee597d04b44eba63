#include "platform/runtime/list_format.h"

#include <gtest/gtest.h>
#include <yaml-cpp/yaml.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace qv::rt {
namespace {

TEST(ListFormatCodec, WritesBackExactlyWhatItRead)
{
    const std::string longFormat = [] {
        std::string f;
        for (int i = 0; i < 40; ++i)
            f += "300L(2)|M~Column number " + std::to_string(i) + "~C(0)@s255@#" + std::to_string(i + 1) + "#";
        return f;
    }();
    ASSERT_GT(longFormat.size(), 1024u);
    const char* formats[] = {
        "",
        "80L",
        "80",
        "80L|60R",
        "110L(2)|M~Artist~@s30@130L(2)|M~Title~@s30@30R(2)|~Year~@n4@",
        "30C|M~Drive~C@s2@80L(2)|M~Type~@s20@",
        "200L|M~~@s255@",
        "200L(1)M|~Artist~L(1)@s50@#1#",
        "120L(1)#2#@s30@",
        "120L(1)I#2#@s30@",
        "19L(2)|MI~Tag~@s10@",
        "25R(1)|~Track~@n3@?101L(1)|~Artist~@s50@",
        "40D(3)*JF_M|/?Y~Amount~R(0)@n-14@#4#E(-1,16777215,0,255)",
        "50L~A~S(200)Z(3)T(B)",
        "50LT~A~",
        "50LT()",
        "80l(2)m|~Lower~r@s5@",
        "300L~Wide~@s255@",
        "90L(2)|M~Sänger & Gäste~@s40@",
        "[10R|M@p(<)pb@12R|M@n3b@](21)|M~Track~120L(2)|M~Style~C(0)@s30@",
        "[40L~A~@s5@40L~B~@s5@](80)|~Both~",
        "[10L|@p(<)p@24L(1)|M@n3@](25)|M~Track~80L(2)|M~Artist~@s30@",
        "[40L40L]~G~C(2)[20R]",
    };
    for (const std::string format : formats) {
        const ListFormatReading r = readListFormat(format);
        EXPECT_FALSE(r.error) << format << ": " << r.error->message << " at " << r.error->position;
        EXPECT_EQ(writeListFormat(r.format), format);
    }
    const ListFormatReading r = readListFormat(longFormat);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(writeListFormat(r.format), longFormat);
    EXPECT_EQ(r.format.columns.size(), 40u);
    EXPECT_EQ(r.format.columns[0].width, 300);
}

TEST(ListFormatCodec, ReadsEveryPartOfAColumn)
{
    const ListFormatReading r = readListFormat("40D(3)*JF_M|~Amount~R(0)@n-14@#4#E(-1,16777215,0,255)S(200)Z(3)T(B)");
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.format.columns.size(), 1u);
    const ListFormatColumn& c = r.format.columns[0];
    EXPECT_EQ(c.width, 40);
    EXPECT_EQ(c.data.align(), 'D');
    EXPECT_EQ(c.data.offset, 3);
    for (char mark : {list_mark::Colours, list_mark::TransparentIcon, list_mark::Fixed, list_mark::Underline,
             list_mark::Resizable, list_mark::RightBorder})
        EXPECT_TRUE(c.has(mark)) << mark;
    EXPECT_FALSE(c.has(list_mark::Icon));
    EXPECT_EQ(c.header, "Amount");
    EXPECT_EQ(c.headerJustification.align(), 'R');
    EXPECT_EQ(c.headerJustification.offset, 0);
    EXPECT_EQ(c.picture, "@n-14");
    EXPECT_EQ(c.fieldNumber, 4);
    EXPECT_EQ(c.colours, (std::array<long, 4>{-1, 16777215, 0, 255}));
    EXPECT_EQ(c.scroll, "200");
    EXPECT_EQ(c.style, "3");
    EXPECT_EQ(c.tree, "(B)");

    // A lower-case letter means what its capital does; nothing written is nothing read.
    const ListFormatColumn plain = readListFormat("80l(2)m").format.columns.at(0);
    EXPECT_EQ(plain.data.align(), 'L');
    EXPECT_TRUE(plain.has(list_mark::Resizable));
    EXPECT_EQ(plain.headerJustification.align('C'), 'C');
    EXPECT_FALSE(plain.header);
    EXPECT_FALSE(plain.picture);
    EXPECT_FALSE(plain.fieldNumber);
}

TEST(ListFormatCodec, GroupsSpanTheirColumns)
{
    const ListFormatReading r = readListFormat("5L[10R|M@p(<)pb@12R|M@n3b@](21)|M~Track~C(1)120L~Style~[7L]");
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.format.columns.size(), 5u);
    ASSERT_EQ(r.format.groups.size(), 2u);
    const ListFormatGroup& g = r.format.groups[0];
    EXPECT_EQ(g.first, 1u);
    EXPECT_EQ(g.count, 2u);
    EXPECT_EQ(g.width, 21);
    EXPECT_TRUE(g.has(list_mark::Resizable));
    EXPECT_EQ(g.header, "Track");
    EXPECT_EQ(g.headerJustification.align(), 'C');
    EXPECT_EQ(g.headerJustification.offset, 1);
    // The group's header is its own, not its last column's.
    EXPECT_FALSE(r.format.columns[2].header);
    EXPECT_EQ(r.format.columns[2].picture, "@n3b");
    EXPECT_EQ(r.format.columns[3].header, "Style");
    EXPECT_EQ(r.format.groups[1].first, 4u);
    EXPECT_EQ(r.format.groups[1].count, 1u);
}

TEST(ListFormatCodec, ColumnsBuiltInCodeAreWrittenInTheListsOwnOrder)
{
    ListFormatColumn artist;
    artist.width = 200;
    artist.data = {'L', 1};
    artist.marks = "M|";
    artist.header = "Artist";
    artist.headerJustification = {'L', 1};
    artist.picture = "@s50";
    artist.fieldNumber = 1;
    ListFormatColumn amount;
    amount.width = 999;
    amount.data = {'D', std::nullopt};
    amount.header = "";
    amount.picture = "@n-14";
    amount.fieldNumber = 2;
    amount.colours = std::array<long, 4>{-1, -1, 255, -1};
    ListFormat f{{artist, amount}, {}};
    EXPECT_EQ(writeListFormat(f), "200L(1)M|~Artist~L(1)@s50@#1#999D~~@n-14@#2#E(-1,-1,255,-1)");

    f.groups.push_back({0, 2, 1199, "|", std::string("Both"), {}, {}});
    EXPECT_EQ(writeListFormat(f), "[200L(1)M|~Artist~L(1)@s50@#1#999D~~@n-14@#2#E(-1,-1,255,-1)](1199)|~Both~");
    EXPECT_EQ(readListFormat(writeListFormat(f)).format.columns[1].colours, amount.colours);

    // A column read and then changed keeps the order it was written in.
    ListFormatReading r = readListFormat("120L(1)#2#@s30@");
    r.format.columns[0].width = 400;
    r.format.columns[0].fieldNumber = 7;
    EXPECT_EQ(writeListFormat(r.format), "400L(1)#7#@s30@");
    // Parts it did not have are written too, without changing what the others mean.
    r = readListFormat("80~Artist~@s30@");
    r.format.columns[0].data = {'R', 2};
    r.format.columns[0].marks = "M|";
    r.format.columns[0].fieldNumber = 3;
    EXPECT_EQ(writeListFormat(r.format), "80R(2)M|~Artist~@s30@#3#");
    r = readListFormat("80LM~A~");
    r.format.columns[0].marks += "|";
    EXPECT_EQ(writeListFormat(r.format), "80LM|~A~");
    r = readListFormat("[80L]~G~");
    r.format.groups[0].width = 90;
    r.format.groups[0].marks = "M";
    EXPECT_EQ(writeListFormat(r.format), "[80L](90)M~G~");
}

TEST(ListFormatCodec, MalformedFormatsAreReportedWithTheirPosition)
{
    struct Case {
        const char* format;
        std::size_t position;
        const char* message;
    };
    const Case cases[] = {
        {"~Artist~", 1, "a column starts with its width"},
        {"80L~Artist", 4, "a header without its closing '~'"},
        {"80L~A~@s30", 7, "a picture without its closing '@'"},
        {"80L(2", 6, "')' expected at the end"},
        {"80L(x)", 5, "number expected"},
        {"80L()", 5, "number expected"},
        {"80LR", 4, "a second justification"},
        {"80L~A~RC", 8, "a second header justification"},
        {"80L~A~~B~", 7, "a second header"},
        {"80L@a@@b@", 7, "a second picture"},
        {"80L#3", 6, "'#' expected at the end"},
        {"80L##", 5, "number expected"},
        {"80LE(1,2,3)", 11, "',' expected"},
        {"80LE(1,2,3,x)", 12, "number expected"},
        {"80LS200", 5, "'(' expected"},
        {"80LZ(3", 5, "an argument without its closing ')'"},
        {"80L%", 4, "unexpected '%'"},
        {"80Lq", 4, "unexpected 'q'"},
        {"080L", 1, "number with a leading zero"},
        {"80L(02)", 5, "number with a leading zero"},
        {"80LE(-0,1,2,3)", 6, "number with a leading zero"},
        {"99999999999L", 1, "number too large"},
        {"[80L", 5, "a group without its ']'"},
        {"80L]", 4, "']' without '['"},
        {"[]", 2, "a group without columns"},
        {"[[80L]]", 2, "groups do not nest"},
        {"[80L]%", 6, "unexpected '%' after a group"},
        {"[80L]L", 6, "unexpected 'L' after a group"},
        {"80L~Sängerin~Q", 14, "unexpected 'Q'"},
    };
    for (const Case& c : cases) {
        const ListFormatReading r = readListFormat(c.format);
        ASSERT_TRUE(r.error) << c.format;
        EXPECT_EQ(r.error->position, c.position) << c.format;
        EXPECT_EQ(r.error->message, c.message) << c.format;
    }
}

TEST(ListFormatCodec, KeepsWhatWasReadWholeBeforeAnError)
{
    const ListFormatReading r = readListFormat("80L~A~@s5@[40L~B~@s5@30L~C~@x");
    ASSERT_TRUE(r.error);
    ASSERT_EQ(r.format.columns.size(), 2u);
    EXPECT_EQ(r.format.columns[1].header, "B");
    EXPECT_TRUE(r.format.groups.empty());
}

// Every list format a window definition declares.
TEST(ListFormatCodec, EveryWindowDefinitionsFormatWritesBackUnchanged)
{
    const char* root = std::getenv("QV_SOURCE_DIR") ? std::getenv("QV_SOURCE_DIR") : QV_SOURCE_TREE;
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::string>> formats; // file, format
    const std::function<void(const YAML::Node&, const std::string&)> collect
        = [&](const YAML::Node& n, const std::string& file) {
              if (n.IsMap()) {
                  for (const auto& kv : n) {
                      if (kv.first.as<std::string>() == "format" && kv.second.IsScalar())
                          formats.emplace_back(file, kv.second.as<std::string>());
                      else
                          collect(kv.second, file);
                  }
              } else if (n.IsSequence()) {
                  for (const YAML::Node& e : n)
                      collect(e, file);
              }
          };
    for (const char* top : {"qvls", "tests", "platform", "trakhand"}) {
        const fs::path dir = fs::path(root) / top;
        if (!fs::exists(dir))
            continue;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
            if (e.path().extension() == ".yaml" && e.path().parent_path().filename() == "windows")
                collect(YAML::LoadFile(e.path().string()), e.path().string());
        }
    }
    ASSERT_FALSE(formats.empty());
    for (const auto& [file, format] : formats) {
        const ListFormatReading r = readListFormat(format);
        EXPECT_FALSE(r.error) << file << ": " << format << ": " << r.error->message << " at " << r.error->position;
        EXPECT_EQ(writeListFormat(r.format), format) << file;
    }
}

TEST(ListFormatQueueFields, EachColumnShowsItsNumberedFieldOrTheOneAfterThePreviousColumns)
{
    const struct {
        const char* format;
        std::vector<int> fields;
    } cases[] = {
        {"", {}},
        {"80L~A~80L~B~60L", {0, 1, 2}},
        {"20L*~A~80L~B~", {0, 5}}, // four colours follow the first value
        {"20LI~A~80L~B~", {0, 2}}, // and an icon number
        {"20L|MJ~A~80L~B~", {0, 2}},
        {"20L*I~A~80L~B~", {0, 6}},
        {"80L#3#80L80L#1#80L", {2, 3, 0, 1}},
        {"20L*#2#30LJ40L", {1, 6, 8}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(queueFields(readListFormat(c.format).format), c.fields) << c.format;
}

} // namespace
} // namespace qv::rt
