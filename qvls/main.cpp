#include "platform/qt/application.h"
#include "qvls/core/frame.h"
#include "qvls/core/program.h"
#include "qvls/subsystems.h"

int main(int argc, char** argv)
{
    qv::qvls::registerSubsystems();
    return qv::qvls::ProgramEntry(argc, argv, [&](std::function<void()> body) {
        return qv::qt::runApplication(argc, argv, std::move(body), qv::qvls::requestEndOfSession);
    });
}
