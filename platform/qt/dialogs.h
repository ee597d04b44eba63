#pragma once
// Message boxes and the file, font and colour dialogs. Each is a window of
// its thread: it never runs a nested event loop; the user's answer goes to
// the model window, and the thread that waits for it carries on.

#include <QDialog>
#include <QPointer>
#include <vector>

#include "platform/qt/window_view.h"
#include "platform/runtime/dialogs.h"

class QPushButton;

namespace qv::qt {

class MessageDialog : public QDialog, public WindowView
{
public:
    MessageDialog(rt::MessageBoxWindow& box, QWidget* parent);

    // The button that gives this answer, for tests and for the window system.
    QPushButton* button(int answer) const;

    rt::Window& window() const override { return box_; }
    QWidget* widget() override { return this; }
    void setBlocked(bool blocked) override { setEnabled(!blocked); }
    void showView() override;
    void dispose() override;

    void reject() override; // Esc
protected:
    void closeEvent(QCloseEvent* event) override;

private:
    rt::MessageBoxWindow& box_;
    std::vector<std::pair<int, QPushButton*>> buttons_;
    bool disposed_ = false;
};

// The file, font and colour choosers: Qt's own dialogs, not the desktop's
// native ones (those may run their own loop), shown without modality.
class ChooserView : public QObject, public WindowView
{
public:
    static ChooserView* create(rt::Window& window, QWidget* parent);

    rt::Window& window() const override { return window_; }
    QWidget* widget() override { return dialog_; }
    void setBlocked(bool blocked) override;
    void showView() override;
    void dispose() override;

private:
    ChooserView(rt::Window& window, QDialog* dialog);
    void answerFile(bool accepted);
    void answerFont(bool accepted);
    void answerColor(bool accepted);

    rt::Window& window_;
    QPointer<QDialog> dialog_;
    bool answered_ = false;
};

// "Text files|*.txt|All files|*.*" -> "Text files (*.txt)", "All files (*)".
QStringList fileFilters(const std::string& pairs);
// The program's colours are 0xBBGGRR.
QColor fromColorRef(int bgr);
int toColorRef(const QColor& c);

} // namespace qv::qt
