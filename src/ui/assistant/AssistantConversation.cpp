#include "ui/assistant/AssistantConversation.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/GreetingName.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/assistant/TurnView.h"
#include "ui/assistant/TypingIndicator.h"
#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {
QVBoxLayout* contentLayout(QWidget* content) {
    return static_cast<QVBoxLayout*>(content->layout());
}
} // namespace

AssistantConversation::AssistantConversation(ai::AssistantViewModel& viewModel, AnswerActions& actions,
                                             QWidget* parent)
    : QScrollArea(parent), m_viewModel(viewModel), m_actions(actions), m_content(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_content->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);
    m_greeting = makeGreeting();
    m_today = makeTodayRow();
    layout->addWidget(m_greeting);
    layout->addWidget(m_today);
    layout->addStretch(1);
    setWidget(m_content);

    m_scroll.setDuration(scrollMs);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { verticalScrollBar()->setValue(value.toInt()); });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &AssistantConversation::retarget);

    connect(&m_viewModel, &ai::AssistantViewModel::turnsChanged, this, [this] {
        const qsizetype before = m_turnViews.size();
        syncTurns();
        if (m_turnViews.size() != before && !m_turnViews.isEmpty())
            scrollToBottomOf(m_turnViews.last());
    });
    connect(&m_viewModel, &ai::AssistantViewModel::isRunningChanged, this, [this](bool running) {
        syncRunning(running);
        if (running)
            scrollToBottomOf(m_typing);
    });
    syncTurns();
    syncRunning(m_viewModel.isRunning());
}

TypingIndicator* AssistantConversation::typingIndicator() const {
    return m_typing ? m_typing->findChild<TypingIndicator*>() : nullptr;
}

// Entries are kept while the turns before them stay the same, so an appended turn adds one entry.
void AssistantConversation::syncTurns() {
    const QList<ai::AssistantTurn>& turns = m_viewModel.turns();
    qsizetype kept = 0;
    while (kept < m_turnViews.size() && kept < turns.size() && m_turnViews[kept]->turn() == turns[kept])
        ++kept;
    while (m_turnViews.size() > kept)
        delete m_turnViews.takeLast();
    QVBoxLayout* layout = contentLayout(m_content);
    for (qsizetype index = kept; index < turns.size(); ++index) {
        auto* view = new TurnView(turns[index], m_viewModel, m_actions, m_content);
        // After the greeting, the "Today" row and the entries before it.
        layout->insertWidget(int(2 + index), view);
        m_turnViews.append(view);
    }
    m_greeting->setVisible(turns.isEmpty());
    m_today->setVisible(!turns.isEmpty());
}

void AssistantConversation::syncRunning(bool running) {
    if (!running) {
        delete m_typing;
        return;
    }
    if (m_typing)
        return;
    m_typing = makeTypingBubble();
    contentLayout(m_content)->insertWidget(int(2 + m_turnViews.size()), m_typing);
}

void AssistantConversation::scrollToBottomOf(QWidget* target) {
    m_scrollTarget = target;
    m_content->layout()->activate();
    retarget();
}

void AssistantConversation::retarget() {
    if (!m_scrollTarget)
        return;
    QScrollBar* bar = verticalScrollBar();
    const int bottom =
        m_scrollTarget->geometry().bottom() + 1 + m_content->layout()->contentsMargins().bottom();
    const int target = std::clamp(bottom - viewport()->height(), bar->minimum(), bar->maximum());
    if (m_scroll.state() == QAbstractAnimation::Running && m_scroll.endValue().toInt() == target)
        return;
    m_scroll.stop();
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(target);
    m_scroll.start();
    // Later growth of the content (answers measured after they are shown) follows for the length of a scroll.
    connect(
        &m_scroll, &QVariantAnimation::finished, this, [this] { m_scrollTarget.clear(); },
        Qt::SingleShotConnection);
}

QWidget* AssistantConversation::makeGreeting() {
    auto* label = new QLabel(tr("Hi %1").arg(displayFirstName(userFullName(), userLoginName())));
    label->setObjectName(QStringLiteral("greeting"));
    label->setFont(panelFont(24, QFont::Bold));
    label->setWordWrap(true);
    label->setContentsMargins(16, 24, 16, 0);
    return label;
}

QWidget* AssistantConversation::makeTodayRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 8, 0, 4);
    layout->setSpacing(8);
    auto* today = new QLabel(tr("Today"));
    today->setFont(panelFont(11, QFont::Bold));
    QPalette palette = today->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(this, 0.8));
    today->setPalette(palette);
    layout->addWidget(today);
    auto* divider = new RoundedBox({.primaryFill = 0.08});
    divider->setFixedHeight(1);
    layout->addWidget(divider, 1);
    return row;
}

QWidget* AssistantConversation::makeTypingBubble() {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("typing"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bubble = new RoundedBox({.radius = 13, .primaryFill = 0.06});
    auto* inside = new QHBoxLayout(bubble);
    inside->setContentsMargins(12, 10, 12, 10);
    inside->addWidget(new TypingIndicator);
    layout->addWidget(bubble, 0, Qt::AlignTop);
    layout->addStretch(1);
    layout->addSpacing(30);
    return row;
}

} // namespace zepla::ui
