#include "ui/assistant/TurnView.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/AnswerActions.h"
#include "ui/assistant/AnswerView.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/markdown/MarkdownFonts.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zepla::ui {

using ai::AssistantTurn;

TurnView::TurnView(const AssistantTurn& turn, ai::AssistantViewModel& viewModel, AnswerActions& actions,
                   QWidget* parent)
    : QWidget(parent), m_turn(turn) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    switch (turn.role) {
    case AssistantTurn::Role::user:
        layout->addWidget(userBubble());
        break;
    case AssistantTurn::Role::assistant:
        layout->addWidget(answer(viewModel, actions));
        break;
    case AssistantTurn::Role::error:
        layout->addWidget(errorRow());
        break;
    }
}

// Hugs the trailing edge, at least 40 points from the leading one.
QWidget* TurnView::userBubble() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(40);
    layout->addStretch(1);
    auto* bubble = new RoundedBox({.radius = 16, .primaryFill = 0.065});
    auto* inside = new QVBoxLayout(bubble);
    inside->setContentsMargins(14, 8, 14, 8);
    inside->addWidget(makeMarkdownView(m_turn.text, Color::primary(this)));
    // No wider than its longest line, so that a short question makes a short bubble.
    const QFontMetrics metrics(MarkdownFonts::body());
    int longest = 0;
    for (const QString& line : m_turn.text.split('\n'))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    bubble->setMaximumWidth(longest + 2 * 14 + metrics.averageCharWidth());
    bubble->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    layout->addWidget(bubble, 0, Qt::AlignRight);
    return row;
}

QWidget* TurnView::answer(ai::AssistantViewModel& viewModel, AnswerActions& actions) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(8);
    auto* text = makeMarkdownView(m_turn.text, Color::primary(this));
    text->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(text);
    layout->addWidget(assistantActionsRow(viewModel, actions));
    return box;
}

QWidget* TurnView::assistantActionsRow(ai::AssistantViewModel& viewModel, AnswerActions& actions) {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("assistantActionsRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 0);
    layout->setSpacing(12);
    const QString text = m_turn.text;
    const auto add = [&](const QString& symbol, const QString& help) {
        QToolButton* button = symbolButton(symbol, 11, help);
        layout->addWidget(button);
        return button;
    };
    // No effect is defined for the two ratings.
    add(QStringLiteral("hand.thumbsup"), tr("Helpful"));
    add(QStringLiteral("hand.thumbsdown"), tr("Not helpful"));
    QToolButton* share = add(QStringLiteral("square.and.arrow.up"), tr("Share response"));
    connect(share, &QToolButton::clicked, this, [&actions, text, share] { actions.share(text, share); });
    connect(add(QStringLiteral("doc.on.doc"), tr("Copy to clipboard")), &QToolButton::clicked, this,
            [text] { AnswerActions::copy(text); });
    connect(add(QStringLiteral("speaker.wave.2"), tr("Read aloud")), &QToolButton::clicked, this,
            [&actions, text] { actions.readAloud(text); });
    connect(add(QStringLiteral("arrow.clockwise"), tr("Regenerate response")), &QToolButton::clicked, this,
            [&viewModel] { viewModel.submit(); });
    layout->addStretch(1);
    QToolButton* edit =
        symbolButton(QStringLiteral("square.and.pencil"), 11, tr("Copy and edit response in a new document"));
    edit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    edit->setText(tr("Edit in a page"));
    edit->setFont(panelFont(11, QFont::Medium));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::ButtonText, Color::secondary(this));
    edit->setPalette(palette);
    connect(edit, &QToolButton::clicked, this, [text] { AnswerActions::copy(text); });
    layout->addWidget(edit);
    return row;
}

QWidget* TurnView::errorRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    auto* symbol = new QLabel;
    symbol->setPixmap(Symbols::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 12, Qt::red, false,
                                      devicePixelRatioF()));
    layout->addWidget(symbol, 0, Qt::AlignTop);
    // Red text as well as red formulas: the blocks draw their text in the view's foreground colour.
    QWidget* text = makeMarkdownView(m_turn.text, Qt::red);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    text->setPalette(palette);
    layout->addWidget(text, 1);
    return row;
}

} // namespace zepla::ui
