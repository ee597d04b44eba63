#pragma once
// The Qt host: shows the run time's windows with Qt Widgets and turns user
// input into events. Program code never runs from a Qt signal: input posts
// events, and the scheduler runs from the Qt event loop, once per wake-up.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/window_view.h"
#include "platform/runtime/window.h"

namespace qv::qt {

class FrameWindow;
class InputRouter;

class QtHost : public QObject, public rt::HostObserver
{
public:
    // Needs a QApplication. Installs itself as the model's host, the desktop
    // clipboard, the printers and the scheduler's wake handler; the destructor ends every
    // thread and uninstalls them.
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    static QtHost* instance();

    int start(std::string name, std::function<void()> body, std::size_t stackBytes = 0);
    // onEnd runs from the Qt loop once the thread has ended.
    void watchThread(int thread, std::function<void()> onEnd);

    WindowView* view(const rt::Window& window) const;
    // The view that holds a widget, if any.
    WindowView* viewOf(const QWidget* widget) const;
    FrameWindow* frame() const;

    // A status text for zone 1 of the frame; empty restores the zone.
    void showHint(const std::string& text);
    // Standard menu actions; false for a name the host does not know.
    bool runStandard(const std::string& action, rt::Window& window);
    // Help actions ("helpindex", "helpsearch", "helponhelp") go here.
    void setHelpHandler(std::function<void(const std::string&)> handler) { help_ = std::move(handler); }

    void windowOpened(rt::Window& w) override;
    void windowClosed(rt::Window& w) override;
    void windowChanged(rt::Window& w, rt::WindowChange what) override;
    void controlChanged(rt::Control& c, rt::ControlChange what) override;
    // The desktop has one beep for every system sound.
    void beep(int sound) override;

private:
    struct Entry {
        WindowView* view;
        QPointer<QWidget> guard; // the view's widget; gone when Qt deleted it with a parent
    };
    WindowView* createView(rt::Window& w);
    void wake();
    void pump();
    void updateModality(int thread);
    void keepAboveMainWindow(const rt::Window& w, QWidget& widget);

    std::map<const rt::Window*, Entry> views_;
    QPointer<QWidget> mainWindow_; // the first window of a program without a frame
    std::unique_ptr<InputRouter> input_;
    std::unique_ptr<class QtClipboard> clipboard_;
    std::unique_ptr<class QtPrintService> printing_;
    QTimer timer_;
    bool pumpQueued_ = false;
    std::vector<std::pair<int, std::function<void()>>> watched_;
    std::function<void(const std::string&)> help_;
    QPointer<QWidget> editor_; // the last field that can cut, copy and paste
};

} // namespace qv::qt
