#include "ui/landing/OpenDocumentCard.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

constexpr qreal cornerRadius = 14;
constexpr qreal borderWidth = 1.5;

QString prominentButtonStyle() {
    const QColor tint = Color::brandBlue();
    return QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 7px;"
                          " padding: 7px 16px; }"
                          "QPushButton:hover { background: %2; }"
                          "QPushButton:pressed { background: %3; }")
        .arg(tint.name(), tint.darker(108).name(), tint.darker(120).name());
}

} // namespace

OpenDocumentCard::OpenDocumentCard(std::function<bool(const QList<QUrl>&)> onDrop, QWidget* parent)
    : QWidget(parent), m_onDrop(std::move(onDrop)), m_selectFile(new QPushButton(tr("Select File…"))) {
    setAcceptDrops(true);

    auto* icon = new QLabel;
    icon->setPixmap(Symbols::pixmap(QStringLiteral("doc.badge.plus"), 40, Color::secondary(this), false,
                                    devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);

    QFont buttonFont = m_selectFile->font();
    buttonFont.setPixelSize(14);
    m_selectFile->setFont(buttonFont);
    m_selectFile->setCursor(Qt::PointingHandCursor);
    m_selectFile->setStyleSheet(prominentButtonStyle());

    auto* hint = new QLabel(tr("or drop a file here"));
    QFont hintFont = hint->font();
    hintFont.setPixelSize(12);
    hint->setFont(hintFont);
    QPalette hintPalette = hint->palette();
    hintPalette.setColor(QPalette::WindowText, Color::secondary(this));
    hint->setPalette(hintPalette);
    hint->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 32, 0, 32);
    layout->setSpacing(12);
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(m_selectFile, 0, Qt::AlignHCenter);
    layout->addWidget(hint, 0, Qt::AlignHCenter);

    m_animation.setDuration(150);
    m_animation.setEasingCurve(QEasingCurve::OutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_highlight = value.toReal();
        update();
    });
}

void OpenDocumentCard::setDropTargeted(bool targeted) {
    if (targeted == m_dropTargeted)
        return;
    m_dropTargeted = targeted;
    m_animation.stop();
    m_animation.setStartValue(m_highlight);
    m_animation.setEndValue(targeted ? 1.0 : 0.0);
    m_animation.start();
}

void OpenDocumentCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Stroked inside the edge: the path is inset by half the line width.
    const QRectF box =
        QRectF(rect()).adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2);
    QPainterPath shape;
    shape.addRoundedRect(box, cornerRadius, cornerRadius);
    painter.fillPath(shape, Color::mix(Color::primary(this, 0.03),
                                       Color::withOpacity(Color::brandBlue(), 0.10), m_highlight));
    QPen border(Color::mix(Color::primary(this, 0.12), Color::brandBlue(), m_highlight), borderWidth);
    border.setDashPattern({6 / borderWidth, 4 / borderWidth});
    border.setCapStyle(Qt::FlatCap);
    border.setJoinStyle(Qt::MiterJoin);
    painter.strokePath(shape, border);
}

void OpenDocumentCard::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls())
        return event->ignore();
    event->acceptProposedAction();
    setDropTargeted(true);
}

void OpenDocumentCard::dragLeaveEvent(QDragLeaveEvent* event) {
    setDropTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void OpenDocumentCard::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    if (m_onDrop && m_onDrop(event->mimeData()->urls()))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace zepla::ui
