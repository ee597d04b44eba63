#include "platform/qt/application.h"
#include "qvls/core/frame.h"
#include "qvls/core/program.h"
#include "qvls/core/resources.h"

int main(int argc, char** argv)
{
    qv::qvls::registerResources();
    return qv::qvls::ProgramEntry(argc, argv, [&](std::function<void()> body) {
        return qv::qt::runApplication(argc, argv, std::move(body), qv::qvls::RequestEndOfSession);
    });
}
