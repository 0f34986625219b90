// The saved signatures and the one the signature tool places next. Every window has its own store and its
// own active choice, but all stores of the process share one list, so a signature added or deleted in one
// window shows in every other and no window's write drops another's signature.
#pragma once

#include "SavedSignature.h"

#include <QImage>
#include <QObject>

#include <memory>

namespace zepla::annotations {

class SignatureList;

class SignatureStore : public QObject {
    Q_OBJECT

public:
    // Loads the stored list (once per process while any store exists); the oldest signature is active.
    explicit SignatureStore(QObject* parent = nullptr);
    ~SignatureStore() override;

    // Oldest first.
    QList<SavedSignature> signatures() const;
    // Null exactly when the list is empty.
    QUuid activeID() const { return m_activeID; }
    // Chosen in the picker; not stored.
    void setActiveID(const QUuid& id);
    // The active signature's image, decoded afresh; null when there is none or its PNG no longer reads.
    QImage activeImage() const;

    // Stores a new signature and makes it active. An image that cannot be PNG-encoded changes nothing.
    void add(const QImage& image);
    // Removes a signature; when it was active, the oldest remaining one becomes active.
    void remove(const QUuid& id);

signals:
    void signaturesChanged();
    void activeIDChanged(const QUuid& id);

private:
    void listChanged();

    std::shared_ptr<SignatureList> m_list;
    QUuid m_activeID;
};

} // namespace zepla::annotations
