// Waiting for an asynchronous provider in a test.
#include "support/SendAndWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QtDebug>

namespace zepla::ai::test {

std::optional<AIProviderResult> sendAndWait(const AIProvider& provider, const QList<AIMessage>& history,
                                            const QList<AssistantTool>& tools, AIModelPreference preference,
                                            int waitMillis) {
    std::optional<AIProviderResult> result;
    int calls = 0;
    QEventLoop loop;
    bool insideSend = true;
    bool calledInsideSend = false;
    provider.send(history, tools, QStringLiteral("You are a test."), preference,
                  [&](AIProviderResult received) {
                      ++calls;
                      calledInsideSend = calledInsideSend || insideSend;
                      result = std::move(received);
                      loop.quit();
                  });
    insideSend = false;
    if (!result) {
        QTimer::singleShot(waitMillis, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QCoreApplication::processEvents();
    if (calledInsideSend || calls != 1) {
        qWarning() << "completion ran" << calls << "times, inside send:" << calledInsideSend;
        return std::nullopt;
    }
    return result;
}

} // namespace zepla::ai::test
