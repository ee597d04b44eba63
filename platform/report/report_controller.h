#pragma once
// One run of a report: the program sets its controls and prints its bands by
// name; this is the one place that turns bands into drawing steps and
// decides where pages end. Finished pages go to the run's page sink.
//
// A page starts with the first band printed on it (the form band and the page
// header are drawn then) and ends when the program ends it, when a band does
// not fit below the last one, or when the run closes (the page footer is
// drawn then). A page on which nothing was printed is never started, so a run
// that prints nothing gives no page at all.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/expr/expression.h"
#include "platform/expr/picture.h"
#include "platform/report/page.h"
#include "platform/report/report_def.h"

namespace qv::report {

class ReportController
{
public:
    // Bound texts are evaluated through the bindings when their band prints.
    ReportController(ReportDef def, const expr::Bindings& bindings, PageSink& sink);

    const std::string& name() const { return def_.name; }
    const PageSetup& pageSetup() const { return def_.page; }

    // Read by the printing route when the pages are sent.
    int copies() const { return copies_; }
    void setCopies(int copies) { copies_ = copies; }
    bool collate() const { return collate_; }
    void setCollate(bool collate) { collate_ = collate; }

    // The day number run-date controls show; today unless the caller sets it.
    std::int32_t runDate() const { return runDate_; }
    void setRunDate(std::int32_t day) { runDate_ = day; }
    // The number of the page being printed, or of the last one finished.
    int pageNumber() const { return pageNumber_; }

    // Controls, by name ("?Title"; the "?" may be left out). A name the
    // report does not hold throws rt::DefinitionError.
    void setText(std::string_view control, std::string text); // a bound text shows this text from now on
    void setUse(std::string_view control, std::string expression);
    void setPicture(std::string_view control, std::string picture);
    void setFont(std::string_view control, const FontSpec& font);
    FontSpec font(std::string_view control) const;
    void setColour(std::string_view control, std::int32_t colour);
    void setPosition(std::string_view control, int x, int y, int width = kNatural, int height = kNatural);
    void hide(std::string_view control);
    void unhide(std::string_view control);
    // The width of the text in the control's font, in thousandths of an inch.
    int textWidth(std::string_view control, std::string_view text) const;
    void createControl(std::string_view band, ReportControlDef control);
    // Every control takes the font, and every text its colour; controls
    // created later take the font.
    void setReportFont(const FontSpec& font, std::int32_t colour = kBlack);

    void printBand(std::string_view band);
    void endPage();
    // Prints the footers of the groups still open and finishes the page.
    void close();

private:
    struct LiveControl {
        ReportControlDef def;
        FontSpec font;
        expr::Expression use;
        expr::Picture picture;
        // A group footer prints after the next group's first record was
        // read: it shows its texts as the group's last record gave them.
        std::optional<std::string> groupText;
    };
    struct LiveBand {
        std::string name;
        int x = 0, y = 0, height = 0;
        bool flows = true; // down the body, rather than at its place on the page
        bool detail = false;
        std::vector<LiveControl> controls;
    };
    struct LiveBreak {
        expr::Expression on;
        std::optional<std::size_t> header, footer;
        std::optional<expr::Value> last; // the open group's value
    };

    std::optional<std::size_t> addBand(const BandDef& band, bool flows, bool detail = false);
    LiveControl liveControl(ReportControlDef def) const;
    void addControl(std::size_t band, ReportControlDef def);
    std::pair<std::size_t, std::size_t> find(std::string_view name) const; // band, control
    LiveControl& control(std::string_view name);
    const LiveControl& control(std::string_view name) const;
    [[noreturn]] void fail(const std::string& what) const;

    void breakGroups();
    void rememberGroupTexts();
    void flow(std::size_t band);
    void startPage();
    void draw(const LiveBand& band, int x, int y);
    void draw(const LiveControl& control, int x, int y);
    std::string shownText(const LiveControl& control) const;

    ReportDef def_;
    const expr::Bindings& bindings_;
    PageSink& sink_;
    FontSpec reportFont_;
    std::vector<LiveBand> bands_;
    std::optional<std::size_t> header_, footer_, form_;
    std::vector<LiveBreak> breaks_;
    std::unordered_map<std::string, std::size_t> bandsByName_; // lower-case name
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> controlsByName_; // band, control

    int copies_ = 1;
    bool collate_ = false;
    std::int32_t runDate_ = 0;
    int pageNumber_ = 0;
    std::optional<Page> page_;
    int cursor_ = 0; // where the next flowing band lands
};

} // namespace qv::report
