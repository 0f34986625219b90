#include "ui/theme/Symbols.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <map>

namespace zepla::ui::Symbols {

namespace {

// GNOME's symbolic icons first; KDE's Breeze icons where GNOME has nothing close.
QString adwaita(const char* category, const char* name) {
    return QStringLiteral("icons/Adwaita/scalable/%1/%2-symbolic.svg")
        .arg(QLatin1String(category), QLatin1String(name));
}
QString breeze(const char* name) {
    return QStringLiteral("icons/breeze/actions/16/%1.svg").arg(QLatin1String(name));
}
// Drawn by the application itself, from its resources, where no installed theme draws a symbol recognisably.
QString drawn(const char* name) {
    return QStringLiteral(":/zepla/symbols/%1.svg").arg(QLatin1String(name));
}

const std::map<QString, Source>& table() {
    static const std::map<QString, Source> entries{
        {"arrow.clockwise", {adwaita("actions", "view-refresh")}},
        {"arrow.up", {adwaita("actions", "go-up")}},
        {"arrow.up.left.and.down.right.magnifyingglass", {adwaita("actions", "zoom-fit-best")}},
        {"character.cursor.ibeam", {breeze("edit-select-text")}},
        {"checklist", {drawn("form-field"), drawn("form-field.bold")}},
        {"checkmark", {adwaita("actions", "object-select")}},
        {"checkmark.circle.fill", {adwaita("emblems", "emblem-ok")}},
        {"chevron.down", {adwaita("ui", "pan-down")}},
        {"chevron.up", {adwaita("ui", "pan-up")}},
        {"circle", {drawn("oval"), drawn("oval.bold")}},
        {"clock.arrow.circlepath", {adwaita("actions", "document-open-recent")}},
        {"cursorarrow", {breeze("pointer")}},
        {"doc.badge.plus", {adwaita("actions", "document-new")}},
        {"doc.on.doc", {adwaita("actions", "edit-copy")}},
        {"doc.text.fill", {adwaita("mimetypes", "text-x-generic")}},
        {"ellipsis", {adwaita("actions", "view-more-horizontal")}},
        {"ellipsis.circle", {adwaita("actions", "view-more")}},
        {"eraser", {breeze("draw-eraser")}},
        {"exclamationmark.triangle.fill", {adwaita("status", "dialog-warning")}},
        {"eye.slash", {adwaita("actions", "view-conceal")}},
        {"gearshape", {adwaita("emblems", "emblem-system")}},
        {"hand.thumbsdown", {drawn("hand.thumbsdown")}},
        {"hand.thumbsup", {drawn("hand.thumbsup")}},
        {"highlighter", {breeze("draw-highlight")}},
        {"info.circle", {adwaita("actions", "help-about")}},
        {"line.diagonal", {breeze("draw-line")}},
        {"lock.doc", {adwaita("status", "changes-prevent")}},
        {"minus.magnifyingglass", {adwaita("actions", "zoom-out")}},
        {"note.text", {breeze("view-pim-notes")}},
        {"paperclip", {adwaita("status", "mail-attachment")}},
        {"pencil.tip", {breeze("draw-freehand")}},
        {"plus", {adwaita("actions", "list-add")}},
        {"plus.magnifyingglass", {adwaita("actions", "zoom-in")}},
        {"questionmark.doc", {adwaita("status", "dialog-question")}},
        {"rectangle", {drawn("rectangle"), drawn("rectangle.bold")}},
        {"sidebar.left", {adwaita("actions", "sidebar-show")}},
        {"signature", {breeze("document-sign")}},
        {"sparkles", {breeze("tools-wizard")}},
        {"speaker.wave.2", {adwaita("status", "audio-volume-medium")}},
        {"square.and.arrow.up", {adwaita("actions", "send-to")}},
        {"square.and.pencil", {adwaita("actions", "document-edit")}},
        {"square.grid.2x2", {adwaita("actions", "view-app-grid")}},
        {"strikethrough", {adwaita("actions", "format-text-strikethrough")}},
        {"text.magnifyingglass", {adwaita("actions", "edit-find")}},
        {"text.viewfinder", {breeze("document-scan")}},
        {"textformat", {breeze("draw-text")}},
        {"trash", {adwaita("places", "user-trash")}},
        {"underline", {adwaita("actions", "format-text-underline")}},
        {"xmark", {adwaita("ui", "window-close")}},
        {"xmark.circle.fill", {breeze("dialog-close")}},
    };
    return entries;
}

// Drawn when a name or its file is missing, so that a control never ends up blank.
void drawStandIn(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal unit = box.width() / 16.0;
    QPen pen(colour, 1.2 * unit, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(unit, unit, -unit, -unit), 2 * unit, 2 * unit);
    QFont font;
    font.setPixelSize(qMax(1, int(10 * unit)));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
}

// The symbol's coverage, `pixels` square: every drawn pixel in opaque black, as much of it as the drawing
// covers, so that any colour can be laid on it.
QImage renderCoverage(const QString& name, int pixels, bool filled) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const Source entry = source(name);
    const QString relative = filled && !entry.filled.isEmpty() ? entry.filled : entry.plain;
    const QString path = relative.isEmpty() ? QString() : locate(relative);
    QSvgRenderer svg(path);
    if (path.isEmpty() || !svg.isValid()) {
        drawStandIn(painter, QRectF(0, 0, pixels, pixels), Qt::black);
    } else {
        QSizeF size = svg.defaultSize();
        size.scale(pixels, pixels, Qt::KeepAspectRatio);
        svg.render(&painter, QRectF((pixels - size.width()) / 2, (pixels - size.height()) / 2, size.width(),
                                    size.height()));
        // The themes' own colours go: every drawn pixel keeps only its coverage.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), Qt::black);
    }
    painter.end();
    // An image painted on keeps its paint engine for as long as it lives; the cache keeps a plain copy.
    return image.copy();
}

// The coverage in `colour`, as drawing the colour over the coverage alone would give.
QImage tinted(const QImage& coverage, const QColor& colour) {
    QImage image(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb rgb = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            to[x] = qPremultiply(
                qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), qAlpha(from[x]) * colour.alpha() / 255));
    }
    return image;
}

} // namespace

QStringList names() {
    QStringList all;
    for (const auto& entry : table())
        all << entry.first;
    return all;
}

bool isKnown(const QString& name) {
    return table().count(name) > 0;
}

Source source(const QString& name) {
    const auto found = table().find(name);
    return found == table().end() ? Source{} : found->second;
}

QString locate(const QString& relativePath) {
    if (relativePath.startsWith(QLatin1String(":/")))
        return QFile::exists(relativePath) ? relativePath : QString();
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, relativePath);
}

QPixmap pixmap(const QString& name, int size, const QColor& colour, bool filled, qreal devicePixelRatio) {
    // Keyed without the colour: controls fade theirs in and out, and a cache of every shade they pass
    // through would grow without end.
    static QHash<QString, QImage> coverages;
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    const QString key = QStringLiteral("%1|%2|%3").arg(name).arg(pixels).arg(filled);
    QImage coverage = coverages.value(key);
    if (coverage.isNull()) {
        coverage = renderCoverage(name, pixels, filled);
        coverages.insert(key, coverage);
    }
    QPixmap result = QPixmap::fromImage(tinted(coverage, colour));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon icon(const QString& name, const QColor& colour, bool filled) {
    QIcon result;
    for (const int size : {16, 22, 24, 32})
        result.addPixmap(pixmap(name, size, colour, filled));
    return result;
}

} // namespace zepla::ui::Symbols
