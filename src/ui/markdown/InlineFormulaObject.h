// Formulas in running text as objects of a text document that stand on the text's baseline by their own:
// the line is given the formula's typeset height above and depth below its baseline, and the image is drawn
// with the formula's baseline on the line's, on the device's pixel grid as the line's glyphs are.
#pragma once

#include <QImage>
#include <QTextCharFormat>
#include <QTextDocument>

namespace zepla::ui::InlineFormulaObject {

inline constexpr int objectType = QTextFormat::UserObject + 1;

// Lets `document` lay out and draw formula objects; once per document, before it is first laid out.
void install(QTextDocument& document);

// The format of a formula whose image, a formula image of MathImageRenderer, is the document's image
// resource `name`.
QTextCharFormat format(const QImage& image, const QString& name);

// The width the formula takes in its line.
qreal width(const QTextFormat& format);
// The formula's image among the document's resources; a null image for a format that is no formula's.
QImage image(const QTextDocument& document, const QTextFormat& format);

} // namespace zepla::ui::InlineFormulaObject
