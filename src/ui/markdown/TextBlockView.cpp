// A wrapped text block of a rendered answer.
#include "ui/markdown/TextBlockView.h"

#include "ui/markdown/InlineFormulaObject.h"
#include "ui/theme/Colors.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zepla::ui {

namespace {

constexpr qreal quoteBarWidth = 3;
constexpr qreal quoteBarRadius = 1.5;
constexpr qreal quoteBarOpacity = 0.35;

} // namespace

bool isOpenableLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == "http" || scheme == "https" || scheme == "mailto");
}

TextBlockView::TextBlockView(std::unique_ptr<QTextDocument> document, QMarginsF padding,
                             Decoration decoration, QWidget* parent)
    : QWidget(parent), m_document(std::move(document)), m_scrollBar(new QScrollBar(Qt::Horizontal, this)),
      m_padding(padding), m_decoration(decoration) {
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    m_document->setParent(nullptr);
    // Only now: a document with a layout lays itself out again at every insertion while it is built.
    InlineFormulaObject::install(*m_document);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMouseTracking(true);
}

qreal TextBlockView::layOutAt(int width) const {
    const qreal textWidth = std::max<qreal>(1, width - m_padding.left() - m_padding.right());
    if (m_document->textWidth() != textWidth)
        m_document->setTextWidth(textWidth);
    return std::max<qreal>(0, m_document->size().width() - textWidth);
}

int TextBlockView::heightForWidth(int width) const {
    const qreal overflow = layOutAt(width);
    const int bar = overflow >= 1 ? m_scrollBar->sizeHint().height() : 0;
    return int(std::ceil(m_document->size().height() + m_padding.top() + m_padding.bottom())) + bar;
}

void TextBlockView::placeScrollBar() {
    const int overflow = int(std::ceil(layOutAt(width())));
    m_scrollBar->setVisible(overflow >= 1);
    m_scrollBar->setRange(0, overflow);
    m_scrollBar->setPageStep(width());
    const int height = m_scrollBar->sizeHint().height();
    m_scrollBar->setGeometry(0, this->height() - height, width(), height);
}

QSize TextBlockView::sizeHint() const {
    const int width = int(std::ceil(m_document->idealWidth() + m_padding.left() + m_padding.right()));
    return {width, heightForWidth(this->width() > 0 ? this->width() : width)};
}

QSize TextBlockView::minimumSizeHint() const {
    return {int(m_padding.left() + m_padding.right()) + 1, 0};
}

void TextBlockView::resizeEvent(QResizeEvent*) {
    placeScrollBar();
}

void TextBlockView::paintEvent(QPaintEvent*) {
    layOutAt(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_decoration.kind == Decoration::Kind::tint) {
        qreal right = width();
        if (m_decoration.hugsText)
            right = std::min<qreal>(right, m_document->idealWidth() + m_padding.left() + m_padding.right());
        QPainterPath shape;
        shape.addRoundedRect(QRectF(0, 0, right, height()), m_decoration.radius, m_decoration.radius);
        painter.fillPath(shape, Color::primary(this, m_decoration.opacity));
    } else if (m_decoration.kind == Decoration::Kind::quoteBar) {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(0, 0, quoteBarWidth, height()), quoteBarRadius, quoteBarRadius);
        painter.fillPath(bar, Color::secondary(this, quoteBarOpacity));
    }
    painter.translate(m_padding.left() - m_scrollBar->value(), m_padding.top());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
    m_document->documentLayout()->draw(&painter, context);
}

QString TextBlockView::linkAt(QPointF point) const {
    return m_document->documentLayout()->anchorAt(
        point - QPointF(m_padding.left() - m_scrollBar->value(), m_padding.top()));
}

void TextBlockView::mouseMoveEvent(QMouseEvent* event) {
    setCursor(linkAt(event->position()).isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void TextBlockView::mouseReleaseEvent(QMouseEvent* event) {
    const QString link = linkAt(event->position());
    if (event->button() != Qt::LeftButton || link.isEmpty())
        return QWidget::mouseReleaseEvent(event);
    emit linkActivated(link);
    if (isOpenableLink(QUrl(link)))
        QDesktopServices::openUrl(QUrl(link));
}

} // namespace zepla::ui
