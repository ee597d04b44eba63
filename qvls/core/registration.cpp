#include "qvls/core/registration.h"

#include "platform/runtime/procedures.h"
#include "qvls/core/about.h"
#include "qvls/core/frame.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup.h"
#include "qvls/core/setup_wizard.h"
#include "qvls/core/splash.h"
#include "qvls/core/window_lifecycle.h"

namespace qv::qvls {

void registerCore()
{
    registerSettingUses();
    registerGlobalUses();
    installWindowLifecycle();
    rt::Procedures::add("Main", [] { Main(); });
    rt::Procedures::add("Splash", [] { Splash(); });
    rt::Procedures::add("AfterSplash", [] { AfterSplash(); });
    rt::Procedures::add("Setup", [] { Setup(); });
    rt::Procedures::add("SetupWizard", [] { SetupWizard(); });
    rt::Procedures::add("AboutQVL", [] { AboutQVL(); });
    rt::Procedures::add("CompileDate", [] { CompileDate(); });
}

} // namespace qv::qvls
