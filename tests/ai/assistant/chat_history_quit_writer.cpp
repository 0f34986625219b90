// A program that asks for a chat history of megabytes to be written and quits at once, while the write is
// under way: what the chat history test runs to see that quitting never loses a save. Its arguments: the
// document key and the answer's length in characters. The home folder is the caller's, in Qt's test mode.
#include "chat/ChatHistoryStore.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTimer>

using namespace zepla::ai;

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3)
        return 2;
    ChatSession session = ChatSession::make();
    session.turns = {{QUuid::createUuid(), AssistantTurn::Role::user, QStringLiteral("Everything?")},
                     {QUuid::createUuid(), AssistantTurn::Role::assistant,
                      QString(arguments[2].toLongLong(), QLatin1Char('a'))}};
    ChatHistoryStore::save({session}, arguments[1]);
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return application.exec();
}
