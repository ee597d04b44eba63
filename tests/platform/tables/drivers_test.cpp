#include "fixtures.h"

#include <cstdio>

namespace qv::tables::testing {
namespace {

TableDef configDef(const std::string& password)
{
    TableDef d;
    d.label = "Configuration";
    d.prefix = "CF";
    d.fileName = "conf";
    d.version = 1;
    d.ownerPassword = password;
    d.fields = {stringField("CF:DATATYPE", 40), stringField("CF:DATAVALUE", 80)};
    d.keys = {{"CF:KeyDataType", "CF:KeyDataType", {"DATATYPE"}, true, false, 0, true}};
    return d;
}

TEST(OwnerPassword, RecordsAreSealedAndReadOnlyWithThePassword)
{
    TempFolder dir;
    Group g(dir.file(".qvgroup"));
    Table conf(configDef("q#7mz"));
    conf.setFileName(dir.file("conf"));
    conf.setGroup(&g);
    ASSERT_EQ(conf.create(), 0);
    ASSERT_EQ(conf.open(), 0);
    for (const char* name : {"Zeta", "alpha", "Mid"}) {
        conf.record().clear();
        conf.record()["CF:DATATYPE"] = name;
        conf.record()["CF:DATAVALUE"] = std::string("secret value of ") + name;
        ASSERT_EQ(conf.insert(), 0);
    }
    conf.record()["CF:DATATYPE"] = "ALPHA";
    EXPECT_EQ(conf.insert(), DuplicateKey);

    // Key order, fetch, update and delete work on sealed records.
    conf.setOrder(0);
    std::string order;
    while (conf.next() == 0)
        order += conf.record().getText(0) + ",";
    EXPECT_EQ(order, "alpha,Mid,Zeta,");
    conf.record().clear();
    conf.record()["CF:DATATYPE"] = "mid";
    ASSERT_EQ(conf.fetch(0), 0);
    EXPECT_EQ(conf.record().getText(1), "secret value of Mid");
    conf.record()["CF:DATAVALUE"] = "changed";
    ASSERT_EQ(conf.update(), 0);
    conf.record()["CF:DATATYPE"] = "Zeta";
    ASSERT_EQ(conf.fetch(0), 0);
    ASSERT_EQ(conf.remove(), 0);
    EXPECT_EQ(conf.records(), 2);
    conf.close();

    std::string bytes = readFile(conf.filePath());
    EXPECT_EQ(bytes.find("secret"), std::string::npos);
    EXPECT_EQ(bytes.find("alpha"), std::string::npos);
    EXPECT_EQ(bytes.find("changed"), std::string::npos);

    for (const char* wrong : {"", "q#7mZ", "q#7mz "}) {
        Table other(configDef("q#7mz"));
        other.setPassword(wrong);
        other.setFileName(conf.filePath());
        other.setGroup(&g);
        EXPECT_EQ(other.open(), InvalidFile) << wrong;
        EXPECT_FALSE(other.isOpen());
    }
    Table unsealed(configDef(""));
    unsealed.setFileName(conf.filePath());
    unsealed.setGroup(&g);
    EXPECT_EQ(unsealed.open(), InvalidFile);

    ASSERT_EQ(conf.open(), 0);
    conf.record()["CF:DATATYPE"] = "Mid";
    ASSERT_EQ(conf.fetch(0), 0);
    EXPECT_EQ(conf.record().getText(1), "changed");
}

TableDef eventLogDef()
{
    TableDef d;
    d.label = "EventLog";
    d.prefix = "EVL";
    d.driver = DriverKind::Text;
    d.fields = {stringField("EVL:LOGDATE", 12), stringField("EVL:LOGTIME", 10), stringField("EVL:LOGLABEL", 30),
        stringField("EVL:LOGDATA", 50)};
    return d;
}

TEST(TextDriver, WritesAndReadsALinePerRecord)
{
    TempFolder dir;
    Table log(eventLogDef());
    log.setFileName(dir.file("QVLEvent.LOG"));
    EXPECT_EQ(log.open(), FileNotFound);
    ASSERT_EQ(log.create(), 0);
    ASSERT_EQ(log.open(), 0);
    EXPECT_EQ(log.next(), RecordNotAvailable);
    log.record()["EVL:LOGDATE"] = "2026-12-10";
    log.record()["EVL:LOGTIME"] = "12:00";
    log.record()["EVL:LOGLABEL"] = "play";
    log.record()["EVL:LOGDATA"] = "Ça marche";
    ASSERT_EQ(log.insert(), 0);
    log.record().clear();
    log.record()["EVL:LOGLABEL"] = "stop";
    ASSERT_EQ(log.insert(), 0);
    log.close();

    std::string text = readFile(log.filePath());
    EXPECT_EQ(text,
        "2026-12-10  12:00     play                          Ça marche\n"
        "                      stop\n");
    ASSERT_EQ(log.open(ReadOnly | DenyNone), 0);
    EXPECT_EQ(log.records(), 2);
    log.setOrder(0);
    ASSERT_EQ(log.next(), 0);
    EXPECT_EQ(log.record().getText(3), "Ça marche");
    EXPECT_EQ(log.record().getText(1), "12:00");
    ASSERT_EQ(log.next(), 0);
    EXPECT_EQ(log.record().getText(2), "stop");
    EXPECT_EQ(log.next(), RecordNotAvailable);
    EXPECT_EQ(log.insert(), AccessDenied);
}

TEST(TextDriver, ReadsLinesFromOtherPrograms)
{
    TempFolder dir;
    TableDef d;
    d.label = "Input";
    d.prefix = "INP";
    d.driver = DriverKind::Text;
    d.fields = {stringField("INP:LINE", 10)};
    Table in(d);
    in.setFileName(dir.file("tracks.txt"));
    // CRLF endings, a Windows-1252 line, a UTF-8 line, a long line, no final newline.
    writeFile(in.filePath(), "Caf\xe9 \x93x\x94\r\nna\xc3\xafve\r\n\r\n0123456789abcdef\nlast");
    ASSERT_EQ(in.open(), 0);
    std::vector<std::string> lines;
    while (in.next() == 0)
        lines.push_back(in.record().getText(0));
    EXPECT_EQ(lines, (std::vector<std::string>{"Café “x”", "naïve", "", "0123456789", "last"}));
    EXPECT_EQ(in.records(), 5);
    // Back to a line by its position.
    in.setOrder(0);
    in.next();
    std::int64_t second = 0;
    in.next();
    second = in.position();
    in.next();
    ASSERT_EQ(in.fetchRecord(second), 0);
    EXPECT_EQ(in.record().getText(0), "naïve");
}

TEST(BinaryDriver, ReadsAndWritesBlocksOfTheRecordLength)
{
    TempFolder dir;
    TableDef d;
    d.label = "DOSFile";
    d.prefix = "DOSF";
    d.driver = DriverKind::Binary;
    d.fields = {stringField("DOSF:LINE", 16)};
    Table bin(d);
    bin.setFileName(dir.file("project.bin"));
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        bytes += static_cast<char>(i * 7); // includes NUL and high bytes
    writeFile(bin.filePath(), bytes);
    ASSERT_EQ(bin.open(), 0);
    EXPECT_EQ(bin.records(), 3);
    std::vector<std::size_t> sizes;
    std::string back;
    while (bin.next() == 0) {
        sizes.push_back(bin.bytesRead());
        back += bin.record().rawString(0);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{16, 16, 8}));
    EXPECT_EQ(back, bytes);
    ASSERT_EQ(bin.previous(), 0);
    EXPECT_EQ(bin.position(), 16);

    bin.record().setRaw(0, std::string(16, '\xff'));
    ASSERT_EQ(bin.update(), 0);
    bin.record().setRaw(0, "tail");
    ASSERT_EQ(bin.insert(), 0);
    bin.close();
    std::string after = readFile(bin.filePath());
    EXPECT_EQ(after, bytes.substr(0, 16) + std::string(16, '\xff') + bytes.substr(32) + "tail");
}

} // namespace
} // namespace qv::tables::testing
