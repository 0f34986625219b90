#include "ui/workspace/ToolSwitchToast.h"

#include "ui/theme/ThemePainting.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>

namespace zepla::ui {

namespace {

constexpr int paddingX = 12;
constexpr int paddingY = 7;

QFont toastFont() {
    QFont font;
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

ToolSwitchToast::ToolSwitchToast(QWidget* host)
    : QWidget(host), m_opacity(new QGraphicsOpacityEffect(this)), m_fade(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setGraphicsEffect(m_opacity);
    m_dismiss.setSingleShot(true);
    m_dismiss.setInterval(visibleMs);
    connect(&m_dismiss, &QTimer::timeout, this, [this] { fade(0.0, 250); });
    connect(m_fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_opacity->setOpacity(value.toReal()); });
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        if (m_opacity->opacity() <= 0.0) {
            m_message.clear();
            hide();
        }
    });
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    host->installEventFilter(this);
    hide();
}

void ToolSwitchToast::announce(const QString& message) {
    m_message = message;
    place();
    show();
    raise();
    update();
    fade(1.0, 150);
    m_dismiss.start();
}

void ToolSwitchToast::fade(qreal to, int durationMs) {
    m_fade->stop();
    m_fade->setStartValue(m_opacity->opacity());
    m_fade->setEndValue(to);
    m_fade->setDuration(durationMs);
    m_fade->start();
}

void ToolSwitchToast::place() {
    const QSize text = QFontMetrics(toastFont()).size(Qt::TextSingleLine, m_message);
    const QSize size(text.width() + 2 * paddingX, text.height() + 2 * paddingY);
    const QWidget* host = parentWidget();
    setGeometry((host->width() - size.width()) / 2, topOffset, size.width(), size.height());
}

bool ToolSwitchToast::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        place();
    return QWidget::eventFilter(watched, event);
}

void ToolSwitchToast::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Theme::capsule(QRectF(rect())), QColor(0, 0, 0, int(0.78 * 255)));
    painter.setFont(toastFont());
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, m_message);
}

} // namespace zepla::ui
