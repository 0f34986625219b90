// The cursor of each tool: the arrow, a crosshair for the shape tools, and small badges (a symbol or a
// letter with a white glow) whose hot spot sits where the tool acts.
#include "AnnotatingPDFView.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QStandardPaths>

namespace zepla::pdfview {

namespace {

// Draws a glyph on a transparent image with a soft white halo, so the badge reads on any page.
QCursor badge(QSize size, QPoint hotSpot, const std::function<void(QPainter&)>& draw) {
    QImage glyph(size, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    {
        QPainter p(&glyph);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    QImage halo(size, QImage::Format_ARGB32_Premultiplied);
    halo.fill(Qt::transparent);
    {
        QPainter p(&halo);
        p.setOpacity(0.5);
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy)
                p.drawImage(QPoint(dx, dy), glyph);
        }
        p.setOpacity(1);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(halo.rect(), QColor(255, 255, 255, 242));
    }
    QPainter p(&halo);
    p.drawImage(0, 0, glyph);
    p.end();
    return QCursor(QPixmap::fromImage(halo), hotSpot.x(), hotSpot.y());
}

QCursor letterBadge(const QString& letter, QPoint hotSpot) {
    QFont font;
    font.setPixelSize(15);
    font.setBold(true);
    const QSize text = QFontMetrics(font).size(Qt::TextSingleLine, letter);
    const QSize size(text.width() + 8, text.height() + 6);
    return badge(size, hotSpot, [&](QPainter& p) {
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, letter);
    });
}

// The desktop icon that stands for a tool's symbol, in black.
QCursor symbolBadge(const char* iconName, QPoint hotSpot) {
    const QString file = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation, QStringLiteral("icons/breeze/actions/16/%1.svg").arg(iconName));
    const QPixmap symbol = file.isEmpty() ? QPixmap() : QIcon(file).pixmap(15, 15);
    if (symbol.isNull())
        return QCursor(Qt::ArrowCursor);
    const QSize size = symbol.size() + QSize(6, 6);
    return badge(size, hotSpot, [&](QPainter& p) {
        QImage black = symbol.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter tint(&black);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(black.rect(), Qt::black);
        }
        p.drawImage(3, 3, black);
    });
}

} // namespace

QCursor AnnotatingPDFView::cursor(annotations::AnnotationTool tool) {
    using annotations::AnnotationTool;
    switch (tool) {
    case AnnotationTool::select:
        return QCursor(Qt::ArrowCursor);
    case AnnotationTool::ink:
        return symbolBadge("draw-freehand", QPoint(4, 4));
    case AnnotationTool::textBox:
        return letterBadge(QStringLiteral("T"), QPoint(10, 17));
    case AnnotationTool::note:
        return symbolBadge("view-pim-notes", QPoint(4, 17));
    case AnnotationTool::signature:
        return symbolBadge("document-sign", QPoint(4, 17));
    // Over the pages the eraser hides the pointer behind its own circle; elsewhere a crosshair.
    case AnnotationTool::eraser:
    case AnnotationTool::rectangle:
    case AnnotationTool::oval:
    case AnnotationTool::line:
    case AnnotationTool::redact:
    case AnnotationTool::form:
        return QCursor(Qt::CrossCursor);
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace zepla::pdfview
