#include "qvls/core/form.h"

namespace qv::qvls {

Form::Form(std::string procedure, fw::RelationSet& primary)
    : fw::FormController("qvls", std::move(procedure), primary)
{ }

fw::Level Form::Prepare()
{
    const fw::Level l = fw::FormController::Prepare();
    if (l == fw::Benign)
        required_.Prepare(window(), kMissingTitle, kMissingTemplate);
    return l;
}

void Form::CleanUp()
{
    required_.Release();
    fw::FormController::CleanUp();
}

} // namespace qv::qvls
