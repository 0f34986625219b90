// The small enumerations that name the annotation tools and their options, in the order the toolbar shows
// them. Each has a raw value (its case name) from which it can be made back.
#pragma once

#include <QFont>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace zepla::annotations {

enum class AnnotationTool {
    select,
    ink,
    rectangle,
    oval,
    line,
    textBox,
    note,
    eraser,
    signature,
    redact,
    form
};
enum class MarkupAction { highlight, underline, strikethrough };
enum class EraserMode { wholeStroke, precise };
enum class FormFieldMode { text, checkbox };
enum class AnnotationFont { system, serif, mono, rounded, marker };
// The ending drawn at an end of a line; the numbers are the values the line tool's setting is stored as.
enum class LineEndStyle { none = 0, square = 1, circle = 2, diamond = 3, openArrow = 4, closedArrow = 5 };

template <class E> struct EnumCases;
template <> struct EnumCases<AnnotationTool> {
    static constexpr std::array all{AnnotationTool::select, AnnotationTool::ink,    AnnotationTool::rectangle,
                                    AnnotationTool::oval,   AnnotationTool::line,   AnnotationTool::textBox,
                                    AnnotationTool::note,   AnnotationTool::eraser, AnnotationTool::signature,
                                    AnnotationTool::redact, AnnotationTool::form};
};
template <> struct EnumCases<MarkupAction> {
    static constexpr std::array all{MarkupAction::highlight, MarkupAction::underline,
                                    MarkupAction::strikethrough};
};
template <> struct EnumCases<EraserMode> {
    static constexpr std::array all{EraserMode::wholeStroke, EraserMode::precise};
};
template <> struct EnumCases<FormFieldMode> {
    static constexpr std::array all{FormFieldMode::text, FormFieldMode::checkbox};
};
template <> struct EnumCases<AnnotationFont> {
    static constexpr std::array all{AnnotationFont::system, AnnotationFont::serif, AnnotationFont::mono,
                                    AnnotationFont::rounded, AnnotationFont::marker};
};
template <> struct EnumCases<LineEndStyle> {
    static constexpr std::array all{LineEndStyle::none,      LineEndStyle::square,
                                    LineEndStyle::circle,    LineEndStyle::diamond,
                                    LineEndStyle::openArrow, LineEndStyle::closedArrow};
};

// Every case in declaration order.
template <class E> constexpr const auto& allCases() {
    return EnumCases<E>::all;
}

// The case name, which is also the identity of a case.
QString rawValue(AnnotationTool tool);
QString rawValue(MarkupAction action);
QString rawValue(EraserMode mode);
QString rawValue(FormFieldMode mode);
QString rawValue(AnnotationFont font);
QString rawValue(LineEndStyle style);

// The case whose name is exactly `raw` (letter case counts), or none.
template <class E> std::optional<E> fromRawValue(QStringView raw) {
    for (E value : allCases<E>()) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}

// User-visible names.
QString label(AnnotationTool tool);
QString label(MarkupAction action); // the raw value with its first letter capitalised
QString label(EraserMode mode);
QString label(FormFieldMode mode);
QString label(AnnotationFont font);

// Symbol image names of the toolbar buttons and cursor badges.
QString symbolName(AnnotationTool tool);
QString symbolName(MarkupAction action);

// The key the toolbar binds: with Ctrl for tools, with Ctrl+Shift for markups.
QChar shortcutKey(AnnotationTool tool);
QChar shortcutKey(MarkupAction action);

// The PDF subtype of the annotation a markup creates: "Highlight", "Underline" or "StrikeOut".
QString subtype(MarkupAction action);

// The font of new text boxes at a size and weight. The handwriting face is always bold; where a face is
// missing, the system font of the size and weight stands in.
QFont font(AnnotationFont font, qreal pointSize, QFont::Weight weight = QFont::Normal);

} // namespace zepla::annotations
