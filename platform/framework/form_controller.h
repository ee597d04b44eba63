#pragma once
// The update procedure every form is. The form's window definition says what
// it shows (controls with their use names and pictures, the captions by
// request in its `form:` section); the form's C++ registers only its own
// rules: a handler per field, the lookup of each entry with a "..." button,
// and the few hooks below.
//
//   form:
//     captions: {insert: "Add Album", change: "Change Album"}
//     ok: OK              # the saving button (default OK)
//     cancel: Cancel      # the abandoning button (default Cancel)
//     history: CtrlQuote  # the key that recalls the focused field (default Ctrl+')
//     lists:              # lists of the record's children (declared_list.h)
//       - {control: DetailList, view: AlbumDetails, procedure: 0, ...}
//
// The shape: the request taken over (none counts as insert); the record
// action (an insert's id reserved at once, a delete asked and done without
// the window); the caption; Ctrl+' recalls the focused field as the form
// took it; a change takes Alt+Right and Alt+Left (save, then the calling
// list moves) and reopens on the field that had the focus; Cancel asks
// "Save Record" when the record changed; a view (request 4) shows the record
// and saves nothing. OK checks the required fields, runs every field handler
// again in control order (stopping at the first refusal, with refreshes held
// back meanwhile) and saves.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/declared_lists.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"

namespace YAML {
class Node;
}

namespace qv::fw {

class TableAccess;

class FormController : public WindowController
{
public:
    // procedure: the form's name, also its window definition's name in module.
    FormController(std::string module, std::string procedure, RelationSet& primary);

    // A field's own rule: runs when the user leaves the changed field, and
    // again before every save. False refuses: the user stays on the field
    // and a save stops there.
    using FieldHandler = std::function<bool()>;
    void onField(rt::ControlId field, FieldHandler handler);

    // An entry whose value must name a record of another table, with its
    // "..." button: fetched by key as the user leaves the entry; a blank is
    // accepted or opens the list; a value not found opens the list to select
    // (request 4); a selection copies back, a cancel refocuses the entry.
    struct Lookup {
        rt::ControlId entry;
        std::optional<rt::ControlId> button;
        TableAccess* table = nullptr; // the looked-up table
        std::string key; // its key on the first `copies` field
        std::string procedure; // the list that selects
        // {looked-up field, form field}; the first pair is the one the entry
        // shows and the key finds.
        std::vector<std::pair<std::string, std::string>> copies;
        bool blankOpensList = false; // else a blank is accepted and clears the other copies
        bool cancelClears = false; // a cancelled list also clears the other copies
        // Runs once a value was found or chosen (not for a blank); false
        // refuses as a field handler does.
        std::function<bool()> then = {};
    };
    void lookup(Lookup spec);

    // A list the form's definition declares, by its control's name.
    ListBrowser& list(std::string_view control) const;
    DeclaredList& declaredList(std::string_view control) const;

    // True while OK re-runs the field handlers.
    bool validating() const { return validating_; }
    bool viewing() const { return request() == request::Select; }

    Level Prepare() override;
    Level OnAccepted(int control) override;
    Level OnNewSelection(int control) override;
    void Refresh() override;
    void CleanUp() override;

protected:
    // The form's own set-up before the window opens (lists, variables).
    virtual Level prepareForm() { return Benign; }
    // After the window opened.
    virtual void formOpened() { }
    // OK, after the required fields: work that must come before the fields
    // are checked again and the record saved. Anything but Benign stays.
    virtual Level beforeSave() { return Benign; }
    // The program's check of the required controls: the first missing
    // control's number (the user has been told), 0 when none is missing.
    virtual int checkRequired() { return 0; }
    // The kind of browser the form's lists use.
    virtual std::unique_ptr<ListBrowser> makeListBrowser(
        ViewReader& reader, const std::string& listControl, const ListButtons& buttons);

private:
    Level readLists(const YAML::Node& lists);
    bool validateAll();
    bool runLookup(const Lookup& l, bool pressed);
    void restoreNavigationFocus();
    void showOnly();

    std::string module_;
    RelationSet& primary_;
    std::map<int, FieldHandler> fields_; // by control number: control order
    std::vector<Lookup> lookups_;
    std::string okName_ = "?OK";
    std::string cancelName_ = "?Cancel";
    std::map<int, std::string> captions_; // by request
    int historyKey_ = rt::key::withCtrl(rt::key::Quote);
    bool validating_ = false;
    DeclaredLists lists_{*this};
    std::vector<RelationSet*> listSets_; // opened for the lists, closed as the window goes
};

} // namespace qv::fw
