#include "SignatureStore.h"

#include "core/Settings.h"

namespace zepla::annotations {

namespace {

const QString storageKey = QStringLiteral("zepla.savedSignatures");

} // namespace

// The process's one list, read from the preferences when the first store appears and written whole after
// every change.
class SignatureList : public QObject {
    Q_OBJECT

public:
    static std::shared_ptr<SignatureList> shared() {
        static std::weak_ptr<SignatureList> instance;
        std::shared_ptr<SignatureList> list = instance.lock();
        if (!list) {
            list = std::make_shared<SignatureList>();
            instance = list;
        }
        return list;
    }

    SignatureList() {
        const QByteArray stored = platform::userSettings()->value(storageKey).toByteArray();
        if (!stored.isEmpty())
            signatures = decodeSignatures(stored).value_or(QList<SavedSignature>());
    }

    void append(const SavedSignature& signature) {
        signatures.append(signature);
        persist();
    }

    void remove(const QUuid& id) {
        signatures.removeIf([&](const SavedSignature& s) { return s.id == id; });
        persist();
    }

    QList<SavedSignature> signatures;

signals:
    void changed();

private:
    void persist() {
        platform::userSettings()->setValue(storageKey, encodeSignatures(signatures));
        emit changed();
    }
};

SignatureStore::SignatureStore(QObject* parent) : QObject(parent), m_list(SignatureList::shared()) {
    if (!m_list->signatures.isEmpty())
        m_activeID = m_list->signatures.first().id;
    connect(m_list.get(), &SignatureList::changed, this, &SignatureStore::listChanged);
}

SignatureStore::~SignatureStore() = default;

QList<SavedSignature> SignatureStore::signatures() const {
    return m_list->signatures;
}

void SignatureStore::setActiveID(const QUuid& id) {
    if (id == m_activeID)
        return;
    m_activeID = id;
    emit activeIDChanged(id);
}

QImage SignatureStore::activeImage() const {
    if (m_activeID.isNull())
        return {};
    for (const SavedSignature& s : m_list->signatures) {
        if (s.id == m_activeID)
            return QImage::fromData(s.pngData, "PNG");
    }
    return {};
}

void SignatureStore::add(const QImage& image) {
    const QByteArray png = pngData(image);
    if (png.isEmpty())
        return;
    const SavedSignature signature{QUuid::createUuid(), png};
    // The new one is active here before the list announces itself, so this store keeps it.
    m_activeID = signature.id;
    m_list->append(signature);
    emit activeIDChanged(m_activeID);
}

void SignatureStore::remove(const QUuid& id) {
    m_list->remove(id);
}

// Another store (or this one) changed the shared list: keep the invariant that the active id names a
// signature of the list, falling back to the oldest.
void SignatureStore::listChanged() {
    const auto& list = m_list->signatures;
    const bool present =
        std::any_of(list.begin(), list.end(), [&](const SavedSignature& s) { return s.id == m_activeID; });
    emit signaturesChanged();
    if (!present)
        setActiveID(list.isEmpty() ? QUuid() : list.first().id);
}

} // namespace zepla::annotations

#include "SignatureStore.moc"
