#include "ui/assistant/AnswerActions.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QProcess>
#include <QSaveFile>
#include <QTextToSpeech>
#include <QUrl>

namespace zepla::ui {

AnswerActions::AnswerActions(QWidget* owner) : QObject(owner), m_owner(owner) {}

AnswerActions::~AnswerActions() = default;

void AnswerActions::copy(const QString& text) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

QMenu* AnswerActions::shareMenu(const QString& text, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Copy"), this, [text] { copy(text); });
    menu->addAction(tr("Save As…"), this, [this, text] {
        const QString path = QFileDialog::getSaveFileName(m_owner, tr("Save Response"), tr("Response.md"),
                                                          tr("Markdown text (*.md *.txt)"));
        if (!path.isEmpty())
            saveAs(text, path);
    });
    menu->addAction(tr("Email"), this, [this, text] {
        if (!email(text))
            emit problem(tr("No mail program could be opened (xdg-email is missing)."));
    });
    return menu;
}

void AnswerActions::share(const QString& text, QWidget* anchor) {
    shareMenu(text, anchor)->popup(anchor->mapToGlobal(QPoint(0, anchor->height())));
}

bool AnswerActions::saveAs(const QString& text, const QString& path) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit())
        return true;
    emit problem(tr("The response could not be saved to “%1”: %2").arg(path, file.errorString()));
    return false;
}

bool AnswerActions::email(const QString& text) {
    return QProcess::startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--body"), text});
}

bool AnswerActions::hasSpeechEngine() {
    return !QTextToSpeech::availableEngines().isEmpty();
}

void AnswerActions::readAloud(const QString& text) {
    if (!hasSpeechEngine()) {
        emit problem(tr("Read aloud needs a speech engine, and none is installed."));
        return;
    }
    // A new voice for every press; earlier ones go on. Each is dropped once it has finished.
    auto* speaker = new QTextToSpeech(this);
    m_speakers.append(speaker);
    auto spoke = std::make_shared<bool>(false);
    connect(speaker, &QTextToSpeech::stateChanged, this, [this, speaker, spoke](QTextToSpeech::State state) {
        *spoke = *spoke || state == QTextToSpeech::Speaking;
        if ((state == QTextToSpeech::Ready && *spoke) || state == QTextToSpeech::Error) {
            m_speakers.removeOne(speaker);
            speaker->deleteLater();
        }
    });
    speaker->say(text);
}

} // namespace zepla::ui
