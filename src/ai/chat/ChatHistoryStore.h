// The conversations of each document between launches: one JSON file per document path in the data
// folder's "Chats", named by the SHA-256 of the path and readable by the user alone.
#pragma once

#include "chat/ChatSession.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zepla::ai::ChatHistoryStore {

// <data folder>/Chats/<sha256 of the key>.json; empty when there is no data folder.
QString fileURL(const QString& documentKey);

// The sessions in file order; empty when the file is missing, unreadable or not exactly in the format.
// The Chats folder exists afterwards.
QList<ChatSession> load(const QString& documentKey);
// Replaces the file atomically; failures are silent and change nothing.
void save(const QList<ChatSession>& sessions, const QString& documentKey);

// The file format: an array of sessions, upper-case identifiers, whole-second UTC dates.
QByteArray encode(const QList<ChatSession>& sessions);
// Nothing when any part of the data is not in the format.
std::optional<QList<ChatSession>> decode(const QByteArray& data);

} // namespace zepla::ai::ChatHistoryStore
