#include "ui/assistant/ChatHistoryListView.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/assistant/RelativeDate.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

const char* sessionProperty = "sessionID";

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// A whole row takes the click, apart from its trash button, which handles its own.
class SessionRow : public RoundedBox {
public:
    SessionRow(bool current, std::function<void()> pick)
        : RoundedBox({.radius = 9, .primaryFill = current ? 0.06 : 0.0}), m_pick(std::move(pick)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_pick();
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

private:
    std::function<void()> m_pick;
};

// One line of text, cut with an ellipsis when it does not fit.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, width()));
    }
};

// A scroll area as tall as its content, up to the list's limit.
class CappedScrollArea : public QScrollArea {
public:
    QSize sizeHint() const override {
        const int content = widget() ? widget()->sizeHint().height() : 0;
        return QSize(ChatHistoryListView::listWidth, std::min(content, ChatHistoryListView::maxScrollHeight));
    }
};

} // namespace

ChatHistoryListView::ChatHistoryListView(ai::AssistantViewModel& viewModel, std::function<void()> dismiss,
                                         QWidget* parent)
    : QFrame(parent), m_viewModel(viewModel), m_dismiss(std::move(dismiss)) {
    setFixedWidth(listWidth);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, assistantBackground());
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QLabel(tr("Chats"));
    header->setFont(panelFont(12, QFont::Bold));
    setTextColour(header, Color::secondary(this));
    header->setContentsMargins(14, 12, 14, 6);
    layout->addWidget(header);

    auto* empty = new QLabel(tr("No saved chats yet."));
    empty->setFont(panelFont(12));
    setTextColour(empty, Color::secondary(this));
    empty->setContentsMargins(14, 0, 14, 14);
    m_empty = empty;
    layout->addWidget(m_empty);

    m_scroll = new CappedScrollArea;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_rowsBox = new QWidget;
    m_rows = new QVBoxLayout(m_rowsBox);
    m_rows->setContentsMargins(6, 0, 6, 8);
    m_rows->setSpacing(2);
    m_scroll->setWidget(m_rowsBox);
    // The scroll area fills its content with the default window colour; the list's own shows through.
    m_rowsBox->setAutoFillBackground(false);
    layout->addWidget(m_scroll);

    connect(&m_viewModel, &ai::AssistantViewModel::sessionsChanged, this,
            &ChatHistoryListView::scheduleRebuild);
    connect(&m_viewModel, &ai::AssistantViewModel::currentSessionIDChanged, this,
            &ChatHistoryListView::scheduleRebuild);
    connect(&m_viewModel, &ai::AssistantViewModel::isRunningChanged, this,
            &ChatHistoryListView::scheduleRebuild);
    rebuild();
}

ChatHistoryListView* ChatHistoryListView::popUp(ai::AssistantViewModel& viewModel, QWidget* anchor) {
    auto* popup = new QFrame(anchor, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* list = new ChatHistoryListView(
        viewModel, [popup] { popup->close(); }, popup);
    layout->addWidget(list);
    popup->adjustSize();
    // Below the button, centred on it.
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height()));
    popup->move(below.x() - popup->width() / 2, below.y() + 4);
    popup->show();
    return list;
}

QList<QWidget*> ChatHistoryListView::rows() const {
    QList<QWidget*> result;
    for (int index = 0; index < m_rows->count(); ++index)
        if (QWidget* widget = m_rows->itemAt(index)->widget())
            result.append(widget);
    return result;
}

QUuid ChatHistoryListView::sessionID(const QWidget* row) {
    return row->property(sessionProperty).toUuid();
}

QToolButton* ChatHistoryListView::deleteButton(const QWidget* row) {
    return row->findChild<QToolButton*>();
}

// Rows are remade once the current event is over, never under the row or button that caused the change.
void ChatHistoryListView::scheduleRebuild() {
    if (m_rebuildScheduled)
        return;
    m_rebuildScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildScheduled = false;
        rebuild();
    });
}

void ChatHistoryListView::rebuild() {
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<ai::ChatSession>& sessions = m_viewModel.sessions();
    m_empty->setVisible(sessions.isEmpty());
    m_scroll->setVisible(!sessions.isEmpty());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Rows added to a shown list would be shown only on the next turn of the event loop, and until then
    // the layouts would size the list without them: they are shown at once.
    for (const ai::ChatSession& session : sessions) {
        QWidget* sessionRow = row(session, now);
        m_rows->addWidget(sessionRow);
        sessionRow->show();
    }
    // Rows keep their own height; room the list has beyond them stays below them.
    m_rows->addStretch();
    m_rowsBox->adjustSize();
    m_scroll->updateGeometry();
    // The popup's layout keeps the list's size until the list itself says it changed.
    updateGeometry();
    if (QWidget* popup = parentWidget(); popup && popup->isWindow())
        popup->adjustSize();
}

QWidget* ChatHistoryListView::row(const ai::ChatSession& session, const QDateTime& now) {
    const bool current = session.id == m_viewModel.currentSessionID();
    const QUuid id = session.id;
    auto* row = new SessionRow(current, [this, id] {
        m_viewModel.switchToSession(id);
        m_dismiss();
    });
    row->setProperty(sessionProperty, id);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(8);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = new ElidedLabel(session.title);
    title->setObjectName(QStringLiteral("title"));
    title->setFont(panelFont(12, current ? QFont::DemiBold : QFont::Normal));
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    title->setToolTip(session.title);
    texts->addWidget(title);
    auto* date = new QLabel(relativeDate(session.updatedAt, now));
    date->setObjectName(QStringLiteral("date"));
    date->setFont(panelFont(10));
    setTextColour(date, Color::secondary(this));
    texts->addWidget(date);
    layout->addLayout(texts, 1);

    if (current) {
        auto* check = new QLabel;
        check->setObjectName(QStringLiteral("checkmark"));
        check->setPixmap(
            Symbols::pixmap(QStringLiteral("checkmark"), 10, Color::brandBlue(), false, devicePixelRatioF()));
        layout->addWidget(check);
    }
    QToolButton* trash = symbolButton(QStringLiteral("trash"), 10, tr("Delete this chat"));
    setButtonSymbol(trash, QStringLiteral("trash"), 10, Color::secondary(this, 0.7));
    trash->setEnabled(m_viewModel.canDeleteSession(id));
    connect(trash, &QToolButton::clicked, this, [this, id] { m_viewModel.deleteSession(id); });
    layout->addWidget(trash);
    return row;
}

} // namespace zepla::ui
