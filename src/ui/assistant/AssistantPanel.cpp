#include "ui/assistant/AssistantPanel.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/AnswerActions.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantInputArea.h"
#include "ui/assistant/ChatHistoryListView.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/theme/Colors.h"
#include "ui/theme/DialogSizing.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

constexpr int edgeInset = 8;
constexpr qreal leadingRadius = 14;

// Rounded on the leading corners only, square where the panel meets the window's edge.
QPainterPath panelShape(const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.right(), r.top());
    path.lineTo(r.left() + leadingRadius, r.top());
    path.arcTo(QRectF(r.left(), r.top(), 2 * leadingRadius, 2 * leadingRadius), 90, 90);
    path.lineTo(r.left(), r.bottom() - leadingRadius);
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * leadingRadius, 2 * leadingRadius, 2 * leadingRadius), 180,
               90);
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    return path;
}

} // namespace

AssistantPanel::AssistantPanel(std::shared_ptr<ai::AssistantViewModel> viewModel,
                               std::function<void()> onToggleSidebar, std::function<void()> onClose,
                               QWidget* parent)
    : QWidget(parent), m_viewModel(std::move(viewModel)), m_onToggleSidebar(std::move(onToggleSidebar)),
      m_onClose(std::move(onClose)), m_actions(new AnswerActions(this)) {
    setMinimumWidth(minWidth);
    setMaximumWidth(maxWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, edgeInset, edgeInset, edgeInset);
    layout->setSpacing(0);
    m_header = makeHeader();
    m_conversation = new AssistantConversation(*m_viewModel, *m_actions);
    m_inputArea = new AssistantInputArea(*m_viewModel);
    layout->addWidget(m_header);
    layout->addWidget(m_conversation, 1);
    layout->addWidget(m_inputArea);
    connect(m_actions, &AnswerActions::problem, this, &AssistantPanel::tellUser);
    connect(m_viewModel.get(), &ai::AssistantViewModel::isLoadingHistoryChanged, this, [this] {
        if (isVisible())
            tellHistoryNotice();
    });
}

AssistantPanel::~AssistantPanel() = default;

QWidget* AssistantPanel::makeHeader() {
    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(16, 12, 16, 6);
    layout->setSpacing(12);
    const auto add = [&](const QString& symbol, int points, const QString& help, auto action) {
        QToolButton* button = symbolButton(symbol, points, help);
        connect(button, &QToolButton::clicked, this, action);
        layout->addWidget(button);
        return button;
    };
    add(QStringLiteral("sidebar.left"), 14, tr("Toggle Page Sidebar"), [this] {
        if (m_onToggleSidebar)
            m_onToggleSidebar();
    });
    add(QStringLiteral("square.and.pencil"), 14, tr("New Conversation"),
        [this] { m_viewModel->startNewConversation(); });
    m_historyButton =
        add(QStringLiteral("clock.arrow.circlepath"), 14, tr("Chat History"), [this] { showHistory(); });
    layout->addStretch(1);
    add(QStringLiteral("ellipsis"), 14, tr("AI Assistant Settings…"), [this] { openSettings(); });
    add(QStringLiteral("xmark"), 13, tr("Close Assistant"), [this] {
        if (m_onClose)
            m_onClose();
    });
    return header;
}

QToolButton* AssistantPanel::headerButton(const QString& toolTip) const {
    for (QToolButton* button : m_header->findChildren<QToolButton*>())
        if (button->toolTip() == toolTip)
            return button;
    return nullptr;
}

ChatHistoryListView* AssistantPanel::historyList() const {
    return m_historyButton->findChild<ChatHistoryListView*>();
}

void AssistantPanel::showHistory() {
    if (!historyList())
        ChatHistoryListView::popUp(*m_viewModel, m_historyButton);
}

// The window's Settings… command, where the window has one.
void AssistantPanel::openSettings() {
    if (QAction* settings = window()->findChild<QAction*>(QStringLiteral("openSettings")))
        settings->trigger();
}

void AssistantPanel::tellUser(const QString& message) {
    auto* box = new QMessageBox(QMessageBox::Information, tr("Assistant"), message, QMessageBox::Ok, this);
    sizeAlertToText(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void AssistantPanel::showEvent(QShowEvent*) {
    m_inputArea->input()->setFocus(Qt::OtherFocusReason);
    tellHistoryNotice();
}

// Once, when the panel is on screen with the history loaded.
void AssistantPanel::tellHistoryNotice() {
    if (const std::optional<QString> notice = m_viewModel->takeHistoryNotice())
        tellUser(*notice);
}

// Repainted under the conversation at every step of a scroll, so in bands (see paintInBands).
void AssistantPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, edgeInset + 0.5, -edgeInset - 0.5, -edgeInset - 0.5);
    const QPainterPath shape = panelShape(box);
    const QPen edge(Color::primary(this, 0.06), 1);
    paintInBands(painter, event->rect(), [&] {
        painter.fillPath(shape, assistantBackground());
        painter.strokePath(shape, edge);
    });
}

} // namespace zepla::ui
