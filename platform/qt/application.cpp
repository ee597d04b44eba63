#include "platform/qt/application.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/qt/host.h"
#include "platform/qt/units.h"

namespace qv::qt {

namespace {

std::string& programName()
{
    static std::string name;
    return name;
}

std::vector<std::string>& heldMessages()
{
    static std::vector<std::string> held;
    return held;
}

// Qt ends the process when it cannot reach a display, with advice that does
// not fit; the user hears what is missing instead, and the exit code is 1.
void noDisplay(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg) {
        heldMessages().push_back(text.toStdString()); // told only when they are not the reason to stop
        return;
    }
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
        "%s needs a graphical desktop session, and none could be reached (DISPLAY %s%s, WAYLAND_DISPLAY %s%s).\n"
        "Start it from your desktop.\n",
        programName().c_str(), display ? "is " : "is not set", display ? display : "", wayland ? "is " : "is not set",
        wayland ? wayland : "");
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int runApplication(int& argc, char** argv, std::function<void()> firstThread, std::function<void()> endOfSession)
{
    programName() = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "The program";
    const QtMessageHandler previous = qInstallMessageHandler(noDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const std::string& m : heldMessages())
        std::fprintf(stderr, "%s\n", m.c_str());
    heldMessages().clear();
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
