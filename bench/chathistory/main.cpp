// Prints what a chat history of about 12 MB costs the UI thread: each save (handed to the background
// writer, which encodes and writes the file atomically) against the time the writer then takes, and each
// load as a window opening asks for it, right after a save (handed to the same writer, which reads and
// decodes the file once the save is written) against the writer's processor time for it, and what a
// window's view model then spends on the UI thread: asking for the history, and taking it in.
#include "../support/ThreadTime.h"
#include "assistant/AssistantViewModel.h"
#include "chat/ChatHistoryStore.h"
#include "core/SerialWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zepla::ai;

namespace {

constexpr int kSessions = 120;
constexpr int kTurnsPerSession = 40;
constexpr int kSaves = 10;

// Conversations of questions and long answers, about 12 MB as JSON.
QList<ChatSession> largeHistory() {
    const QString paragraph = QStringLiteral(
        "The integral $\\int_0^1 x^2\\,dx = \\frac{1}{3}$ follows from the power rule; the table below lists "
        "the values for each exponent, and the proof in section 4 covers the general case. ");
    QList<ChatSession> sessions;
    for (int s = 0; s < kSessions; ++s) {
        ChatSession session = ChatSession::make();
        session.title = QStringLiteral("Conversation %1").arg(s);
        for (int t = 0; t < kTurnsPerSession; ++t) {
            const bool question = t % 2 == 0;
            session.turns.append(
                {QUuid::createUuid(), question ? AssistantTurn::Role::user : AssistantTurn::Role::assistant,
                 question ? QStringLiteral("What does part %1 say?").arg(t) : paragraph.repeated(25)});
        }
        sessions.append(session);
    }
    return sessions;
}

struct Figures {
    double median = 0;
    double longest = 0;
};

Figures figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    const QString key = home.filePath("Thesis.pdf");
    QList<ChatSession> sessions = largeHistory();

    ChatHistoryStore::save(sessions, key);
    ChatHistoryStore::waitForWrites();
    std::printf("history of %d conversations, %.1f MB on disk\n", kSessions,
                QFileInfo(ChatHistoryStore::fileURL(key)).size() / 1e6);

    std::vector<double> onUiThread, inBackground;
    for (int save = 0; save < kSaves; ++save) {
        sessions.first().turns.append(
            {QUuid::createUuid(), AssistantTurn::Role::user, QStringLiteral("And then?")});
        const double cpu = threadProcessorMilliseconds();
        QElapsedTimer clock;
        clock.start();
        ChatHistoryStore::save(sessions, key);
        onUiThread.push_back(threadProcessorMilliseconds() - cpu);
        ChatHistoryStore::waitForWrites();
        inBackground.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::vector<double> loadCalls, loadsInBackground;
    for (int load = 0; load < 5; ++load) {
        ChatHistoryStore::save(sessions, key);
        // The writer's processor time from the end of the save to the end of the load.
        double workerStart = 0, workerEnd = 0;
        const QString path = ChatHistoryStore::fileURL(key);
        zepla::platform::SerialWriter::shared().enqueue(
            path, [&workerStart] { workerStart = threadProcessorMilliseconds(); }, false);
        const double cpu = threadProcessorMilliseconds();
        QFuture<ChatHistoryStore::ChatHistory> loading = ChatHistoryStore::load(key);
        loadCalls.push_back(threadProcessorMilliseconds() - cpu);
        zepla::platform::SerialWriter::shared().enqueue(
            path, [&workerEnd] { workerEnd = threadProcessorMilliseconds(); }, false);
        ChatHistoryStore::waitForWrites();
        loadsInBackground.push_back(workerEnd - workerStart);
        if (loading.result().sessions.size() != kSessions)
            return 1;
    }
    // A window opening: the view model asks for the history, and takes it in when the writer is done.
    std::vector<double> opens, arrivals;
    for (int open = 0; open < 5; ++open) {
        const double cpu = threadProcessorMilliseconds();
        AssistantViewModel model(AssistantSource::textOnly({key, QStringLiteral("text")}));
        opens.push_back(threadProcessorMilliseconds() - cpu);
        ChatHistoryStore::waitForWrites();
        const double arrival = threadProcessorMilliseconds();
        while (model.isLoadingHistory())
            QCoreApplication::processEvents();
        arrivals.push_back(threadProcessorMilliseconds() - arrival);
        if (model.sessions().size() != kSessions)
            return 1;
    }
    const Figures ui = figures(onUiThread), background = figures(inBackground),
                  loadCall = figures(loadCalls), loadBackground = figures(loadsInBackground);
    std::printf("save, UI-thread processor time:     median %7.2f ms, longest %7.2f ms (%d saves)\n",
                ui.median, ui.longest, kSaves);
    std::printf("save, until written in background:  median %7.2f ms, longest %7.2f ms\n", background.median,
                background.longest);
    std::printf("load, UI-thread processor time:     median %7.2f ms, longest %7.2f ms (5 loads, each "
                "asked for with a save still to write)\n",
                loadCall.median, loadCall.longest);
    std::printf("load, writer processor time:        median %7.2f ms, longest %7.2f ms\n",
                loadBackground.median, loadBackground.longest);
    const Figures open = figures(opens), arrival = figures(arrivals);
    std::printf("window's view model, UI thread:     median %7.2f ms, longest %7.2f ms to make it, median "
                "%.2f ms, longest %.2f ms to take the history in\n",
                open.median, open.longest, arrival.median, arrival.longest);
    return 0;
}
