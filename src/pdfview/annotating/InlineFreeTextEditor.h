// The text view of the annotating view's inline editors (text boxes, notes, in-place text edits): plain
// text over the page, framed, committed by Return and discarded by Esc.
#pragma once

#include <QColor>
#include <QTextEdit>

#include <functional>

namespace zepla::pdfview {

class InlineFreeTextEditor : public QTextEdit {
    Q_OBJECT

public:
    explicit InlineFreeTextEditor(QWidget* parent = nullptr);

    // Return or keypad Enter without Shift (Alt+Return too) commits; Shift+Return breaks the line.
    std::function<void()> onCommit;
    // Esc.
    std::function<void()> onCancel;
    // Focus went elsewhere.
    std::function<void()> onEndEditing;

    // Return (and losing focus) runs `commit`, Esc runs `cancel`, only while `owner` lives; then the editor
    // shows and takes the keyboard.
    void open(QObject* owner, std::function<void()> commit, std::function<void()> cancel);
    // Forgets the actions and goes away once the current event is over.
    void dismiss();

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    // Space between the frame and the text, left and right, top and bottom.
    void setTextInset(qreal horizontal, qreal vertical);
    // Trimmed of white space and line breaks at both ends.
    QString trimmedText() const { return toPlainText().trimmed(); }
    // The height the text needs with its inset, at least one line.
    qreal contentHeight();
    qreal lineHeight() const;

    // The blue of the frame and handles of a text box.
    static QColor systemBlue() { return QColor(0, 122, 255); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_borderColor = systemBlue();
    qreal m_insetY = 0;
};

} // namespace zepla::pdfview
