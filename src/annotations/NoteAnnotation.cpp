#include "NoteAnnotation.h"

#include "AnnotationTool.h"
#include "AppearanceStream.h"
#include "TextLayout.h"
#include "core/FontFiles.h"
#include "pdf/PageTurn.h"

namespace zepla::annotations {

namespace {

constexpr qreal cornerRadius = 4;
constexpr qreal shadowOffset = 3;
constexpr qreal bandHeight = 7;
constexpr qreal textSize = 13;
constexpr int noRotateFlag = 16;

QColor shadowColor() {
    return QColor::fromRgbF(0.16863f, 0.15294f, 0.11765f, 0.16f);
}

QPainterPath roundedRect(const QRectF& r) {
    QPainterPath path;
    path.addRoundedRect(r, cornerRadius, cornerRadius);
    return path;
}

// The card inside the note's upright box: room is left on the right and at the bottom for the shadow.
QRectF cardIn(const QRectF& b) {
    return QRectF(b.left(), b.top() + shadowOffset, b.width() - shadowOffset, b.height() - shadowOffset);
}

// The band's upper corners follow the card's rounding; its lower edge is straight. Page space is y-up, so
// an angle θ is drawn with Qt's angle −θ.
QPainterPath bandPath(const QRectF& card) {
    const qreal minX = card.left(), maxX = card.right(), maxY = card.bottom();
    const qreal bandBottom = maxY - bandHeight;
    const qreal d = 2 * cornerRadius;
    QPainterPath path;
    path.moveTo(minX, bandBottom);
    path.lineTo(minX, maxY - cornerRadius);
    path.arcTo(QRectF(minX, maxY - d, d, d), -180, 90);
    path.lineTo(maxX - cornerRadius, maxY);
    path.arcTo(QRectF(maxX - d, maxY - d, d, d), -90, 90);
    path.lineTo(maxX, bandBottom);
    path.closeSubpath();
    return path;
}

// Asking the font database is slow next to drawing a note; the answer does not change while we run.
const QString& handwritingFile() {
    static const QString file = [] {
        const QFont face = font(AnnotationFont::marker, textSize, QFont::Medium);
        return platform::fontFileFor(face.family(), face.weight());
    }();
    return file;
}

} // namespace

QColor NoteAnnotation::paperCream() {
    return QColor::fromRgbF(1.0f, 0.99216f, 0.96863f);
}
QColor NoteAnnotation::ink() {
    return QColor::fromRgbF(0.16471f, 0.15294f, 0.14118f);
}

QRectF NoteAnnotation::cardOnPage() const {
    return pdf::pageRectFromUpright(cardIn(pdf::uprightRect(bounds, pageRotation)), pageRotation);
}

Appearance NoteAnnotation::appearance() const {
    Appearance a = Appearance::upright(bounds, pageRotation);
    const QRectF card = cardIn(a.bbox());
    a.fill(roundedRect(card.translated(shadowOffset, -shadowOffset)), shadowColor());
    a.fill(roundedRect(card), paperCream());
    a.stroke(roundedRect(card), ink(), StrokeStyle{1.2});
    QColor band = color.isValid() ? color : QColor(Qt::yellow);
    band.setAlphaF(0.85f);
    a.fill(bandPath(card), band);
    if (!contents.isEmpty()) {
        // Inset, moved down, and kept clear of the band.
        QRectF textBox = card.adjusted(10, 6, -10, -6).translated(0, -3.5);
        textBox.setHeight(textBox.height() - bandHeight);
        for (const TextRun& run : layoutText(contents, handwritingFile(), textSize, ink(), textBox))
            a.text(run);
    }
    return a;
}

pdf::ObjectValue::Entries NoteAnnotation::placement(const QRectF& shownBox, int pageRotation) {
    return {{"Rect", rectValue(pdf::noRotateRect(shownBox, pageRotation))}};
}

pdf::ObjectValue::Entries NoteAnnotation::entries() const {
    auto e = Annotation::entries();
    for (auto& [key, value] : e) {
        if (key == "Rect")
            value = placement(bounds, pageRotation).front().second;
        else if (key == "F")
            value = int(value.number()) | noRotateFlag;
    }
    e.emplace_back("Name", pdf::ObjectValue::name("Comment"));
    e.emplace_back("Open", false);
    return e;
}

// The file's picture is the upright one, unturned: readers turn it themselves.
pdf::AppearanceStates NoteAnnotation::appearanceStates() const {
    const Appearance look = appearance();
    pdf::AppearanceStream stream = appearanceStream(look);
    const QRectF rect = pdf::noRotateRect(bounds, pageRotation);
    stream.matrix =
        QTransform::fromTranslate(rect.left() - look.bbox().left(), rect.top() - look.bbox().top());
    return {{QByteArray(), stream}};
}

} // namespace zepla::annotations
