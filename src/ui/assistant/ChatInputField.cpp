#include "ui/assistant/ChatInputField.h"

#include "ui/assistant/PanelStyle.h"

#include <QKeyEvent>
#include <QTextBlock>

namespace zepla::ui {

ChatInputField::ChatInputField(std::function<bool()> canSend, QWidget* parent)
    : QPlainTextEdit(parent), m_canSend(std::move(canSend)) {
    setFont(panelFont(13));
    setPlaceholderText(tr("Message Assistant..."));
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    document()->setDocumentMargin(0);
    connect(this, &QPlainTextEdit::textChanged, this, &ChatInputField::fitHeight);
    fitHeight();
}

int ChatInputField::visibleLines() const {
    // The plain-text layout measures the document in lines, wrapped lines included.
    const int lines = int(document()->documentLayout()->documentSize().height());
    return std::clamp(lines, minLines, maxLines);
}

QSize ChatInputField::sizeHint() const {
    const int frame = 2 * frameWidth();
    return QSize(QPlainTextEdit::sizeHint().width(),
                 visibleLines() * fontMetrics().lineSpacing() + frame + 2);
}

QSize ChatInputField::minimumSizeHint() const {
    return QSize(40, sizeHint().height());
}

void ChatInputField::fitHeight() {
    setFixedHeight(sizeHint().height());
}

void ChatInputField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    fitHeight();
}

void ChatInputField::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // The keypad's Enter carries the keypad flag; any other modifier makes Return a line break.
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    if (isReturn && held == Qt::NoModifier && m_canSend && m_canSend()) {
        emit sendRequested();
        event->accept();
        return;
    }
    if (isReturn && held != Qt::NoModifier) {
        // Shift+Return would otherwise insert a line separator; every modifier gives a plain line break.
        insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace zepla::ui
