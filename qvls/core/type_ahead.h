#pragma once
// Completes what the user types into an entry from the values of a table
// key (file mode) or of a list of texts (queue mode): after each keystroke
// the entry shows the first value that starts with the typed text, the
// completed tail selected so that typing on overwrites it.
//
// The using window passes every event to OnEvent. The entry's caret and
// selection are the control properties below (1-based; a host keeps them
// up to date); without them the caret counts as at the end of the text.
// An immediate entry's new-selection event is one keystroke; its key code,
// when the host gives one, tells Backspace and the keys that never complete.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/window_controller.h"
#include "platform/runtime/events.h"
#include "platform/runtime/window.h"

namespace qv::fw {
class TableAccess;
}

namespace qv::qvls {

namespace entry_property = rt::prop;

class TypeAheadEntry
{
public:
    virtual ~TypeAheadEntry() = default;

    // File mode: candidates are the values of `candidateField` read in the
    // order of `key` of the table behind `access`. The entry's variable is
    // the one its use name stands for.
    void Attach(rt::Window& window, std::string_view entry, std::string_view candidateField, int key,
        fw::TableAccess& access, bool mustValidate);
    // Queue mode: candidates are the texts of `list`, in order.
    void Attach(rt::Window& window, std::string_view entry, const std::vector<std::string>& list, bool mustValidate);
    void Detach() { }

    virtual void OnEvent(const rt::Event& e);
    // 0 when nothing matches; file mode 1 (the candidate is in the table's
    // record buffer); queue mode the position of the matching text.
    int findCandidate(std::string_view text);

    bool armed() const { return econ_; }
    // What this entry last completed from; every entry keeps its own.
    const std::string& lastTyped() const { return lastTyped_; }

protected:
    virtual void checkEntry();
    virtual void OnNewSelection(const rt::Event& e);
    virtual void OnKey(const rt::Event& e);
    virtual bool isCompletionKey(const rt::Event& e) const;

private:
    rt::Control* entry() const;
    std::string candidateText() const;
    void setVariable(const std::string& value);

    bool fileMode_ = true;
    rt::Window* window_ = nullptr;
    int entryField_ = 0; // ENTRYFIELD
    rt::UseBinding use_; // USEFIELD
    int fromField_ = -1; // FROMFIELD, in the candidate table's buffer
    int key_ = -1; // FILEKEY
    fw::TableAccess* access_ = nullptr; // FILEMGR
    const std::vector<std::string>* list_ = nullptr; // Q
    int found_ = 0;
    bool econ_ = false; // ECON
    bool mustValidate_ = false; // MUSTVALIDATE
    std::string lastTyped_;
};

// A type-ahead entry that takes part in a window's life: it hears every
// event of the window and lets each go on.
class TypeAheadComponent : public fw::WindowComponent
{
public:
    explicit TypeAheadComponent(TypeAheadEntry& entry)
        : entry_(entry)
    { }
    bool OnEvent(const rt::Event& e) override
    {
        entry_.OnEvent(e);
        return false;
    }

private:
    TypeAheadEntry& entry_;
};

// A form's artist entry completing from the artist list, when the user
// asked for it (the AutoComplete setting).
class ArtistTypeAhead
{
public:
    // After the form's window opened.
    void attach(fw::WindowController& form, std::string_view entry);

private:
    TypeAheadEntry entry_;
    std::unique_ptr<TypeAheadComponent> component_;
};

// "*" any run of characters, "?" any one; without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view text);

} // namespace qv::qvls
