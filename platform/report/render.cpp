#include "platform/report/render.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QTextOption>
#include <vector>

#include "platform/report/fonts.h"
#include "platform/runtime/paths.h"

namespace qv::report {

namespace {

QColor colourOf(std::int32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QPen penOf(const DrawStep& step)
{
    QPen pen(colourOf(step.colour));
    pen.setWidthF(step.lineWidth > 0 ? step.lineWidth : 1);
    return pen;
}

Qt::Alignment alignmentOf(Align align)
{
    switch (align) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Where a text is laid out once turned: its line runs along the length and
// its lines stack across the thickness.
struct TextFrame {
    QPointF origin;
    qreal turn = 0; // degrees, clockwise as the painter turns
    qreal length = 0;
    qreal thickness = 0;
};

// A step's box is the area the text takes on the page. A text turned by a
// quarter (a label's spine) runs along the box's height: at 90 degrees it
// reads upwards from the box's bottom, at 270 downwards from its top. Other
// angles turn the text about the box's top left corner.
// A step names its font by its place in the page's table.
FontSpec fontOf(const Page& page, const DrawStep& step)
{
    return step.font < page.fonts.size() ? page.fonts[step.font] : FontSpec{};
}

TextFrame frameOf(const DrawStep& step, qreal naturalLength, qreal lineHeight)
{
    const int angle = ((step.angle % 3600) + 3600) % 3600;
    const bool quarter = angle == 900 || angle == 2700;
    const qreal along = quarter ? step.height : step.width;
    const qreal across = quarter ? step.width : step.height;
    TextFrame frame;
    // A length of 0 is the text's natural one; a thickness of 0 one line.
    frame.length = along > 0 ? along : naturalLength + 1;
    frame.thickness = across > 0 ? across : lineHeight;
    frame.turn = -angle / 10.0;
    switch (angle) {
    case 900:
        frame.origin = QPointF(step.x, step.y + frame.length);
        break;
    case 1800:
        frame.origin = QPointF(step.x + frame.length, step.y + frame.thickness);
        break;
    case 2700:
        frame.origin = QPointF(step.x + frame.thickness, step.y);
        break;
    default:
        frame.origin = QPointF(step.x, step.y);
        break;
    }
    return frame;
}

void drawText(QPainter& painter, const Page& page, const DrawStep& step)
{
    painter.setFont(qtFont(fontOf(page, step)));
    painter.setPen(colourOf(step.colour));
    const QString text = QString::fromStdString(step.text);
    const QFontMetricsF metrics(painter.font());
    const TextFrame frame = frameOf(step, metrics.horizontalAdvance(text), metrics.height());
    QTextOption option(alignmentOf(step.align) | Qt::AlignTop);
    option.setWrapMode(step.wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    painter.save();
    painter.translate(frame.origin);
    painter.rotate(frame.turn);
    // A text keeps to its box; a single line is never cut to less than its
    // own height.
    const QRectF box(0, 0, frame.length, frame.thickness);
    painter.setClipRect(step.wrap ? box : QRectF(0, 0, frame.length, std::max(frame.thickness, metrics.height())));
    painter.drawText(box, text, option);
    painter.restore();
}

void drawBox(QPainter& painter, const DrawStep& step)
{
    painter.setPen(step.lineWidth > 0 ? penOf(step) : QPen(Qt::NoPen));
    painter.setBrush(step.fill == kNoColour ? QBrush(Qt::NoBrush) : QBrush(colourOf(step.fill)));
    painter.drawRect(QRectF(step.x, step.y, step.width, step.height));
}

void drawCheck(QPainter& painter, const Page& page, const DrawStep& step)
{
    const int line = lineHeight(fontOf(page, step));
    const qreal side = line * 0.7;
    const QRectF box(step.x, step.y + (line - side) / 2, side, side);
    painter.setPen(QPen(colourOf(step.colour), 10));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    if (step.checked) {
        const QPointF tick[] = {
            {box.left() + side * 0.2, box.top() + side * 0.5},
            {box.left() + side * 0.42, box.top() + side * 0.75},
            {box.left() + side * 0.8, box.top() + side * 0.22},
        };
        painter.drawPolyline(tick, 3);
    }
    // The caption starts a line's height in, so a box measured as a line's
    // height and the caption's width holds the whole caption.
    DrawStep caption = step;
    caption.x += line;
    caption.width = step.width > 0 ? std::max(0, step.width - line) : 0;
    drawText(painter, page, caption);
}

// Pictures without a size of their own on the page keep their size on a
// screen of 96 dots per inch, as they are shown there.
constexpr qreal kPictureDotsPerInch = 96;

// A picture used on many pages (a logo, a label's cover) is read from its
// file once while the file stays as it was.
QImage pictureOf(const std::string& file)
{
    struct Cached {
        QString path;
        QDateTime modified;
        QImage image;
    };
    static std::vector<Cached> cache;
    const QString path = QString::fromStdString(rt::resolvePath(file));
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    for (const Cached& c : cache)
        if (c.path == path && c.modified == info.lastModified())
            return c.image;
    if (cache.size() >= 8)
        cache.erase(cache.begin());
    cache.push_back({path, info.lastModified(), QImage(path)});
    return cache.back().image;
}

void drawImage(QPainter& painter, const DrawStep& step)
{
    const QImage image = pictureOf(step.text);
    if (image.isNull())
        return; // a picture that cannot be read shows nothing
    const qreal scale = 1000.0 / kPictureDotsPerInch;
    const QRectF target(step.x, step.y, step.width > 0 ? step.width : image.width() * scale,
        step.height > 0 ? step.height : image.height() * scale);
    painter.drawImage(target, image);
}

} // namespace

void paintPage(QPainter& painter, const Page& page, double dotsPerInch)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(dotsPerInch / 1000.0, dotsPerInch / 1000.0);
    for (const DrawStep& step : page.steps) {
        switch (step.kind) {
        case DrawStep::Kind::Text:
            drawText(painter, page, step);
            break;
        case DrawStep::Kind::Box:
            drawBox(painter, step);
            break;
        case DrawStep::Kind::Line:
            painter.setPen(penOf(step));
            painter.drawLine(QPointF(step.x, step.y), QPointF(step.x + step.width, step.y + step.height));
            break;
        case DrawStep::Kind::Image:
            drawImage(painter, step);
            break;
        case DrawStep::Kind::Check:
            drawCheck(painter, page, step);
            break;
        }
    }
    painter.restore();
}

QImage pageImage(const Page& page, const PageSetup& setup, double dotsPerInch)
{
    ensureFontSystem();
    const int width = setup.landscape ? setup.height : setup.width;
    const int height = setup.landscape ? setup.width : setup.height;
    QImage image(static_cast<int>(width * dotsPerInch / 1000.0), static_cast<int>(height * dotsPerInch / 1000.0),
        QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = static_cast<int>(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    paintPage(painter, page, dotsPerInch);
    return image;
}

} // namespace qv::report
