// The conversations of each document between launches: one JSON file per document path in the data
// folder's "Chats", named by the SHA-256 of the path and readable by the user alone. Files are written in
// the background, in the order the saves were asked for.
#pragma once

#include "chat/ChatSession.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QString>

namespace zepla::ai::ChatHistoryStore {

// What a document's history file held.
struct ChatHistory {
    // The conversations that could be read, in file order.
    QList<ChatSession> sessions;
    // When some of the file could not be read: where its original bytes are kept before anything is
    // written over it. Empty when the whole file was read, or there was none.
    QString unreadableCopy;
};

// The sessions that could be read and whether any part of the data had to be left out.
struct Decoded {
    QList<ChatSession> sessions;
    bool complete = true;
};

// <data folder>/Chats/<sha256 of the key>.json; empty when there is no data folder.
QString fileURL(const QString& documentKey);

// Reads in the background once the saves already asked for are written, without waiting for them: the
// history arrives on the future. A conversation that is not in the format is left out and the rest kept;
// the original file is then set aside (see ChatHistory) ahead of any later save. The Chats folder exists
// on return.
QFuture<ChatHistory> load(const QString& documentKey);
// Replaces the file atomically, in the background; failures are silent and change nothing.
void save(const QList<ChatSession>& sessions, const QString& documentKey);
// Returns once every save asked for so far is on disk.
void waitForWrites();

// The file format: an array of sessions, upper-case identifiers, whole-second UTC dates.
QByteArray encode(const QList<ChatSession>& sessions);
// Every session that is in the format; the data is incomplete when anything else was found.
Decoded decode(const QByteArray& data);

} // namespace zepla::ai::ChatHistoryStore
