#include "mathlist/MTEnums.h"

namespace zepla::math {

std::optional<MTMathAtomType> mathAtomTypeFromRaw(int raw) {
    if ((raw >= 1 && raw <= 17) || raw == 101 || (raw >= 201 && raw <= 205) || raw == 1001)
        return static_cast<MTMathAtomType>(raw);
    return std::nullopt;
}

QString description(MTMathAtomType type) {
    switch (type) {
    case MTMathAtomType::ordinary: return QStringLiteral("Ordinary");
    case MTMathAtomType::number: return QStringLiteral("Number");
    case MTMathAtomType::variable: return QStringLiteral("Variable");
    case MTMathAtomType::largeOperator: return QStringLiteral("Large Operator");
    case MTMathAtomType::binaryOperator: return QStringLiteral("Binary Operator");
    case MTMathAtomType::unaryOperator: return QStringLiteral("Unary Operator");
    case MTMathAtomType::relation: return QStringLiteral("Relation");
    case MTMathAtomType::open: return QStringLiteral("Open");
    case MTMathAtomType::close: return QStringLiteral("Close");
    case MTMathAtomType::fraction: return QStringLiteral("Fraction");
    case MTMathAtomType::radical: return QStringLiteral("Radical");
    case MTMathAtomType::punctuation: return QStringLiteral("Punctuation");
    case MTMathAtomType::placeholder: return QStringLiteral("Placeholder");
    case MTMathAtomType::inner: return QStringLiteral("Inner");
    case MTMathAtomType::underline: return QStringLiteral("Underline");
    case MTMathAtomType::overline: return QStringLiteral("Overline");
    case MTMathAtomType::accent: return QStringLiteral("Accent");
    case MTMathAtomType::boundary: return QStringLiteral("Boundary");
    case MTMathAtomType::space: return QStringLiteral("Space");
    case MTMathAtomType::style: return QStringLiteral("Style");
    case MTMathAtomType::color: return QStringLiteral("Color");
    case MTMathAtomType::textcolor: return QStringLiteral("TextColor");
    case MTMathAtomType::colorBox: return QStringLiteral("Colorbox");
    case MTMathAtomType::table: return QStringLiteral("Table");
    }
    return QString();
}

std::optional<MTFontStyle> fontStyleFromRaw(int raw) {
    if (raw >= 0 && raw <= 9)
        return static_cast<MTFontStyle>(raw);
    return std::nullopt;
}

std::optional<MTLineStyle> lineStyleFromRaw(int raw) {
    if (raw >= 0 && raw <= 3)
        return static_cast<MTLineStyle>(raw);
    return std::nullopt;
}

} // namespace zepla::math
