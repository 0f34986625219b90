// One block of a rendered answer: a text document that wraps at the widget's width and answers its height
// for any width, drawn over an optional tinted rounded rectangle or beside a quote bar. A line that cannot
// wrap into the width (a formula wider than it) scrolls sideways with a bar under the text, as a wide
// display formula does. Links in it open in
// the desktop's handler when they are http, https or mailto addresses.
#pragma once

#include <QMarginsF>
#include <QScrollBar>
#include <QTextDocument>
#include <QWidget>

#include <memory>

namespace zepla::ui {

// What a text block draws behind or beside its text.
struct BlockDecoration {
    enum class Kind { none, tint, quoteBar };
    Kind kind = Kind::none;
    // tint: the primary colour at this opacity behind the text, in a rounded rectangle of this radius.
    qreal opacity = 0;
    qreal radius = 0;
    // tint: as wide as the text needs rather than the whole width.
    bool hugsText = false;
};

class TextBlockView : public QWidget {
    Q_OBJECT
public:
    using Decoration = BlockDecoration;

    // Takes the document, whose formula objects it lays out and draws; `padding` lies between the widget's
    // edges and the text.
    TextBlockView(std::unique_ptr<QTextDocument> document, QMarginsF padding = {}, Decoration decoration = {},
                  QWidget* parent = nullptr);

    QTextDocument* document() const { return m_document.get(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The link under a point of the widget, empty when there is none.
    QString linkAt(QPointF point) const;

signals:
    // A link was clicked; it is opened too when its scheme is http, https or mailto.
    void linkActivated(const QString& link);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Lays the text out at the width and returns how far its widest line reaches past it.
    qreal layOutAt(int width) const;
    void placeScrollBar();

    std::unique_ptr<QTextDocument> m_document;
    QScrollBar* m_scrollBar;
    QMarginsF m_padding;
    Decoration m_decoration;
};

// True for the addresses answers may open: http, https and mailto.
bool isOpenableLink(const QUrl& url);

} // namespace zepla::ui
