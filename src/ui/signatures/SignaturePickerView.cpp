#include "ui/signatures/SignaturePickerView.h"

#include "annotations/SignatureStore.h"
#include "ui/signatures/SignatureTile.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

constexpr int badgeSize = 16;
constexpr int badgeOverhang = 6;

QLabel* smallText(const QString& text, QFont::Weight weight, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(12);
    font.setWeight(weight);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(parent));
    label->setPalette(palette);
    return label;
}

// The delete badge: the cross in a circle on the window colour.
class DeleteBadge : public QToolButton {
public:
    explicit DeleteBadge(QWidget* parent) : QToolButton(parent) {
        setFixedSize(badgeSize, badgeSize);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Delete this signature"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawEllipse(QRectF(rect()));
        painter.drawPixmap(rect().adjusted(1, 1, -1, -1),
                           Symbols::pixmap(QStringLiteral("xmark.circle.fill"), 13, Color::secondary(this),
                                           false, devicePixelRatioF()));
    }
};

} // namespace

SignaturePickerView::SignaturePickerView(annotations::SignatureStore& store, QWidget* parent)
    : QWidget(parent), m_store(store) {
    setFixedWidth(pickerWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);
    column->addWidget(smallText(QStringLiteral("Signatures"), QFont::DemiBold, this));
    m_empty = smallText(QStringLiteral("No saved signatures yet."), QFont::Normal, this);
    column->addWidget(m_empty);
    m_grid = new QWidget(this);
    m_gridLayout = new QGridLayout(m_grid);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setHorizontalSpacing(10 - badgeOverhang);
    m_gridLayout->setVerticalSpacing(10 - badgeOverhang);
    column->addWidget(m_grid, 0, Qt::AlignHCenter);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(
        QStringLiteral("color: %1;").arg(Color::primary(this, 0.12).name(QColor::HexArgb)));
    column->addWidget(divider);
    auto* newSignature = new QToolButton(this);
    newSignature->setText(QStringLiteral("New Signature…"));
    newSignature->setIcon(Symbols::icon(QStringLiteral("plus"), Color::primary(this)));
    newSignature->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    newSignature->setAutoRaise(true);
    newSignature->setFocusPolicy(Qt::NoFocus);
    QFont font = newSignature->font();
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    newSignature->setFont(font);
    connect(newSignature, &QToolButton::clicked, this, &SignaturePickerView::padRequested);
    column->addWidget(newSignature, 0, Qt::AlignLeft);
    m_newSignature = newSignature;

    connect(&store, &annotations::SignatureStore::signaturesChanged, this, &SignaturePickerView::rebuild);
    connect(&store, &annotations::SignatureStore::activeIDChanged, this, &SignaturePickerView::rebuild);
    rebuild();
}

QWidget* SignaturePickerView::tile(const QUuid& id) const {
    return m_grid->findChild<QWidget*>(QStringLiteral("tile-") + id.toString());
}

QWidget* SignaturePickerView::deleteBadge(const QUuid& id) const {
    return m_grid->findChild<QWidget*>(QStringLiteral("badge-") + id.toString());
}

void SignaturePickerView::rebuild() {
    const QList<QWidget*> old = m_grid->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* cell : old) {
        m_gridLayout->removeWidget(cell);
        cell->hide();
        cell->setParent(nullptr);
        cell->deleteLater();
    }
    const QList<annotations::SavedSignature> signatures = m_store.signatures();
    m_empty->setVisible(signatures.isEmpty());
    m_grid->setVisible(!signatures.isEmpty());
    for (int i = 0; i < signatures.size(); ++i) {
        const annotations::SavedSignature& signature = signatures[i];
        const QUuid id = signature.id;
        // A cell holds the tile and, overhanging its top-right corner, the badge.
        auto* cell = new QWidget(m_grid);
        cell->setFixedSize(tileSize + QSize(badgeOverhang, badgeOverhang));
        auto* tile =
            new SignatureTile(QImage::fromData(signature.pngData, "PNG"), id == m_store.activeID(), cell);
        tile->setObjectName(QStringLiteral("tile-") + id.toString());
        tile->move(0, badgeOverhang);
        auto* badge = new DeleteBadge(cell);
        badge->setObjectName(QStringLiteral("badge-") + id.toString());
        badge->move(tileSize.width() + badgeOverhang - badgeSize, 0);
        connect(tile, &QAbstractButton::clicked, this, [this, id] {
            m_store.setActiveID(id);
            emit dismissRequested();
        });
        connect(badge, &QToolButton::clicked, this, [this, id] { m_store.remove(id); });
        m_gridLayout->addWidget(cell, i / 2, i % 2);
    }
    adjustSize();
}

} // namespace zepla::ui
