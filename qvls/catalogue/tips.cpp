#include "qvls/catalogue/tips.h"

#include <cstdint>
#include <limits>

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/core/form.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateQVLTips.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdateQVLTips;

class TipForm : public Form
{
public:
    TipForm()
        : Form(std::string(W::kWindow), *dictionary::QVLTipsRelations)
    {
        onAccepted(W::Next, [this] { page(true); });
        onAccepted(W::Back, [this] { page(false); });
        onAccepted(W::Close, [this] { keepSettings(); });
    }

    fw::Level Prepare() override
    {
        showTipsAtOpen_ = settings().ShowTips;
        const fw::Level l = Form::Prepare();
        if (l == fw::Benign)
            required().SetField(window()[W::Tip].number(), true, "Tip", "Tip", "Tip", "TIP:TIP");
        return l;
    }

    void CleanUp() override
    {
        // The check box changes the setting at once; a window left any other
        // way than by Close takes that back, so it is not saved later either.
        if (!kept_)
            settings().ShowTips = showTipsAtOpen_;
        Form::CleanUp();
    }

protected:
    void formOpened() override
    {
        rt::Window& w = window();
        if (settings().DbgMode != 0) {
            w[W::Ok].setHidden(false);
            w[W::Tip].setReadOnly(false);
            w[W::Tip].setSkip(false);
            w[W::Back].setHidden(true);
            w[W::Next].setHidden(true);
            shown_ = tipId();
            return;
        }
        // Each opening moves on from the tip shown last.
        shown_ = settingsIni().getInt(settings_section::Settings, settings_key::Tip, kDefaultTip);
        if (!showFrom(shown_ + 1, true) && !showFrom(0, true)) {
            setResponse(fw::response::Cancelled);
            endLoop(); // no tips: nothing to show, nothing to say
        }
    }

private:
    fw::TableAccess& access() const { return primary()->access(); }
    std::int64_t tipId() const { return access().record()["TIP:ID"].toInt(); }

    // Reads the first tip numbered at least (forward) or at most (backward)
    // id and shows it.
    bool showFrom(std::int64_t id, bool forward)
    {
        fw::TableAccess& a = access();
        a.record()["TIP:ID"] = id;
        a.setPosition(a.table().def().keyIndex("TIP:KEYID"));
        if ((forward ? a.TryNext() : a.TryPrevious()) != 0)
            return false;
        shown_ = tipId();
        takeRecord(); // paging changes nothing the close box would offer to save
        window().display();
        return true;
    }

    // The next or previous existing tip, wrapping at both ends, so gaps in
    // the numbering neither repeat a tip nor hide one.
    void page(bool forward)
    {
        if (forward) {
            if (!showFrom(shown_ + 1, true))
                showFrom(0, true);
        } else if (shown_ <= 1 || !showFrom(shown_ - 1, false)) {
            showFrom(std::numeric_limits<std::int32_t>::max(), false);
        }
    }

    void keepSettings()
    {
        kept_ = true;
        writeSetting("ShowTips");
        settingsIni().setInt(settings_section::Settings, settings_key::Tip, shown_);
    }

    std::int64_t shown_ = 0;
    int showTipsAtOpen_ = 0;
    bool kept_ = false;
};

} // namespace

void registerTips()
{
    rt::Procedures::add("UpdateQVLTips", [] { TipForm().Execute(); });
}

} // namespace qv::qvls
