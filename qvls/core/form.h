#pragma once
// The program's forms: the framework's form over a window of the program,
// with the required-field check every form that takes input makes ("Missing
// Information", "@PROMPT must be entered.").

#include <memory>
#include <string>

#include "platform/framework/form_controller.h"
#include "qvls/core/required_fields.h"

namespace qv::qvls {

class Form : public fw::FormController
{
public:
    Form(std::string procedure, fw::RelationSet& primary);

    fw::Level Prepare() override;
    void CleanUp() override;

protected:
    int checkRequired() override { return required_.Validate(); }
    // A form's lists are the program's browse base too (View and Copy).
    std::unique_ptr<fw::ListBrowser> makeListBrowser(
        fw::ViewReader& reader, const std::string& listControl, const fw::ListButtons& buttons) override;
    RequiredFields& required() { return required_; }

private:
    RequiredFields required_;
};

} // namespace qv::qvls
