#include "core_fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/mp3_song.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "tests/hdrscan/mp3_fixture.h"

namespace qv::qvls::testing {
namespace {

std::string clipped(const std::string& s)
{
    return std::string(text::trimRight(s));
}

// ---------------------------------------------------------------- file names

TEST(MP3Names, CleanedText)
{
    struct Case {
        const char* name;
        const char* text;
    };
    const std::vector<Case> cases{
        {"01_Artist_-_Title", "01 Artist - Title"}, // the first dash is far in: no track number
        {"05-Artist - Title", "Artist - Title"},
        {"07-Intro", "Intro"},
        {"19-Intro", "Intro"},
        {"10-Intro", "10-Intro"}, // 10 and above may be part of a title
        {"25-Intro", "25-Intro"},
        {"00-Intro", "00-Intro"},
        {"7-Intro", "7-Intro"},
        {"-Intro", "-Intro"},
        {"A07-Intro", "A Intro"}, // a dash fourth: whatever stands before the number stays
        {"AB07-Intro", "AB07-Intro"},
        {"Song{SLASH}Dance{QM}", "Song/Dance?"},
        {"A{STAR}B{PERIOD}C", "A*B.C"},
        {"Track.wav", "Track"},
        {"Track.WAV", "Track.WAV"}, // lower case only
        {"a\tb\rc\nd`e", "a-b-c-d-e"},
        {"a``--b", "a-b"}, // runs collapse
        {"Artist -- Title", "Artist - Title"},
        {"a___b    c", "a b c"},
        {"  Lead", "Lead"},
        {"_07-Intro", "Intro"}, // the number rule comes before the leading blanks go
        {"07-Café_Noir", "Café Noir"},
        {"Ärger_-_Lied", "Ärger - Lied"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MP3NameToSongText(c.name, false), c.text) << c.name;
}

TEST(MP3Names, BareNameOfAPath)
{
    EXPECT_EQ(BareMP3Name("C:\\Music\\Old\\Song.mp3"), "Song");
    EXPECT_EQ(BareMP3Name("/music/a.b/05-Song.MP3   "), "05-Song");
    EXPECT_EQ(BareMP3Name("/music/Café.mp3"), "Café");
    EXPECT_EQ(BareMP3Name("Song.mp3"), "Song");
    EXPECT_EQ(BareMP3Name(".mp3"), "");
    EXPECT_EQ(BareMP3Name("mp3"), "");
}

TEST(MP3Names, SplitArtistTitle)
{
    struct Case {
        const char* artist;
        const char* title;
        const char* outArtist;
        const char* outTitle;
    };
    const std::vector<Case> cases{
        {"", "Artist / Song", "Artist", "Song"},
        {"Various", "Artist - Song", "Artist", "Song"},
        {"Artist - Song", "", "Artist", "Song"}, // changes places, then splits
        {"Artist - Song", "Various", "Artist", "Song"},
        {"Various", "Title", "Various", "Title"},
        {"", "Title", "", "Title"},
        {"Title", "", "", "Title"},
        {"The Band", "A - B", "The Band", "A - B"}, // an artist is kept
        {"various", "A - B", "various", "A - B"}, // case matters
        {"", "various", "", "various"},
        {"", "A - B / C", "A", "B / C"}, // " - " is looked for first
        {"", "A / B - C", "A / B", "C"},
        {"", "Title - ", "", "Title -"}, // trailing blanks do not count
        {"", "A -  B", "A", " B"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        std::string artist = text::padTo(c.artist, 50), title = text::padTo(c.title, 50);
        SplitArtistTitle(artist, title);
        EXPECT_EQ(clipped(artist), c.outArtist) << c.artist << " / " << c.title;
        EXPECT_EQ(clipped(title), c.outTitle) << c.artist << " / " << c.title;
        EXPECT_EQ(text::charCount(artist), 50u);
        EXPECT_EQ(text::charCount(title), 50u);
    }

    // Each text keeps its own width.
    std::string artist = text::padTo("", 10), title = text::padTo("A Very Long Artist - Song", 30);
    SplitArtistTitle(artist, title);
    EXPECT_EQ(artist, "A Very Lon");
    EXPECT_EQ(title, text::padTo("Song", 30));
}

// ---------------------------------------------------------------- the songs buffer

class MP3Song : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        dictionary::InitDictionary();
        tables::Table& artists = dictionary::Artists();
        ASSERT_EQ(artists.create(), 0);
        ASSERT_EQ(artists.open(), 0);
        artists.record().clear();
        artists.record()["ART:Artist"] = "Smith, John";
        ASSERT_EQ(artists.insert(), 0);
        artists.close();
        song().clear();
    }
    void TearDown() override
    {
        while (dictionary::Artists().isOpen())
            dictionary::Artists().close();
        song().clear();
        dictionary::KillDictionary();
        CollectionFolder::TearDown();
    }

    static tables::Record& song() { return dictionary::Quorvel().record(); }
    static std::string text(const char* field) { return clipped(song()[field].toString()); }
    static std::int64_t number(const char* field) { return song()[field].toInt(); }
    static std::string notes() { return song().memo(song().def().memoIndex("SNG:Notes")); }
};

TEST_F(MP3Song, NameFillsArtistAndTitle)
{
    struct Case {
        const char* name;
        const char* artist;
        const char* title;
    };
    const std::vector<Case> cases{
        {"05-Artist - Title", "Artist", "Title"},
        {"01_Artist_-_Title", "01 Artist", "Title"},
        {"Various - Title", "Various", "Title"},
        {"Just A Title", "Just A Title", "Just A Title"},
        {"John Smith - Song", "Smith, John", "Song"}, // the artist list's spelling
        {"Various - Artist / Song", "Artist", "Song"},
        {"Title - Various", "Various", "Title"},
    };
    for (const Case& c : cases) {
        song().clear();
        MP3NameToSongText(c.name, true);
        EXPECT_EQ(text("SNG:Artist"), c.artist) << c.name;
        EXPECT_EQ(text("SNG:Title"), c.title) << c.name;
    }

    // Text from a file name never runs past the fields.
    song().clear();
    const std::string longArtist(70, 'a'), longTitle = "T" + std::string(69, 't');
    EXPECT_EQ(MP3NameToSongText(longArtist + " - " + longTitle, true), longArtist + " - " + longTitle);
    EXPECT_EQ(text("SNG:Artist"), longArtist.substr(0, 50));
    EXPECT_EQ(text("SNG:Title"), longTitle.substr(0, 50));

    // Without the flag the buffer is left alone.
    song().clear();
    song()["SNG:Artist"] = "Kept";
    MP3NameToSongText("Other - Song", false);
    EXPECT_EQ(text("SNG:Artist"), "Kept");
    EXPECT_EQ(text("SNG:Title"), "");
}

// Real MP3 files, made by the lame encoder in the test.
class MP3SongFile : public MP3Song
{
protected:
    void SetUp() override
    {
        MP3Song::SetUp();
        if (!hdrscan::test::HaveProgram("lame"))
            GTEST_SKIP() << "lame is not installed (scripts/setup)";
        wav_ = collection("tone.wav").string();
        hdrscan::test::WriteWav(wav_, 44100, 2, 2);
    }

