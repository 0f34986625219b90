#include "FreeTextAnnotation.h"

#include "AnnotationTool.h"
#include "TextLayout.h"
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"
#include "pdf/PageTurn.h"

namespace zepla::annotations {

QFont FreeTextAnnotation::effectiveFont() const {
    return font ? *font : annotations::font(AnnotationFont::system, 16);
}

QString FreeTextAnnotation::effectiveFontFile() const {
    const QFont f = effectiveFont();
    return platform::fontFileFor(f.family(), f.weight());
}

QRectF FreeTextAnnotation::fittingBounds() const {
    const QFont f = effectiveFont();
    const QSizeF text = naturalTextSize(contents, effectiveFontFile(), f.pointSizeF());
    // The text's box inside the annotation, plus a little so that rounding never breaks the last word.
    const QRectF box = pdf::uprightRect(bounds, pageRotation);
    const qreal width = std::max(box.width(), text.width() + 2 * textInset.width() + 1);
    const qreal height = std::max(box.height(), text.height() + 2 * textInset.height());
    return pdf::pageRectFromUpright(QRectF(box.left(), box.bottom() - height, width, height), pageRotation);
}

Appearance FreeTextAnnotation::appearance() const {
    Appearance a = Appearance::upright(bounds, pageRotation);
    if (contents.isEmpty())
        return a;
    for (const TextRun& run : layoutText(contents, effectiveFontFile(), effectiveFont().pointSizeF(),
                                         fontColor.value_or(Qt::black),
                                         a.bbox().adjusted(textInset.width(), textInset.height(),
                                                           -textInset.width(), -textInset.height())))
        a.text(run);
    return a;
}

pdf::ObjectValue::Entries FreeTextAnnotation::entries() const {
    auto e = Annotation::entries();
    // What readers that lay the text out themselves need: the face, size and colour in a default appearance.
    const QColor c = fontColor.value_or(Qt::black);
    const QString da = QStringLiteral("/%1 %2 Tf %3 %4 %5 rg")
                           .arg(QString::fromLatin1(pdf::postScriptName(effectiveFontFile())))
                           .arg(effectiveFont().pointSizeF())
                           .arg(c.redF(), 0, 'f', 3)
                           .arg(c.greenF(), 0, 'f', 3)
                           .arg(c.blueF(), 0, 'f', 3);
    e.emplace_back("DA", pdf::ObjectValue::text(da));
    return e;
}

} // namespace zepla::annotations
