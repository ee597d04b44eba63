#include "platform/report/previewer.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "platform/framework/control_resizer.h"
#include "platform/framework/window_controller.h"
#include "platform/report/pdf.h"
#include "platform/report/render.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/resources.h"
#include "platform/text/text.h"
#include "report/windows/PrintPreview.h"

std::span<const qv::rt::EmbeddedFile> reportResources();

namespace qv::report {

namespace {

namespace W = ctl::PrintPreview;

void registerResources()
{
    static const bool once = [] {
        rt::ResourceStore::add("report", reportResources());
        return true;
    }();
    (void)once;
}

// The zoom list's choices, 1-based as the list counts them.
constexpr int kWholePageChoice = 1, kPageWidthChoice = 2;
constexpr std::array<int, 5> kPercentages{50, 75, 100, 150, 200};
constexpr int kFirstPercentageChoice = 3;

// A hundred percent is the page at the desktop's logical resolution.
constexpr double kScreenDotsPerInch = 96.0;

int choiceForZoom(int zoom)
{
    if (zoom == zoom::WholePage)
        return kWholePageChoice;
    if (zoom == zoom::PageWidth)
        return kPageWidthChoice;
    const auto nearest = std::min_element(kPercentages.begin(), kPercentages.end(),
        [zoom](int a, int b) { return std::abs(a - zoom) < std::abs(b - zoom); });
    return kFirstPercentageChoice + static_cast<int>(nearest - kPercentages.begin());
}

// Pixels of a control's box: the model keeps dialog units, and the host's
// font is not known here, so this takes the units of the desktop's 8-point
// dialog font (7 by 13 pixels a character), less room for a scroll bar and
// the margin round the page.
struct Viewport {
    double width, height;
};
Viewport viewportOf(const rt::Control& page)
{
    constexpr double kUnitX = 7.0 / 4, kUnitY = 13.0 / 8, kChrome = 48;
    const rt::Rect at = page.geometry();
    return {std::max(1.0, at.width * kUnitX - kChrome), std::max(1.0, at.height * kUnitY - kChrome)};
}

double dotsPerInchFor(int choice, const PageSetup& setup, const Viewport& view)
{
    const double inchesWide = (setup.landscape ? setup.height : setup.width) / 1000.0;
    const double inchesHigh = (setup.landscape ? setup.width : setup.height) / 1000.0;
    if (choice == kPageWidthChoice)
        return view.width / inchesWide;
    if (choice == kWholePageChoice)
        return std::min(view.width / inchesWide, view.height / inchesHigh);
    const int index = std::clamp(choice - kFirstPercentageChoice, 0, static_cast<int>(kPercentages.size()) - 1);
    return kScreenDotsPerInch * kPercentages[static_cast<std::size_t>(index)] / 100.0;
}

// The pictures of the pages shown, in a folder of this window's own that
// goes when the window closes. Each picture gets a new name, so a host that
// reads a file once per name shows the new one.
class PagePictures
{
public:
    std::string render(const Page& page, const PageSetup& setup, double dotsPerInch)
    {
        const QString file = folder_.filePath(QStringLiteral("page-%1.png").arg(++count_));
        if (!pageImage(page, setup, dotsPerInch).save(file, "PNG"))
            return {};
        if (!last_.isEmpty())
            QFile::remove(last_);
        last_ = file;
        return file.toStdString();
    }

private:
    QTemporaryDir folder_;
    QString last_;
    int count_ = 0;
};

class PreviewWindow : public fw::WindowController
{
public:
    PreviewWindow(const PageQueue& queue, int initialZoom, std::string title)
        : fw::WindowController(std::string(W::kWindow))
        , queue_(queue)
        , zoomChoice_(choiceForZoom(initialZoom))
        , title_(std::move(title))
        , resizer_(fw::ControlResizer::NoStrategy)
    {
        resizer_.setStrategy(W::Page.number,
            {fw::ControlResizer::Anchor::Start, fw::ControlResizer::Anchor::Start, fw::ControlResizer::Grow::Stretch,
                fw::ControlResizer::Grow::Stretch});
        addComponent(resizer_);
        bindVariable("LOC:PageNumber", pageText_);
        onAccepted(W::First, [this] { show(0); });
        onAccepted(W::Previous, [this] { show(page_ - 1); });
        onAccepted(W::Next, [this] { show(page_ + 1); });
        onAccepted(W::Last, [this] { show(lastPage()); });
        onAccepted(W::PageNumber, [this] { goToTypedPage(); });
        onAccepted(W::SaveAsPdf, [this] { saveAsPdf(); });
        // The desktop's drop list says Accepted when a choice is made;
        // a choice moved through the list says NewSelection.
        onAccepted(W::Zoom, [this] { zoomTo(window()[W::Zoom].selected()); });
        onNewSelection(W::Zoom, [this] { zoomTo(window()[W::Zoom].selected()); });
    }