    // Two seconds at 128 kbit/s, joint stereo, 44.1 kHz.
    std::string encode(const std::filesystem::path& mp3, const std::string& tagArgs = {})
    {
        const std::string command = "lame --quiet -b 128 -m j " + tagArgs + " '" + wav_ + "' '" + mp3.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return mp3.string();
    }

    static std::string tagged()
    {
        return "--id3v1-only --tt Title --ta Artist --tl Album --ty 1999 --tn 3 --tg Rock --tc 'A comment'";
    }

    std::string wav_;
};

TEST_F(MP3SongFile, TagAndHeaderFillAnEmptySong)
{
    const std::string mp3 = encode(collection("song.mp3"), tagged());
    song()["SNG:AssociatedWAVFile"] = mp3;
    EXPECT_TRUE(FillSongFromMP3());

    EXPECT_EQ(text("SNG:Title"), "Title");
    EXPECT_EQ(text("SNG:Artist"), "Artist");
    EXPECT_EQ(text("SNG:Album"), "Album");
    EXPECT_EQ(notes(), "A comment");
    EXPECT_EQ(text("SNG:Category"), "Rock");
    EXPECT_EQ(number("SNG:ReleaseDate"), 1999);
    EXPECT_EQ(number("SNG:TrackNumber"), 3);
    EXPECT_EQ(number("SNG:Time"), 201); // two seconds: hundredths plus 1
    EXPECT_EQ(number("SNG:BitRate"), 128);
    EXPECT_EQ(text("SNG:Mode"), "Joint Stereo");
    EXPECT_EQ(number("SNG:Frequency"), 44100);
    EXPECT_EQ(number("SNG:Filesize"), static_cast<std::int64_t>(std::filesystem::file_size(mp3)));
    EXPECT_EQ(text("SNG:AssociatedWAVFile"), mp3);
}

TEST_F(MP3SongFile, FilledFieldsStayAndTheFileDataIsReplaced)
{
    const std::string mp3 = encode(collection("song.mp3"), tagged());
    song()["SNG:AssociatedWAVFile"] = mp3;
    song()["SNG:Title"] = "My Title";
    song()["SNG:Artist"] = "My Artist";
    song()["SNG:Album"] = "My Album";
    song()["SNG:Category"] = "Jazz";
    song()["SNG:ReleaseDate"] = 1970;
    song()["SNG:TrackNumber"] = 9;
    song()["SNG:Time"] = 18001;
    song().setMemo(song().def().memoIndex("SNG:Notes"), "My notes");
    song()["SNG:Mode"] = "Single Channel";
    song()["SNG:Frequency"] = 22050;
    song()["SNG:BitRate"] = 64;
    song()["SNG:Filesize"] = 1;
    EXPECT_TRUE(FillSongFromMP3());

    EXPECT_EQ(text("SNG:Title"), "My Title");
    EXPECT_EQ(text("SNG:Artist"), "My Artist");
    EXPECT_EQ(text("SNG:Album"), "My Album");
    EXPECT_EQ(text("SNG:Category"), "Jazz");
    EXPECT_EQ(number("SNG:ReleaseDate"), 1970);
    EXPECT_EQ(number("SNG:TrackNumber"), 9);
    EXPECT_EQ(number("SNG:Time"), 18001);
    EXPECT_EQ(notes(), "My notes");
    EXPECT_EQ(text("SNG:Mode"), "Joint Stereo");
    EXPECT_EQ(number("SNG:Frequency"), 44100);
    EXPECT_EQ(number("SNG:BitRate"), 128);
    EXPECT_EQ(number("SNG:Filesize"), static_cast<std::int64_t>(std::filesystem::file_size(mp3)));
}

TEST_F(MP3SongFile, WithoutTagTextsTheFileNameGivesArtistAndTitle)
{
    const std::string mp3 = encode(collection("05-The Artist - The Song.mp3"));
    song()["SNG:AssociatedWAVFile"] = mp3;
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Artist"), "The Artist");
    EXPECT_EQ(text("SNG:Title"), "The Song");
    EXPECT_EQ(number("SNG:TrackNumber"), 0); // no tag, no track number
    EXPECT_EQ(number("SNG:ReleaseDate"), 0);
    EXPECT_EQ(text("SNG:Category"), "");
    EXPECT_EQ(number("SNG:Time"), 201);

    // A title of the form 'Artist / Song' in a tag without an artist is split.
    song().clear();
    song()["SNG:AssociatedWAVFile"] = encode(collection("other.mp3"), "--id3v1-only --tt 'Band / Tune'");
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Artist"), "Band");
    EXPECT_EQ(text("SNG:Title"), "Tune");

    // So is one whose artist is "Various".
    song().clear();
    song()["SNG:AssociatedWAVFile"] = encode(collection("third.mp3"), "--id3v1-only --tt 'Band - Tune' --ta Various");
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Artist"), "Band");
    EXPECT_EQ(text("SNG:Title"), "Tune");

    // And the song's own title when it has no artist, whatever the file says.
    song().clear();
    song()["SNG:AssociatedWAVFile"] = encode(collection("fourth.mp3"));
    song()["SNG:Title"] = "Group - Melody";
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Artist"), "Group");
    EXPECT_EQ(text("SNG:Title"), "Melody");
}

TEST_F(MP3SongFile, AProgramPathIsFoundWhateverItsCase)
{
    const std::string mp3 = encode(collection("07-Intro.mp3"));
    std::string programPath = text::upper(mp3);
    std::replace(programPath.begin(), programPath.end(), '/', '\\');
    song()["SNG:AssociatedWAVFile"] = "C:" + programPath;
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Title"), "Intro"); // the name as it lies on disk
    EXPECT_EQ(text("SNG:Artist"), "");
    EXPECT_EQ(number("SNG:BitRate"), 128);
    EXPECT_EQ(text("SNG:AssociatedWAVFile"), "C:" + programPath);
}

TEST_F(MP3SongFile, AFullLengthPathIsReadWhole)
{
    // 255 characters, more than 255 bytes: the whole path is the file's.
    const std::filesystem::path base = collection("");
    const std::size_t left = 255 - text::charCount(base.string()) - std::string("/Song.mp3").size();
    std::filesystem::path folder = base;
    for (std::size_t n = left; n > 0;) {
        const std::size_t part = n <= 100 ? n : std::min<std::size_t>(100, n - 2);
        std::string name;
        for (std::size_t i = 0; i < part; ++i)
            name += "é";
        folder /= name;
        n -= part + (n > part ? 1 : 0);
    }
    std::filesystem::create_directories(folder);
    const std::string mp3 = encode(folder / "Song.mp3", tagged());
    ASSERT_EQ(text::charCount(mp3), 255u);
    ASSERT_GT(mp3.size(), 255u);

    song()["SNG:AssociatedWAVFile"] = mp3;
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:AssociatedWAVFile"), mp3);
    EXPECT_EQ(text("SNG:Title"), "Title");
    EXPECT_EQ(number("SNG:BitRate"), 128);
}

TEST_F(MP3SongFile, TagTextInTheOldCodePageAndWithControlCharacters)
{
    const std::string mp3 = encode(collection("song.mp3"), "--id3v1-only --tt Placeholder --ta Someone");
    // The title field of the tag, 125 bytes from the end: "Café", a tab, "Noir".
    const std::string title = "Caf\xE9\tNoir";
    const auto size = std::filesystem::file_size(mp3);
    std::fstream f(mp3, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(size - 125));
    f.write(title.data(), static_cast<std::streamsize>(title.size()));
    f.write(std::string(30 - title.size(), '\0').data(), static_cast<std::streamsize>(30 - title.size()));
    f.close();

    song()["SNG:AssociatedWAVFile"] = mp3;
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Title"), "Café Noir");
    EXPECT_EQ(text("SNG:Artist"), "Someone");
}

TEST_F(MP3Song, AFileThatIsNoMP3FillsWhatItCan)
{
    const std::filesystem::path file = collection("05-Band - Tune.mp3");
    writeFile(file, std::string(3000, 'x'));
    song()["SNG:AssociatedWAVFile"] = file.string();
    song()["SNG:Mode"] = "Joint Stereo";
    song()["SNG:BitRate"] = 128;
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Artist"), "Band");
    EXPECT_EQ(text("SNG:Title"), "Tune");
    EXPECT_EQ(number("SNG:Time"), 0); // no frames: no time, not 0:00
    EXPECT_EQ(number("SNG:TrackNumber"), 0);
    EXPECT_EQ(number("SNG:Filesize"), 3000);
    EXPECT_EQ(text("SNG:Mode"), "");
    EXPECT_EQ(number("SNG:BitRate"), 0);
    EXPECT_EQ(number("SNG:Frequency"), 0);

    // An empty file is no different.
    song().clear();
    writeFile(collection("empty.mp3"), "");
    song()["SNG:AssociatedWAVFile"] = collection("empty.mp3").string();
    EXPECT_TRUE(FillSongFromMP3());
    EXPECT_EQ(text("SNG:Title"), "empty");
    EXPECT_EQ(number("SNG:Filesize"), 0);
}

TEST_F(MP3Song, AMissingFileIsReportedAndChangesNothing)
{
    std::filesystem::create_directories(collection("folder.mp3"));
    struct Case {
        std::string path;
        std::string message;
    };
    const std::vector<Case> cases{
        {collection("missing.mp3").string() + "   ", collection("missing.mp3").string() + " does not exist."},
        {collection("folder.mp3").string(), collection("folder.mp3").string() + " does not exist."},
        {"", " does not exist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        song().clear();
        song()["SNG:AssociatedWAVFile"] = c.path;
        song()["SNG:Artist"] = "Various";
        song()["SNG:Title"] = "Band - Tune";
        song()["SNG:BitRate"] = 128;
        const tables::Record before = song();

        rt::HeadlessHost host;
        bool answer = true;
        host.start("Fill", [&] { answer = FillSongFromMP3(); });
        rt::MessageBoxWindow* box = host.messageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), "Error");
        EXPECT_EQ(box->text(), c.message);
        ASSERT_EQ(box->buttons().size(), 1u);
        EXPECT_EQ(box->buttons()[0].answer, rt::button::Ok);
        host.answer(rt::button::Ok);
        EXPECT_EQ(host.messageBox(), nullptr);
        EXPECT_FALSE(answer);
        EXPECT_TRUE(song().sameValues(before));
    }
}

} // namespace
} // namespace qv::qvls::testing
