#include "ui/assistant/AssistantConversation.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/BandedScrollBar.h"
#include "ui/assistant/GreetingName.h"
#include "ui/assistant/LazyColumn.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/assistant/TurnView.h"
#include "ui/assistant/TypingIndicator.h"
#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zepla::ui {

AssistantConversation::AssistantConversation(ai::AssistantViewModel& viewModel, AnswerActions& actions,
                                             QWidget* parent)
    : QScrollArea(parent), m_viewModel(viewModel), m_actions(actions) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBar(new BandedScrollBar(Qt::Vertical));
    viewport()->setAutoFillBackground(false);
    m_column = new LazyColumn(
        [this](qsizetype index) { return new TurnView(m_turns[index], m_viewModel, m_actions, m_column); },
        [this](qsizetype index, int width) { return estimateHeight(index, width); }, 14, 14);
    m_greeting = makeGreeting();
    m_today = makeTodayRow();
    m_column->addHeader(m_greeting);
    m_column->addHeader(m_today);
    setWidget(m_column);
    m_column->setAutoFillBackground(false);

    m_scroll.setDuration(scrollMs);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { verticalScrollBar()->setValue(value.toInt()); });
    connect(&m_scroll, &QVariantAnimation::finished, this, [this] {
        m_landed = true;
        retarget();
    });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &AssistantConversation::retarget);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        // Moved off the end by anything but the scroll to it: the view stops following.
        if (m_landed && value != verticalScrollBar()->maximum())
            m_following = false;
        syncVisibleArea();
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] {
        m_following = false;
        m_scroll.stop();
    });
    // Turns above the visible part measured anew keep what is on screen in place, unless a scroll to the
    // end is under way, which aims anew anyway.
    connect(m_column, &LazyColumn::shifted, this, [this](int delta) {
        if (!m_following)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + delta);
    });

    connect(&m_viewModel, &ai::AssistantViewModel::turnsChanged, this, [this] {
        const qsizetype before = m_turns.size();
        syncTurns();
        if (m_turns.size() != before && !m_turns.isEmpty())
            scrollToEnd();
    });
    connect(&m_viewModel, &ai::AssistantViewModel::isLoadingHistoryChanged, this,
            &AssistantConversation::syncTurns);
    connect(&m_viewModel, &ai::AssistantViewModel::isRunningChanged, this, [this](bool running) {
        syncRunning(running);
        if (running)
            scrollToEnd();
    });
    syncTurns();
    syncRunning(m_viewModel.isRunning());
}

TurnView* AssistantConversation::turnView(qsizetype index) const {
    return static_cast<TurnView*>(m_column->view(index));
}

QList<TurnView*> AssistantConversation::liveTurnViews() const {
    QList<TurnView*> views;
    for (QWidget* view : m_column->liveViews())
        views.append(static_cast<TurnView*>(view));
    return views;
}

QWidget* AssistantConversation::typingBubble() const {
    return m_column->footer();
}

TypingIndicator* AssistantConversation::typingIndicator() const {
    QWidget* bubble = typingBubble();
    return bubble ? bubble->findChild<TypingIndicator*>() : nullptr;
}

void AssistantConversation::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    m_column->resize(viewport()->width(), m_column->height());
    syncVisibleArea();
}

void AssistantConversation::syncVisibleArea() {
    m_column->setVisibleArea(verticalScrollBar()->value(), viewport()->height());
}

// Entries are kept while the turns before them stay the same, so an appended turn adds one entry.
void AssistantConversation::syncTurns() {
    const QList<ai::AssistantTurn>& turns = m_viewModel.turns();
    qsizetype kept = 0;
    while (kept < m_turns.size() && kept < turns.size() && m_turns[kept] == turns[kept])
        ++kept;
    m_turns = turns;
    // No greeting before the stored conversations are in: it would invite a question as if there were none.
    m_greeting->setVisible(turns.isEmpty() && !m_viewModel.isLoadingHistory());
    m_today->setVisible(!turns.isEmpty());
    m_column->truncate(kept);
    m_column->append(turns.size() - kept);
}

// About 7 points a character on lines 22 points apart, plus the bubble's padding or the answer's actions.
int AssistantConversation::estimateHeight(qsizetype index, int width) const {
    const ai::AssistantTurn& turn = m_turns[index];
    const qsizetype perLine = std::max(width / 7, 1);
    const qsizetype lines = turn.text.count('\n') + 1 + turn.text.size() / perLine;
    const int extra = turn.role == ai::AssistantTurn::Role::assistant ? 40 : 16;
    return int(std::min<qsizetype>(lines * 22 + extra, 1 << 24));
}

void AssistantConversation::syncRunning(bool running) {
    if (!running)
        m_column->setFooter(nullptr);
    else if (!typingBubble())
        m_column->setFooter(makeTypingBubble());
}

void AssistantConversation::scrollToEnd() {
    m_following = true;
    m_landed = false;
    m_scroll.stop();
    m_column->relayout();
    retarget();
}

void AssistantConversation::retarget() {
    if (!m_following)
        return;
    QScrollBar* bar = verticalScrollBar();
    const int target = bar->maximum();
    if (m_landed) {
        bar->setValue(target);
        return;
    }
    // The end moved on the way (the answer is being measured): the scroll goes on to the new end.
    if (m_scroll.state() == QAbstractAnimation::Running) {
        m_scroll.setEndValue(target);
        return;
    }
    // A long way is not travelled: the scroll sets out two screens above the end, so the turns in between
    // never need views.
    m_scroll.setStartValue(std::max(bar->value(), target - 2 * viewport()->height()));
    m_scroll.setEndValue(target);
    m_scroll.start();
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