    fw::Level Prepare() override
    {
        fw::WindowController::Prepare();
        loadWindow("report", W::kWindow);
        addResponseButton(W::Print.name, 1);
        addResponseButton(W::Close.name, fw::response::Cancelled);
        rt::Window& w = window();
        if (!title_.empty())
            w.setTitle(w.title() + " - " + title_);
        w[W::Zoom].setSelected(zoomChoice_);
        w[W::PageCount].setText("of " + std::to_string(queue_.size()));
        openWindow();
        // The wheel scrolls the page; it never turns the zoom list.
        w.unalert(rt::event::MouseWheel);
        show(0);
        return fw::Benign;
    }

    fw::Level OnWindowEvent(const rt::Event& e) override
    {
        // A fitted zoom follows the window's size.
        if (e.code == rt::event::Sized && (zoomChoice_ == kWholePageChoice || zoomChoice_ == kPageWidthChoice))
            showPicture();
        return fw::WindowController::OnWindowEvent(e);
    }

    fw::Level OnControlEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::AlertKey) {
            switch (e.keyCode) {
            case rt::key::PgUp:
                show(page_ - 1);
                break;
            case rt::key::PgDn:
                show(page_ + 1);
                break;
            case rt::key::Home:
                show(0);
                break;
            case rt::key::End:
                show(lastPage());
                break;
            default:
                break;
            }
        }
        return fw::WindowController::OnControlEvent(e);
    }

private:
    std::size_t lastPage() const { return queue_.empty() ? 0 : queue_.size() - 1; }

    void show(std::size_t page)
    {
        // Moving before the first page wraps round to a huge index.
        if (page > lastPage())
            return;
        page_ = page;
        shownPage_ = queue_.page(page_);
        pageText_ = std::to_string(page_ + 1);
        rt::Window& w = window();
        w[W::First].setEnabled(page_ > 0);
        w[W::Previous].setEnabled(page_ > 0);
        w[W::Next].setEnabled(page_ < lastPage());
        w[W::Last].setEnabled(page_ < lastPage());
        w[W::PageNumber].display();
        showPicture();
    }

    void showPicture()
    {
        rt::Control& picture = window()[W::Page];
        const double dpi = dotsPerInchFor(zoomChoice_, queue_.setup(), viewportOf(picture));
        picture.setProperty(rt::prop::PictureFile, pictures_.render(shownPage_, queue_.setup(), dpi));
    }

    void zoomTo(int choice)
    {
        if (choice == zoomChoice_)
            return;
        zoomChoice_ = choice;
        showPicture();
    }

    void goToTypedPage()
    {
        const std::string_view typed = text::trim(pageText_);
        std::size_t number = 0;
        const auto [end, ec] = std::from_chars(typed.data(), typed.data() + typed.size(), number);
        if (ec == std::errc() && end == typed.data() + typed.size() && number >= 1 && number <= queue_.size()) {
            show(number - 1);
            return;
        }
        rt::beep();
        pageText_ = std::to_string(page_ + 1);
        window()[W::PageNumber].display();
    }

    void saveAsPdf()
    {
        rt::FileDialogSpec spec;
        spec.title = "Save as PDF";
        spec.fileName = (title_.empty() ? std::string("Report") : title_) + ".pdf";
        spec.filter = "PDF files|*.pdf|All files|*.*";
        spec.save = true;
        // The save dialog itself asks before it replaces a file.
        if (!rt::fileDialog(spec))
            return;
        std::string error;
        if (!writePdf(queue_, spec.fileName, title_, error))
            rt::message(error, "Save as PDF", rt::Icon::Exclamation);
    }

    const PageQueue& queue_;
    int zoomChoice_;
    std::string title_;
    fw::ControlResizer resizer_;
    PagePictures pictures_;
    std::size_t page_ = 0;
    Page shownPage_;
    std::string pageText_;
};

std::string replaced(std::string text, std::string_view mark, const std::string& by)
{
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    return text;
}

} // namespace

int PRINTPREVIEW(const PageQueue& queue, int initialZoom, std::string_view /*iniFile*/, std::string_view title,
    int /*options*/, int /*lastOption*/)
{
    registerResources();
    PreviewWindow window(queue, initialZoom, std::string(title));
    return window.Execute() == 1 ? 1 : 0;
}

int ASSGNPGOFPG(PageQueue& queue)
{
    const std::string count = std::to_string(queue.size());
    std::vector<Page> pages;
    pages.reserve(queue.size());
    int changed = 0;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        Page page = queue.page(i);
        const std::string number = std::to_string(i + 1);
        for (DrawStep& step : page.steps) {
            if (step.kind != DrawStep::Kind::Text)
                continue;
            // The count first: the number's mark is the start of the count's.
            std::string text = replaced(replaced(step.text, kPageCountMark, count), kPageNumberMark, number);
            if (text != step.text) {
                step.text = std::move(text);
                ++changed;
            }
        }
        pages.push_back(std::move(page));
    }
    queue.clear();
    for (Page& page : pages)
        queue.addPage(std::move(page));
    return changed;
}

} // namespace qv::report
