#include "platform/qt/application.h"
#include "qvls/core/frame.h"
#include "qvls/core/resources.h"

int main(int argc, char** argv)
{
    qv::qvls::registerResources();
    return qv::qt::runApplication(argc, argv, [] { qv::qvls::Main(); });
}
