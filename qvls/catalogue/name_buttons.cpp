#include "qvls/catalogue/name_buttons.h"

#include "platform/framework/handover.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/core/names.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {

// A text of the form's record by its use name.
struct Field {
    rt::UseBinding use;
    explicit Field(const std::string& name)
        : use(fw::resolveUse(name).value_or(rt::UseBinding{[] { return std::string(); }, [](const std::string&) {}}))
    { }
    std::string get() const { return use.get(); }
    void set(const std::string& v) const { use.set(v); }
};

// What every name button does around its change: the lists' rows and what
// the user typed are in the record first, and the window shows the result.
void change(fw::WindowController& form, const std::function<void()>& rewrite)
{
    form.ReloadSelectedRecords();
    form.window().update();
    rewrite();
    form.window().display();
}

void selectArtist(fw::WindowController& form, const NameButtons& b)
{
    const Field artist(b.artistField);
    dictionary::ArtistsAccess->record()["ART:Artist"] = artist.get();
    fw::handover().request = fw::request::Select;
    const bool chosen = rt::Procedures::call("BrowseArtists") && fw::handover().response == fw::response::Completed;
    rt::Window& w = form.window();
    if (chosen) {
        artist.set(dictionary::ArtistsAccess->record()["ART:Artist"].toString());
        w.display();
        w.select(w[b.title]);
    } else {
        w.select(w[b.artist]);
    }
    fw::handover().response = fw::response::Cancelled;
}

} // namespace

void installNameButtons(fw::WindowController& form, const NameButtons& buttons)
{
    const NameButtons b = buttons;
    form.onAccepted(b.swapName, [&form, b] {
        change(form, [&b] {
            const Field artist(b.artistField);
            // Room for the ", " the swap adds: the field's value comes without
            // its padding, and the swap keeps the length it is given.
            std::string name = artist.get() + "  ";
            SwapNameOrder(name);
            artist.set(name);
        });
    });
    for (const auto& [button, field] :
        {std::pair{b.capitalizeArtist, b.artistField}, {b.capitalizeTitle, b.titleField}})
        form.onAccepted(button, [&form, field] {
            change(form, [&field] {
                const Field text(field);
                std::string value = text.get();
                DefaultCapitalize(value);
                text.set(value);
            });
        });
    form.onAccepted(b.swapArtistTitle, [&form, b] {
        change(form, [&b] {
            const Field artist(b.artistField), title(b.titleField);
            const std::string kept = artist.get();
            artist.set(title.get());
            title.set(kept);
        });
    });
    // A wizard's entries have no artist list beside them.
    if (b.selectArtist.number != 0)
        form.onAccepted(b.selectArtist, [&form, b] {
            form.ReloadSelectedRecords();
            selectArtist(form, b);
        });
    if (b.artistRegion.number != 0)
        form.onAccepted(b.artistRegion, [&form, b] { selectArtist(form, b); });
}

} // namespace qv::qvls
