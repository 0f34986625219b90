#include "ui/toolbar/LineStyleHoverModifier.h"

#include "annotations/ToolState.h"
#include "ui/toolbar/LineStylePicker.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

// The chooser's window: a rounded panel in the window colour.
class Popover : public QWidget {
public:
    explicit Popover(QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

} // namespace

LineStyleHoverModifier::LineStyleHoverModifier(QWidget* button, annotations::ToolState& toolState)
    : QObject(button), m_button(button), m_toolState(toolState) {
    button->installEventFilter(this);
}

LineStyleHoverModifier::~LineStyleHoverModifier() {
    delete m_popover;
}

void LineStyleHoverModifier::scheduleDismissCheck() {
    QTimer::singleShot(closeDelayMs, this, [this] {
        if (!m_isHoveringButton && !m_isHoveringPopover)
            setShowPicker(false);
    });
}

void LineStyleHoverModifier::setShowPicker(bool show) {
    if (show == m_showPicker)
        return;
    m_showPicker = show;
    if (!show) {
        qApp->removeEventFilter(this);
        if (m_popover)
            m_popover->hide();
        m_isHoveringPopover = false;
        return;
    }
    if (!m_popover) {
        m_popover = new Popover(m_button);
        auto* layout = new QVBoxLayout(m_popover);
        layout->setContentsMargins(0, 0, 0, 0);
        m_picker = new LineStylePicker(m_toolState.lineEndStyle(), m_popover);
        layout->addWidget(m_picker);
        connect(m_picker, &LineStylePicker::styleChosen, &m_toolState,
                &annotations::ToolState::setLineEndStyle);
        connect(&m_toolState, &annotations::ToolState::lineEndStyleChanged, m_picker,
                &LineStylePicker::setCurrent);
        m_popover->installEventFilter(this);
    }
    m_popover->adjustSize();
    // Centred under the button, kept on its screen.
    QPoint topLeft =
        m_button->mapToGlobal(QPoint(m_button->width() / 2 - m_popover->width() / 2, m_button->height() + 4));
    if (const QScreen* screen = m_button->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - m_popover->width())));
    }
    m_popover->move(topLeft);
    m_popover->show();
    // The button's tooltip would lie over the chooser it opened.
    QToolTip::hideText();
    qApp->installEventFilter(this);
}

bool LineStyleHoverModifier::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_button && type == QEvent::ToolTip && m_showPicker)
        return true; // held back while the chooser is open under the button
    if (watched == m_button) {
        if (type == QEvent::Enter) {
            m_isHoveringButton = true;
            QTimer::singleShot(openDelayMs, this, [this] {
                if (m_isHoveringButton)
                    setShowPicker(true);
            });
        } else if (type == QEvent::Leave) {
            m_isHoveringButton = false;
            scheduleDismissCheck();
        }
    } else if (watched == m_popover) {
        if (type == QEvent::Enter) {
            m_isHoveringPopover = true;
        } else if (type == QEvent::Leave) {
            m_isHoveringPopover = false;
            scheduleDismissCheck();
        }
    }
    // A press anywhere outside the chooser closes it, as a popover closes.
    if (type == QEvent::MouseButtonPress && m_showPicker && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (m_popover && widget->window() != m_popover.data() && widget != m_button) {
            const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (!m_popover->geometry().contains(global))
                setShowPicker(false);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zepla::ui
