#pragma once
// The first-run questionnaire: drive, date format, the user-defined field's
// name and the start-up lists, written to the settings file on Finish.

namespace qv::qvls {

void SetupWizard();

} // namespace qv::qvls
