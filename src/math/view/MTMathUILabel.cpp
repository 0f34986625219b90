// The formula view.
#include "view/MTMathUILabel.h"

#include "fonts/MTFontManager.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QPainter>

#include <cmath>

namespace zepla::math {

MTMathUILabel::MTMathUILabel(QWidget* parent) : QWidget(parent) {
    setMathFont(MTFontManager::manager()->font(QStringLiteral("latinmodern-math"), kDefaultFontSize));
    m_errorLabel = new MTLabel(this);
    m_errorLabel->hide();
    QPalette palette = m_errorLabel->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    m_errorLabel->setPalette(palette);
}

void MTMathUILabel::setMathList(MTMathListPtr mathList) {
    m_mathList = std::move(mathList);
    m_error.reset();
    m_latex = MTMathListBuilder::mathListToString(m_mathList);
    invalidateIntrinsicSize();
}

void MTMathUILabel::setLatex(const QString& latex) {
    m_latex = latex;
    m_error.reset();
    std::optional<MTParseError> error;
    m_mathList = MTMathListBuilder::build(latex, error);
    if (error) {
        m_mathList = nullptr;
        m_error = error;
        m_errorLabel->setText(error->localizedDescription());
        m_errorLabel->setGeometry(rect());
        m_errorLabel->setVisible(m_displayErrorInline);
    } else {
        m_errorLabel->hide();
    }
    invalidateIntrinsicSize();
}

void MTMathUILabel::setMathFont(std::shared_ptr<MTFont> font) {
    if (!font)
        return;
    m_font = std::move(font);
    invalidateIntrinsicSize();
}

void MTMathUILabel::setFontSize(qreal fontSize) {
    m_fontSize = fontSize;
    if (!m_font)
        return;
    m_font = m_font->copyWithSize(fontSize);
    invalidateIntrinsicSize();
}

void MTMathUILabel::setTextColor(const QColor& color) {
    if (!color.isValid())
        return;
    m_textColor = color;
    if (m_displayList)
        m_displayList->setTextColor(color);
    update();
}

void MTMathUILabel::setContentInsets(const MTEdgeInsets& insets) {
    m_contentInsets = insets;
    invalidateIntrinsicSize();
}

void MTMathUILabel::setLabelMode(MTMathUILabelMode mode) {
    m_labelMode = mode;
    invalidateIntrinsicSize();
}

void MTMathUILabel::setTextAlignment(MTTextAlignment alignment) {
    m_textAlignment = alignment;
    invalidateIntrinsicSize();
}

void MTMathUILabel::layoutIfNeeded() {
    if (m_needsLayout)
        layoutSubviews();
}

void MTMathUILabel::layoutSubviews() {
    m_needsLayout = false;
    if (m_mathList) {
        m_displayList = MTTypesetter::createLineForMathList(m_mathList, m_font, currentStyle());
        m_displayList->setTextColor(m_textColor);
        m_displayList->setPosition(
            placedDisplayPosition(*m_displayList, size(), m_contentInsets, m_textAlignment, m_fontSize));
    } else {
        m_displayList = nullptr;
    }
    m_errorLabel->setGeometry(rect());
    update();
}

QSizeF MTMathUILabel::sizeThatFits(QSizeF size) const {
    if (!m_mathList)
        return size;
    const MTMathListDisplayPtr display =
        MTTypesetter::createLineForMathList(m_mathList, m_font, currentStyle());
    return sizeWithInsets(*display, m_contentInsets);
}

QSize MTMathUILabel::sizeHint() const {
    const QSizeF fitting = fittingSize();
    return {int(std::ceil(fitting.width())), int(std::ceil(fitting.height()))};
}

void MTMathUILabel::paintEvent(QPaintEvent*) {
    layoutIfNeeded();
    if (!m_mathList || !m_displayList)
        return;
    QPainter painter(this);
    drawInBox(painter, *m_displayList, height());
}

void MTMathUILabel::resizeEvent(QResizeEvent*) {
    setNeedsLayout();
}

void MTMathUILabel::setNeedsLayout() {
    m_needsLayout = true;
    update();
}

void MTMathUILabel::invalidateIntrinsicSize() {
    updateGeometry();
    setNeedsLayout();
}

} // namespace zepla::math
