// Fonts and colours of rendered answers.
#include "ui/markdown/MarkdownFonts.h"

#include "ui/theme/Colors.h"

#include <QFontInfo>

#include <cmath>

namespace zepla::ui::MarkdownFonts {

namespace {

QFont sized(QFont font, qreal pixels, QFont::Weight weight = QFont::Normal) {
    font.setPixelSize(int(std::ceil(pixels)));
    font.setWeight(weight);
    return font;
}

// Through fontconfig's "monospace" alias (DejaVu Sans Mono or Noto Mono here); the platform theme's fixed
// font is not always fixed-pitch.
QFont monospaceFont() {
    QFont font(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QFont monospace(qreal pixels) {
    return sized(monospaceFont(), pixels);
}

} // namespace

QFont body() {
    return sized(QFont(), 14.5);
}

qreal headingSize(int level) {
    return level == 1 ? 18 : level == 2 ? 16 : 15;
}

QFont heading(int level) {
    return sized(QFont(), headingSize(level), QFont::DemiBold);
}

QFont tableHeader() {
    return sized(QFont(), 13.5, QFont::DemiBold);
}

QFont code() {
    return monospace(13);
}

QFont equationSource() {
    return monospace(14);
}

QString monospaceFamily() {
    return QFontInfo(monospaceFont()).family();
}

QColor linkColor() {
    return Color::systemBlue();
}

} // namespace zepla::ui::MarkdownFonts
