#include "platform/qt/application.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <exception>

#include "platform/qt/host.h"
#include "platform/qt/units.h"

namespace qv::qt {

int runApplication(int& argc, char** argv, std::function<void()> firstThread, std::function<void()> endOfSession)
{
    QApplication app(argc, argv);
    if (endOfSession)
        QObject::connect(
            &app, &QGuiApplication::commitDataRequest, &app, [endOfSession](QSessionManager&) { endOfSession(); });
    QApplication::setApplicationName(QStringLiteral("Quorvel Pro"));
    QApplication::setFont(defaultWindowFont());
    // Windows close when the program closes them, not when the last one goes.
    QApplication::setQuitOnLastWindowClosed(false);
    bool failed = false;
    {
        QtHost host;
        const int first = host.start("main", [&failed, body = std::move(firstThread)] {
            // An exception that ends the program body is a failure, not an
            // ordinary end; the fiber's own unwinding is no std::exception.
            try {
                body();
            } catch (const std::exception& e) {
                failed = true;
                std::fprintf(stderr, "the program ended with an error: %s\n", e.what());
            }
        });
        host.watchThread(first, [] { QCoreApplication::exit(0); });
        QApplication::exec();
    }
    return failed ? 1 : 0;
}

} // namespace qv::qt
