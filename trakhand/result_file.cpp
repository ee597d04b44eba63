#include "trakhand/result_file.h"

namespace qv::trakhand {

namespace {

// Each CR LF, CR or LF of the value as one replacement.
std::string withoutLineBreaks(const std::string& value, const char* replacement)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            out += replacement;
        } else {
            out += value[i];
        }
    }
    return out;
}

class Lines
{
public:
    void add(const std::string& key, const std::string& value) { add(key + "=" + withoutLineBreaks(value, " ")); }
    void add(const std::string& line) { text_ += line + "\r\n"; }
    std::string& text() { return text_; }

private:
    std::string text_;
};

} // namespace

std::string resultFileText(const ResultFileContent& content)
{
    const cddb::Disc& disc = *content.disc;
    Lines out;
    out.add("[PARAMETERS]");
    out.add("Drive", content.drive);
    out.add(" ");
    out.add("[DISC]");
    out.add("TOC", content.toc);
    out.add("Tracks", std::to_string(disc.trackCount()));
    out.add("Artist", disc.artist);
    out.add("Title", disc.title);
    out.add("Genre", content.genreName);
    out.add("Label", disc.label);
    out.add("Year", disc.year);
    out.add("Notes=" + withoutLineBreaks(disc.notes, "\\n"));
    out.add(" ");
    out.add("[TRACKS]");
    for (int i = 1; i <= disc.trackCount(); ++i) {
        const cddb::Track& track = disc.tracks[static_cast<std::size_t>(i - 1)];
        out.add("Track" + std::to_string(i), track.title);
        if (!track.artist.empty())
            out.add("TrackArtist" + std::to_string(i), track.artist);
    }
    if (content.links) {
        const auto& links = content.links->links;
        out.add("URLCount", std::to_string(links.size()));
        for (std::size_t i = 0; i < links.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            out.add("URLDesc" + n, links[i].description);
            out.add("URLLink" + n, links[i].address);
            out.add("URLType" + n, links[i].type);
        }
    }
    return std::move(out.text());
}

} // namespace qv::trakhand
