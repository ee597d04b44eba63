#include "platform/report/render.h"

#include <QPainter>
#include <QPen>
#include <QTextOption>

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

void drawText(QPainter& painter, const Page& page, const DrawStep& step)
{
    painter.setFont(step.font < page.fonts.size() ? qtFont(page.fonts[step.font]) : qtFont(FontSpec{}));
    painter.setPen(colourOf(step.colour));
    const QString text = QString::fromStdString(step.text);
    QTextOption option(alignmentOf(step.align) | Qt::AlignTop);
    option.setWrapMode(step.wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    painter.save();
    painter.translate(step.x, step.y);
    if (step.angle != 0)
        painter.rotate(-step.angle / 10.0);
    // A width of 0 is the text's natural size; a height of 0 one line.
    const qreal width = step.width > 0 ? step.width : painter.fontMetrics().horizontalAdvance(text) + 1;
    const qreal height = step.height > 0 ? step.height : painter.fontMetrics().height();
    painter.setClipRect(
        QRectF(0, 0, width, step.wrap ? height : std::max<qreal>(height, painter.fontMetrics().height())));
    painter.drawText(QRectF(0, 0, width, height), text, option);
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
    const FontSpec font = step.font < page.fonts.size() ? page.fonts[step.font] : FontSpec{};
    const qreal side = lineHeight(font) * 0.7;
    const QRectF box(step.x, step.y + (lineHeight(font) - side) / 2, side, side);
    painter.setPen(QPen(colourOf(step.colour), 10));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    if (step.checked) {
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
    }
    DrawStep caption = step;
    caption.x += static_cast<int>(side * 1.5);
    caption.width = step.width > 0 ? std::max(0, step.width - static_cast<int>(side * 1.5)) : 0;
    drawText(painter, page, caption);
}

void drawImage(QPainter& painter, const DrawStep& step)
{
    const QImage image(QString::fromStdString(rt::resolvePath(step.text)));
    if (image.isNull())
        return;
    const QRectF target(
        step.x, step.y, step.width > 0 ? step.width : image.width(), step.height > 0 ? step.height : image.height());
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
