#pragma once
// The control's own windows. Each runs modally on the calling thread (other
// threads and windows go on meanwhile) and answers what the person chose; a
// cancelled window leaves what it was given as it was.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/outside/cddb/control.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/window.h"

namespace qv::cddb {

// The sign-up: the service user's name and e-mail address, starting from
// `start`. None when the person cancels.
std::optional<ServiceUser> askServiceUser(const ServiceUser& start);

// The options dialog: true on OK, with the entries written into `options`.
bool editOptions(Options& options);

// The matches of a lookup: the index of the chosen disc, or none.
std::optional<std::size_t> pickMatch(const MatchList& matches);

enum class DiscView { Display, Edit };
// The disc editor: true on Submit, with the edits written into `disc`. The
// display shows the same values read-only and always answers false.
bool editDisc(Disc& disc, DiscView view);

void showAboutBox(const std::string& serverUrl);

// Shows a message of the control, captioned as its windows are. Text from a
// server may hold "|": it shows as "/", never as a line break.
void tell(const std::string& text, const std::string& title = "Disc Database", rt::Icon icon = rt::Icon::Exclamation);

namespace detail {
// A window of module "cddb", its definitions registered on first use.
std::unique_ptr<rt::Window> loadWindow(std::string_view name);
// An entry's text without blanks around it.
std::string entered(const rt::Control& control);
// "someone@somewhere": one "@" with text on both sides and no blank.
bool looksLikeEmail(std::string_view address);
} // namespace detail

} // namespace qv::cddb
