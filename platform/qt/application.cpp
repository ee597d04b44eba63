#include "platform/qt/application.h"

#include <QApplication>

#include "platform/qt/host.h"
#include "platform/qt/units.h"

namespace qv::qt {

int runApplication(int& argc, char** argv, std::function<void()> firstThread)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel Pro"));
    QApplication::setFont(defaultWindowFont());
    // Windows close when the program closes them, not when the last one goes.
    QApplication::setQuitOnLastWindowClosed(false);
    int code = 0;
    {
        QtHost host;
        const int first = host.start("main", std::move(firstThread));
        host.watchThread(first, [] { QCoreApplication::exit(0); });
        code = QApplication::exec();
    }
    return code;
}

} // namespace qv::qt
