#include "chat/ChatHistoryStore.h"

#include "core/AppPaths.h"
#include "core/SerialWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPromise>
#include <QRegularExpression>
#include <QSaveFile>

namespace zepla::ai::ChatHistoryStore {

namespace {

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString dateText(const QDateTime& date) {
    return date.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

std::optional<QUuid> uuidValue(const QJsonValue& value) {
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!value.isString() || !form.match(value.toString()).hasMatch())
        return std::nullopt;
    return QUuid::fromString(value.toString());
}

// An internet date and time without fractional seconds: "Z" or a numeric offset.
std::optional<QDateTime> dateValue(const QJsonValue& value) {
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:\\d{2})$"));
    if (!value.isString() || !form.match(value.toString()).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

std::optional<AssistantTurn> decodeTurn(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const std::optional<QUuid> id = uuidValue(object.value(QStringLiteral("id")));
    const QJsonValue role = object.value(QStringLiteral("role"));
    const QJsonValue text = object.value(QStringLiteral("text"));
    if (!value.isObject() || !id || !role.isString() || !text.isString())
        return std::nullopt;
    const std::optional<AssistantTurn::Role> known = turnRoleFromRawValue(role.toString());
    if (!known)
        return std::nullopt;
    return AssistantTurn{*id, *known, text.toString()};
}

std::optional<ChatSession> decodeSession(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const std::optional<QUuid> id = uuidValue(object.value(QStringLiteral("id")));
    const QJsonValue title = object.value(QStringLiteral("title"));
    const QJsonValue turns = object.value(QStringLiteral("turns"));
    const std::optional<QDateTime> updatedAt = dateValue(object.value(QStringLiteral("updatedAt")));
    if (!value.isObject() || !id || !title.isString() || !turns.isArray() || !updatedAt)
        return std::nullopt;
    ChatSession session{*id, title.toString(), {}, *updatedAt};
    for (const QJsonValue& turnValue : turns.toArray()) {
        const std::optional<AssistantTurn> turn = decodeTurn(turnValue);
        if (!turn)
            return std::nullopt;
        session.turns.append(*turn);
    }
    return session;
}

// Atomically, readable by the user alone.
void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(bytes);
    file.commit();
}

// "<name>.unreadable.json" beside the history file, numbered when an earlier copy is there already.
QString freeUnreadableName(const QString& path) {
    const QString stem = path.chopped(int(QStringLiteral(".json").size())) + QStringLiteral(".unreadable");
    QString candidate = stem + QStringLiteral(".json");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + u'-' + QString::number(n) + QStringLiteral(".json");
    return candidate;
}

// On the writer, after the saves asked for before: a file that is not wholly readable is set aside here,
// before any later save can replace it.
ChatHistory read(const QString& path) {
    if (!QFileInfo::exists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Not even readable: moved out of the way whole, so no save replaces it.
        const QString copy = freeUnreadableName(path);
        QFile::rename(path, copy);
        return {{}, copy};
    }
    const QByteArray bytes = file.readAll();
    Decoded decoded = decode(bytes);
    if (decoded.complete)
        return {std::move(decoded.sessions), {}};
    const QString copy = freeUnreadableName(path);
    writeFile(copy, bytes);
    return {std::move(decoded.sessions), copy};
}

QString directory() {
    const QString support = platform::applicationSupportDirectory();
    if (support.isEmpty())
        return {};
    const QString chats = support + QStringLiteral("/Chats");
    platform::ensurePrivateDirectory(chats);
    return chats;
}

} // namespace

QString fileURL(const QString& documentKey) {
    const QString folder = directory();
    if (folder.isEmpty())
        return {};
    const QByteArray digest = QCryptographicHash::hash(documentKey.toUtf8(), QCryptographicHash::Sha256);
    return folder + u'/' + QString::fromLatin1(digest.toHex()) + QStringLiteral(".json");
}

QByteArray encode(const QList<ChatSession>& sessions) {
    // Qt writes an object's keys in sorted order, which is the order of the format's fields.
    QJsonArray array;
    for (const ChatSession& session : sessions) {
        QJsonArray turns;
        for (const AssistantTurn& turn : session.turns) {
            turns.append(QJsonObject{{QStringLiteral("id"), uuidText(turn.id)},
                                     {QStringLiteral("role"), rawValue(turn.role)},
                                     {QStringLiteral("text"), turn.text}});
        }
        array.append(QJsonObject{{QStringLiteral("id"), uuidText(session.id)},
                                 {QStringLiteral("title"), session.title},
                                 {QStringLiteral("turns"), turns},
                                 {QStringLiteral("updatedAt"), dateText(session.updatedAt)}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

Decoded decode(const QByteArray& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {{}, false};
    Decoded decoded;
    for (const QJsonValue& value : document.array()) {
        if (const std::optional<ChatSession> session = decodeSession(value))
            decoded.sessions.append(*session);
        else
            decoded.complete = false;
    }
    return decoded;
}

QFuture<ChatHistory> load(const QString& documentKey) {
    // Shared, since a queued job must be copyable.
    auto promise = std::make_shared<QPromise<ChatHistory>>();
    QFuture<ChatHistory> future = promise->future();
    promise->start();
    const QString path = fileURL(documentKey);
    if (path.isEmpty()) {
        promise->addResult(ChatHistory{});
        promise->finish();
        return future;
    }
    platform::SerialWriter::shared().enqueue(
        path,
        [promise, path] {
            promise->addResult(read(path));
            promise->finish();
        },
        false);
    return future;
}

void save(const QList<ChatSession>& sessions, const QString& documentKey) {
    const QString path = fileURL(documentKey);
    if (path.isEmpty())
        return;
    platform::SerialWriter::shared().enqueue(
        path, [path, sessions] { writeFile(path, encode(sessions)); }, true);
}

void waitForWrites() {
    platform::SerialWriter::shared().waitUntilIdle();
}

} // namespace zepla::ai::ChatHistoryStore
