#include "qvls/catalogue/favourite_fonts.h"

#include <cstdlib>
#include <string>

#include "platform/framework/handover.h"
#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/form.h"
#include "qvls/core/list.h"
#include "qvls/core/placement.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/SelectFont.h"
#include "qvls/windows/UpdateFontFreeform.h"
#include "qvls/windows/UpdateFonts.h"

namespace qv::qvls {

namespace {

fw::TableAccess& fonts()
{
    return *dictionary::FontsAccess;
}

int number(const char* field)
{
    return std::atoi(std::string(text::trimRight(fonts().record()[field].toString())).c_str());
}

class FontList : public List
{
public:
    FontList()
        : List(std::string(ctl::SelectFont::kWindow))
    {
        onAccepted(ctl::SelectFont::Rainbow, [this] { rainbow(); });
        onAccepted(ctl::SelectFont::Freeform, [this] { freeform(); });
    }

private:
    // The highlighted font again in seventeen colours from black to blue,
    // each an insert of its own: one the table refuses (a duplicate) is
    // reported and the next is tried.
    void rainbow()
    {
        if (browser().RowCount() == 0)
            return;
        ReloadSelectedRecords();
        const tables::Record highlighted = fonts().record();
        for (int step = 0; step <= 256; step += 16) {
            // The last step stays inside 24 bits: 255, not 256.
            const int n = step == 256 ? 255 : step;
            fonts().record() = highlighted;
            fonts().record()["FON:FONTID"] = 0;
            fonts().record()["FON:COLOUR"] = std::to_string(n * 65536);
            fonts().Insert();
        }
        fonts().record() = highlighted;
        browser().resetFromBuffer();
    }

    void freeform()
    {
        if (browser().RowCount() == 0)
            return;
        ReloadSelectedRecords();
        fw::handover().request = fw::request::Change;
        rt::Procedures::call("UpdateFontFreeform");
        browser().resetFromBuffer();
    }
};

// The form is only the frame of the font dialog, which opens at once: its
// answer presses OK or Cancel.
class FontForm : public Form
{
public:
    FontForm()
        : Form(std::string(ctl::UpdateFonts::kWindow), *dictionary::FontsRelations)
    { }

protected:
    void formOpened() override
    {
        if (request() != fw::request::Insert && request() != fw::request::Change)
            return;
        const int keptStyle = number("FON:STYLE");
        rt::FontSpec spec = fontSpecOf(std::string(text::trimRight(fonts().record()["FON:TYPEFACE"].toString())),
            number("FON:SIZE"), number("FON:COLOUR"), keptStyle);
        rt::Window& w = window();
        if (!rt::fontDialog(spec, "Choose Font")) {
            w.post(rt::event::Accepted, w[ctl::UpdateFonts::Cancel].number());
            return;
        }
        tables::Record& r = fonts().record();
        r["FON:TYPEFACE"] = spec.name;
        r["FON:SIZE"] = std::to_string(spec.size);
        r["FON:COLOUR"] = std::to_string(spec.color);
        r["FON:STYLE"] = std::to_string(fontStyleOf(spec, keptStyle));
        w.display();
        w.post(rt::event::Accepted, w[ctl::UpdateFonts::OK].number());
    }
};

class FreeformForm : public Form
{
public:
    FreeformForm()
        : Form(std::string(ctl::UpdateFontFreeform::kWindow), *dictionary::FontsRelations)
    {
        onAccepted(ctl::UpdateFontFreeform::PickColour, [this] {
            int colour = number("FON:COLOUR");
            if (rt::colorDialog(colour, "Select Color"))
                fonts().record()["FON:COLOUR"] = std::to_string(colour);
            window().display();
        });
    }
};

void selectFontProcedure()
{
    if (fw::handover().request != fw::request::Select) {
        FontList().Execute();
        return;
    }
    // The list opens on the caller's font; a number without a font leaves
    // the buffer empty, and the list opens at its top.
    fw::TableAccess& access = fonts();
    const bool opened = access.open() == fw::Benign;
    if (opened)
        access.TryFetch(access.table().def().keyIndex("FON:KeyFontID"));
    FontList().Execute();
    if (opened)
        access.close();
}

} // namespace

int SelectFont(std::int64_t& font)
{
    fonts().record().clear();
    fonts().record()["FON:FONTID"] = font;
    fw::handover().request = fw::request::Select;
    rt::Procedures::call(ctl::SelectFont::kWindow);
    const int response = fw::handover().response;
    if (response == fw::response::Completed)
        font = fonts().record()["FON:FONTID"].toInt();
    return response;
}

void registerFavouriteFonts()
{
    rt::Procedures::add(std::string(ctl::SelectFont::kWindow), selectFontProcedure);
    rt::Procedures::add(std::string(ctl::UpdateFonts::kWindow), [] { FontForm().Execute(); });
    rt::Procedures::add(std::string(ctl::UpdateFontFreeform::kWindow), [] { FreeformForm().Execute(); });
}

} // namespace qv::qvls
