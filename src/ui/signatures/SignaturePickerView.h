// The saved signatures as tiles, two to a row, the active one outlined in the accent colour: a tile makes
// its signature the one the signature tool places (and asks to close the picker), its badge deletes it at
// once, and "New Signature…" asks for the pad.
#pragma once

#include <QUuid>
#include <QWidget>

class QGridLayout;
class QLabel;

namespace zepla::annotations {
class SignatureStore;
}

namespace zepla::ui {

class SignaturePickerView : public QWidget {
    Q_OBJECT

public:
    static constexpr int pickerWidth = 260;
    static constexpr QSize tileSize{88, 56};

    explicit SignaturePickerView(annotations::SignatureStore& store, QWidget* parent = nullptr);

    // The tile and delete badge of a signature, for clicks; null when it is not listed.
    QWidget* tile(const QUuid& id) const;
    QWidget* deleteBadge(const QUuid& id) const;
    QWidget* newSignatureButton() const { return m_newSignature; }
    QLabel* emptyText() const { return m_empty; }

signals:
    // A signature was chosen: the picker has done its job.
    void dismissRequested();
    // The user wants to draw a new signature.
    void padRequested();

private:
    void rebuild();

    annotations::SignatureStore& m_store;
    QLabel* m_empty;
    QWidget* m_grid;
    QGridLayout* m_gridLayout;
    QWidget* m_newSignature;
};

} // namespace zepla::ui
