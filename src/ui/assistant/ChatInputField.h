// The message input: plain text that grows from one to eight lines, and sends on a bare Return.
#pragma once

#include <QPlainTextEdit>

#include <functional>

namespace zepla::ui {

class ChatInputField : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int minLines = 1;
    static constexpr int maxLines = 8;

    // `canSend` says whether a bare Return sends; otherwise Return is typed as usual.
    explicit ChatInputField(std::function<bool()> canSend, QWidget* parent = nullptr);

    // The number of lines shown now, 1 to 8.
    int visibleLines() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void sendRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeight();

    std::function<bool()> m_canSend;
};

} // namespace zepla::ui
