#include "app/SaveProgressCover.h"

#include "app/ProgressBox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace zepla::app {

SaveProgressCover::SaveProgressCover(QWidget& content, const QString& name)
    : QWidget(content.parentWidget()), m_content(&content), m_picture(content.grab()),
      m_area(content.geometry()), m_parentSize(parentWidget()->size()) {
    setObjectName(QStringLiteral("saveProgressCover"));
    setFocusPolicy(Qt::StrongFocus);
    if (QWidget* focus = QApplication::focusWidget(); focus && content.isAncestorOf(focus))
        m_focus = focus;

    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("saveProgress"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setAutoFillBackground(true);
    fillProgressBox(*box, tr("Saving “%1”…").arg(name));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box, 0, Qt::AlignCenter);
    box->hide();
    m_progress = box;

    setGeometry(m_area);
    parentWidget()->installEventFilter(this);
    // Hidden, the content is neither painted nor laid out, so it asks nothing of the document.
    content.hide();
    show();
    raise();
    setFocus();
    QTimer::singleShot(progressDelayMs, this, &SaveProgressCover::showProgress);
}

SaveProgressCover::~SaveProgressCover() {
    if (!m_content)
        return;
    m_content->show();
    if (m_focus)
        m_focus->setFocus();
}

void SaveProgressCover::showProgress() {
    m_progress->show();
    update();
}

bool SaveProgressCover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(QRect(m_area.topLeft(), m_area.size() + (parentWidget()->size() - m_parentSize)));
    return QWidget::eventFilter(watched, event);
}

void SaveProgressCover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, m_picture);
    if (m_progress->isVisible())
        painter.fillRect(rect(), QColor(0, 0, 0, 60));
}

} // namespace zepla::app
