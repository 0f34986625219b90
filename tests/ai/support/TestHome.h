// Keeps a test's preferences and key file away from the user's, and from other tests running at once.
#pragma once

#include "chat/ChatHistoryStore.h"

#include <QStandardPaths>
#include <QTemporaryDir>

namespace zepla::ai::test {

// Points the home folder at a fresh temporary one for the lifetime of the object, in Qt's test mode.
class TestHome {
public:
    TestHome() {
        qputenv("HOME", m_home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
    }
    // The chat history is written in the background: the folder goes only after what was asked for.
    ~TestHome() { ChatHistoryStore::waitForWrites(); }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

private:
    QTemporaryDir m_home;
};

// The history a window opening now would get, waited for.
inline ChatHistoryStore::ChatHistory loadNow(const QString& documentKey) {
    return ChatHistoryStore::load(documentKey).result();
}

} // namespace zepla::ai::test
