#pragma once
// Where the disc database's options and the service user live between runs:
// an INI file in the user's configuration folder, and the proxy password in a
// file of its own that only the user can read.

#include <optional>
#include <string>

#include "platform/outside/cddb/control.h"

namespace qv::cddb {

// The options as first installed: the public server that still speaks the
// protocol, test submissions, 10 s to connect and 30 s to answer.
Options defaultOptions();

// Stored options over the defaults; the e-mail is the service user's.
Options loadOptions();
// Throws ComError(hr::kFail) when the files cannot be written.
void saveOptions(const Options& options);

// None until a user has signed up.
std::optional<ServiceUser> loadServiceUser();
void saveServiceUser(const ServiceUser& user);

// The two files, for tests and for the options dialog's messages.
std::string optionsFilePath();
std::string proxyPasswordPath();

} // namespace qv::cddb
