#include "InlineFreeTextEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTextFrame>

#include <cmath>

namespace zepla::pdfview {

InlineFreeTextEditor::InlineFreeTextEditor(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    // The page shows through unless a background is asked for.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
}

void InlineFreeTextEditor::open(QObject* owner, std::function<void()> commit, std::function<void()> cancel) {
    const QPointer<QObject> alive(owner);
    onCommit = [alive, commit] {
        if (alive)
            commit();
    };
    onEndEditing = onCommit;
    onCancel = [alive, cancel] {
        if (alive)
            cancel();
    };
    show();
    setFocus(Qt::OtherFocusReason);
}

void InlineFreeTextEditor::dismiss() {
    onCommit = onCancel = onEndEditing = nullptr;
    hide();
    deleteLater();
}

void InlineFreeTextEditor::setBorderColor(const QColor& color) {
    m_borderColor = color;
    viewport()->update();
}

void InlineFreeTextEditor::setTextInset(qreal horizontal, qreal vertical) {
    document()->setDocumentMargin(0);
    QTextFrameFormat format = document()->rootFrame()->frameFormat();
    format.setLeftMargin(horizontal);
    format.setRightMargin(horizontal);
    format.setTopMargin(vertical);
    format.setBottomMargin(vertical);
    document()->rootFrame()->setFrameFormat(format);
    m_insetY = vertical;
}

qreal InlineFreeTextEditor::lineHeight() const {
    return QFontMetricsF(font()).lineSpacing();
}

qreal InlineFreeTextEditor::contentHeight() {
    document()->setTextWidth(viewport()->width());
    const qreal used = std::ceil(document()->documentLayout()->documentSize().height() - 2 * m_insetY);
    return std::max(lineHeight(), used) + 2 * m_insetY;
}

void InlineFreeTextEditor::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        if (onCommit)
            onCommit();
        return;
    }
    if (enter) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (onCancel)
            onCancel();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void InlineFreeTextEditor::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    // A context menu or another window taking focus for a moment does not end the edit.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (onEndEditing)
        onEndEditing();
}

void InlineFreeTextEditor::paintEvent(QPaintEvent* event) {
    if (palette().color(QPalette::Base).alpha() > 0) {
        QPainter background(viewport());
        background.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    }
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_borderColor, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(viewport()->rect()).adjusted(0.75, 0.75, -0.75, -0.75));
}

} // namespace zepla::pdfview
