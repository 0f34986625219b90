// The formula view: parses LaTeX, lays it out at its font and size, places it by alignment and insets and
// draws it in its colour; a formula that does not parse shows the parser's message in red instead.
#pragma once

#include "display/MTMathListDisplay.h"
#include "fonts/MTFont.h"
#include "mathlist/MTMathList.h"
#include "mathlist/MTParseError.h"
#include "view/MTLabel.h"
#include "view/MTLabelLayout.h"

#include <QColor>
#include <QWidget>

#include <memory>
#include <optional>

namespace zepla::math {

// Coordinates of the formula grow upward from the view's bottom-left corner, as the display tree expects;
// one point is one logical pixel. Layout is redone on the next paint or layoutIfNeeded() after any change
// of formula, font, size, mode, alignment or insets; a colour change applies at once.
class MTMathUILabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString latex READ latex WRITE setLatex)
    Q_PROPERTY(qreal fontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)

public:
    static constexpr qreal kDefaultFontSize = 20;

    explicit MTMathUILabel(QWidget* parent = nullptr);

    const MTMathListPtr& mathList() const { return m_mathList; }
    // Shows a ready list; its LaTeX becomes the writer's text of it. The error text keeps its visibility.
    void setMathList(MTMathListPtr mathList);

    const QString& latex() const { return m_latex; }
    // Parses the text: a list to show, or an error kept in error() and shown when displayErrorInline().
    void setLatex(const QString& latex);

    const std::optional<MTParseError>& error() const { return m_error; }

    bool displayErrorInline() const { return m_displayErrorInline; }
    // Takes effect at the next setLatex().
    void setDisplayErrorInline(bool displayErrorInline) { m_displayErrorInline = displayErrorInline; }

    // The math font (QWidget's own font() is the widget's text font). None is ignored; the size stays.
    const std::shared_ptr<MTFont>& mathFont() const { return m_font; }
    void setMathFont(std::shared_ptr<MTFont> font);

    qreal fontSize() const { return m_fontSize; }
    // The math font is replaced by its copy at that size.
    void setFontSize(qreal fontSize);

    QColor textColor() const { return m_textColor; }
    // An invalid colour is ignored.
    void setTextColor(const QColor& color);

    const MTEdgeInsets& contentInsets() const { return m_contentInsets; }
    void setContentInsets(const MTEdgeInsets& insets);

    MTMathUILabelMode labelMode() const { return m_labelMode; }
    void setLabelMode(MTMathUILabelMode mode);

    MTTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(MTTextAlignment alignment);

    // The laid-out formula of the last layout pass; none without a list.
    const MTMathListDisplayPtr& displayList() const { return m_displayList; }
    MTLineStyle currentStyle() const { return lineStyleForMode(m_labelMode); }
    MTLabel* errorLabel() const { return m_errorLabel; }

    // Runs the pending layout pass now.
    void layoutIfNeeded();
    // The formula's box plus the insets; the given size unchanged without a list.
    QSizeF sizeThatFits(QSizeF size) const;
    // sizeThatFits of the zero size.
    QSizeF fittingSize() const { return sizeThatFits(QSizeF(0, 0)); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutSubviews();
    void setNeedsLayout();
    void invalidateIntrinsicSize();

    MTMathListPtr m_mathList;
    QString m_latex;
    std::optional<MTParseError> m_error;
    bool m_displayErrorInline = true;
    std::shared_ptr<MTFont> m_font;
    qreal m_fontSize = kDefaultFontSize;
    QColor m_textColor = Qt::black;
    MTEdgeInsets m_contentInsets;
    MTMathUILabelMode m_labelMode = MTMathUILabelMode::display;
    MTTextAlignment m_textAlignment = MTTextAlignment::left;
    MTMathListDisplayPtr m_displayList;
    MTLabel* m_errorLabel = nullptr;
    bool m_needsLayout = true;
};

} // namespace zepla::math
