// What the buttons under an answer do with its text: copy it, share it (Copy, Save As… or Email) and read
// it aloud. One per panel; the speech engine it starts stays alive while it speaks.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QMenu;
class QTextToSpeech;
class QWidget;

namespace zepla::ui {

class AnswerActions : public QObject {
    Q_OBJECT
public:
    explicit AnswerActions(QWidget* owner);
    ~AnswerActions() override;

    static void copy(const QString& text);
    // The share menu for `text`, shown under `anchor`.
    void share(const QString& text, QWidget* anchor);
    QMenu* shareMenu(const QString& text, QWidget* parent);
    // Writes `text` to a file the user picks; false with a message when it cannot be written.
    bool saveAs(const QString& text, const QString& path);
    // Opens the mail program with the text as the message body.
    static bool email(const QString& text);

    // Speaks `text` with the default voice; says so when no speech engine is installed.
    void readAloud(const QString& text);
    // The speech engines Qt finds on this system.
    static bool hasSpeechEngine();

signals:
    // A message for the user (a failed save, a missing speech engine).
    void problem(const QString& message);

private:
    QWidget* m_owner;
    QList<QTextToSpeech*> m_speakers;
};

} // namespace zepla::ui
