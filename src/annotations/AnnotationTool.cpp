#include "AnnotationTool.h"

#include <QFontDatabase>

namespace zepla::annotations {

namespace {

template <class E, std::size_t N> QString pick(E value, const std::array<const char*, N>& texts) {
    return QString::fromUtf8(texts[std::size_t(value)]);
}

} // namespace

QString rawValue(AnnotationTool tool) {
    return pick(tool, std::array{"select", "ink", "rectangle", "oval", "line", "textBox", "note", "eraser",
                                 "signature", "redact", "form"});
}
QString rawValue(MarkupAction action) {
    return pick(action, std::array{"highlight", "underline", "strikethrough"});
}
QString rawValue(EraserMode mode) {
    return pick(mode, std::array{"wholeStroke", "precise"});
}
QString rawValue(FormFieldMode mode) {
    return pick(mode, std::array{"text", "checkbox"});
}
QString rawValue(AnnotationFont font) {
    return pick(font, std::array{"system", "serif", "mono", "rounded", "marker"});
}
QString rawValue(LineEndStyle style) {
    return pick(style, std::array{"none", "square", "circle", "diamond", "openArrow", "closedArrow"});
}

QString label(AnnotationTool tool) {
    return pick(tool, std::array{"Select", "Draw", "Rectangle", "Oval", "Line", "Text Box", "Note", "Eraser",
                                 "Sign", "Redact", "Form Field"});
}
QString label(MarkupAction action) {
    const QString raw = rawValue(action);
    return raw.left(1).toUpper() + raw.mid(1);
}
QString label(EraserMode mode) {
    return pick(mode, std::array{"Line", "Precise"});
}
QString label(FormFieldMode mode) {
    return pick(mode, std::array{"Text Field", "Checkbox"});
}
QString label(AnnotationFont font) {
    return pick(font, std::array{"Sans", "Serif", "Mono", "Rounded", "Handwritten"});
}

QString symbolName(AnnotationTool tool) {
    return pick(tool, std::array{"cursorarrow", "pencil.tip", "rectangle", "circle", "line.diagonal",
                                 "textformat", "note.text", "eraser", "signature", "eye.slash", "checklist"});
}
QString symbolName(MarkupAction action) {
    return pick(action, std::array{"highlighter", "underline", "strikethrough"});
}

QChar shortcutKey(AnnotationTool tool) {
    return pick(tool, std::array{"1", "2", "3", "4", "5", "6", "7", "8", "9", "r", "f"})[0];
}
QChar shortcutKey(MarkupAction action) {
    return pick(action, std::array{"h", "u", "x"})[0];
}

QString subtype(MarkupAction action) {
    return pick(action, std::array{"Highlight", "Underline", "StrikeOut"});
}

namespace {

QFont systemFont(qreal pointSize, QFont::Weight weight) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPointSizeF(pointSize);
    f.setWeight(weight);
    return f;
}

// A face of the family when the font database has it; the system font otherwise.
QFont familyOrSystem(const QString& family, qreal pointSize, QFont::Weight weight) {
    if (!QFontDatabase::hasFamily(family))
        return systemFont(pointSize, weight);
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setWeight(weight);
    return f;
}

} // namespace

QFont font(AnnotationFont font, qreal pointSize, QFont::Weight weight) {
    switch (font) {
    case AnnotationFont::system:
        return systemFont(pointSize, weight);
    case AnnotationFont::serif:
        return familyOrSystem(QStringLiteral("Noto Serif"), pointSize, weight);
    case AnnotationFont::mono: {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSizeF(pointSize);
        f.setWeight(weight);
        return f;
    }
    // No rounded design ships with the desktop fonts; the plain system font stands in, as for a missing face.
    case AnnotationFont::rounded:
        return systemFont(pointSize, weight);
    case AnnotationFont::marker:
        if (!QFontDatabase::hasFamily(QStringLiteral("Comic Neue")))
            return systemFont(pointSize, weight);
        return familyOrSystem(QStringLiteral("Comic Neue"), pointSize, QFont::Bold);
    }
    return systemFont(pointSize, weight);
}

} // namespace zepla::annotations
