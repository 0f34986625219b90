// Formula objects of answer text: their room in a line and their drawing.
#include "ui/markdown/InlineFormulaObject.h"

#include "ui/markdown/MathImageRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <QUrl>

#include <cmath>

namespace zepla::ui::InlineFormulaObject {

namespace {

enum Property {
    imageName = QTextFormat::UserProperty + 1,
    objectWidth,
    objectHeight,
};

// A font whose x-height is at least `xHeight` pixels and as small as that allows. Qt's text layout gives an
// inline object aligned to the middle the ascent (height + x-height / 2) / 2 in its format's font and the
// rest of its height as descent, and nothing else lets an object reach below the baseline; the object draws
// nothing with the font.
QFont fontWithXHeight(int xHeight) {
    static QHash<int, QFont> fonts;
    if (const auto found = fonts.constFind(xHeight); found != fonts.cend())
        return *found;
    QFont font;
    int low = 1, high = std::max(8, 4 * xHeight + 8);
    while (low < high) {
        const int middle = (low + high) / 2;
        font.setPixelSize(middle);
        if (QFontMetrics(font).xHeight() < xHeight)
            low = middle + 1;
        else
            high = middle;
    }
    font.setPixelSize(low);
    fonts.insert(xHeight, font);
    return font;
}

class FormulaHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        return {format.doubleProperty(objectWidth), format.doubleProperty(objectHeight)};
    }

    // Qt draws an object aligned to the middle centred in its line's height, so the line, found by the
    // object's position, tells where the baseline is. It is rounded to a device pixel as the glyphs' is,
    // and the image's baseline put on it.
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override {
        const QImage image = InlineFormulaObject::image(*document, format);
        const QTextBlock block = document->findBlock(position);
        const QTextLine line =
            block.layout() ? block.layout()->lineForTextPosition(position - block.position()) : QTextLine();
        if (image.isNull() || !line.isValid())
            return;
        const qreal lineHeight = line.ascent() + line.descent() +
                                 (line.leadingIncluded() ? std::max<qreal>(line.leading(), 0) : 0);
        const qreal lineTop = rect.top() - (lineHeight - rect.height()) / 2;
        const QTransform toDevice = painter->deviceTransform();
        const QPointF baseline = toDevice.map(QPointF(rect.left(), lineTop + line.ascent()));
        const QPointF topLeft(std::round(baseline.x()),
                              std::round(baseline.y()) - std::round(MathImageRenderer::baselineRow(image)));
        painter->drawImage(toDevice.inverted().map(topLeft), image);
    }
};

} // namespace

void install(QTextDocument& document) {
    document.documentLayout()->registerHandler(objectType, new FormulaHandler(&document));
}

QTextCharFormat format(const QImage& image, const QString& name) {
    const MathImageRenderer::Box box = MathImageRenderer::typesetBox(image);
    const qreal depth = std::max<qreal>(box.descent, 0);
    // The layout takes the object's height and the x-height of its font; the ascent it gives is the
    // depth plus half that x-height, which must reach the formula's ascent.
    const QFont font = fontWithXHeight(std::max(1, int(std::ceil(2 * (box.ascent - depth)))));
    const qreal halfXHeight = QFontMetrics(font).xHeight() / 2.0;
    QTextCharFormat format;
    format.setObjectType(objectType);
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    format.setProperty(imageName, name);
    format.setProperty(objectWidth, image.deviceIndependentSize().width());
    format.setProperty(objectHeight, 2 * depth + halfXHeight);
    return format;
}

qreal width(const QTextFormat& format) {
    return format.doubleProperty(objectWidth);
}

QImage image(const QTextDocument& document, const QTextFormat& format) {
    if (format.objectType() != objectType)
        return {};
    return document.resource(QTextDocument::ImageResource, QUrl(format.stringProperty(imageName)))
        .value<QImage>();
}

} // namespace zepla::ui::InlineFormulaObject

#include "InlineFormulaObject.moc"
