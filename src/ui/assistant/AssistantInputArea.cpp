#include "ui/assistant/AssistantInputArea.h"

#include "assistant/AssistantViewModel.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/assistant/PanelStyle.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QFileDialog>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

// Spaces and tabs only: a draft of line breaks still shows the send button.
bool hasTextBesideSpacesAndTabs(const QString& draft) {
    return std::any_of(draft.begin(), draft.end(), [](QChar c) { return c != u' ' && c != u'\t'; });
}

QString chooseAttachment(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, AssistantInputArea::tr("Add PDF or Text Attachment"), {},
                                        AssistantInputArea::tr("PDF or text (*.pdf *.txt *.text *.md);;"
                                                               "All files (*)"));
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

// A chip: its label on a white, outlined rounded box.
class SuggestionChip : public QPushButton {
public:
    SuggestionChip(const QString& label, QWidget* parent) : QPushButton(label, parent) {
        setFont(panelFont(12, QFont::Medium));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(metrics.horizontalAdvance(text()) + 24, metrics.height() + 14);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(Color::primary(this, 0.08), 1));
        painter.setBrush(QColor(255, 255, 255, isDown() ? 255 : 153));
        painter.drawRoundedRect(box, 12, 12);
        painter.setPen(Color::primary(this, 0.75));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

// The send button: a white arrow in a blue circle.
class SendButton : public QToolButton {
public:
    explicit SendButton(QWidget* parent) : QToolButton(parent) {
        setFixedSize(24, 24);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? Color::systemBlue().darker(115) : Color::systemBlue());
        painter.drawEllipse(QRectF(rect()));
        const QPixmap arrow =
            Symbols::pixmap(QStringLiteral("arrow.up"), 12, Qt::white, false, devicePixelRatioF());
        painter.drawPixmap(QPointF((width() - 12) / 2.0, (height() - 12) / 2.0), arrow);
    }
};

} // namespace

bool canSubmit(const ai::AssistantViewModel& viewModel) {
    return !viewModel.isRunning() &&
           (hasTextBesideSpacesAndTabs(viewModel.draft()) || viewModel.attachmentContent().has_value());
}

AssistantInputArea::AssistantInputArea(ai::AssistantViewModel& viewModel, QWidget* parent)
    : QWidget(parent), m_viewModel(viewModel), m_chooseFile(chooseAttachment) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(makeDocumentRow());
    layout->addWidget(makeChips());
    layout->addWidget(makeInputBox());

    connect(&m_viewModel, &ai::AssistantViewModel::documentNameChanged, m_documentName, &QLabel::setText);
    connect(&m_viewModel, &ai::AssistantViewModel::turnsChanged, this,
            [this] { m_chipBox->setVisible(m_viewModel.turns().isEmpty()); });
    connect(&m_viewModel, &ai::AssistantViewModel::draftChanged, this, &AssistantInputArea::syncDraft);
    connect(&m_viewModel, &ai::AssistantViewModel::isRunningChanged, this,
            &AssistantInputArea::syncSendButton);
    connect(&m_viewModel, &ai::AssistantViewModel::attachmentNameChanged, this,
            &AssistantInputArea::syncAttachment);
    connect(&m_viewModel, &ai::AssistantViewModel::attachmentContentChanged, this,
            &AssistantInputArea::syncSendButton);
    connect(&m_viewModel, &ai::AssistantViewModel::modelPreferenceChanged, this,
            &AssistantInputArea::syncModel);
    m_chipBox->setVisible(m_viewModel.turns().isEmpty());
    syncDraft();
    syncAttachment();
    syncModel();
}

QWidget* AssistantInputArea::makeDocumentRow() {
    auto* outer = new QWidget;
    auto* outerLayout = new QHBoxLayout(outer);
    outerLayout->setContentsMargins(12, 0, 12, 0);
    auto* row = new RoundedBox({.radius = 14, .primaryFill = 0.045});
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(14, 8, 14, 8);
    auto* symbol = new QLabel;
    symbol->setPixmap(Symbols::pixmap(QStringLiteral("doc.text.fill"), 11, Color::secondary(this), false,
                                      devicePixelRatioF()));
    layout->addWidget(symbol);
    m_documentName = new QLabel(m_viewModel.documentName());
    m_documentName->setObjectName(QStringLiteral("documentName"));
    m_documentName->setFont(panelFont(12, QFont::DemiBold));
    m_documentName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextColour(m_documentName, Color::primary(this, 0.8));
    layout->addWidget(m_documentName, 1);
    outerLayout->addWidget(row);
    return outer;
}

QWidget* AssistantInputArea::makeChips() {
    m_chipBox = new QWidget;
    auto* layout = new QVBoxLayout(m_chipBox);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(8);
    const std::pair<QString, QString> suggestions[] = {
        {tr("Create a summary of this page"), QStringLiteral("Summarize this page")},
        {tr("Expand on this topic"), QStringLiteral("Expand on this topic")},
    };
    for (const auto& [label, prompt] : suggestions) {
        auto* chip = new SuggestionChip(label, m_chipBox);
        connect(chip, &QPushButton::clicked, this, [this, prompt] {
            m_viewModel.setDraft(prompt);
            m_viewModel.submit();
        });
        layout->addWidget(chip, 0, Qt::AlignLeft);
        m_chips.append(chip);
    }
    return m_chipBox;
}

QWidget* AssistantInputArea::makeInputBox() {
    auto* outer = new QWidget;
    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(12, 0, 12, 12);
    auto* box = new RoundedBox({.radius = 18, .fill = QColor(Qt::white), .primaryStroke = 0.08});
    auto* shadow = new QGraphicsDropShadowEffect(box);
    shadow->setColor(QColor(0, 0, 0, 8));
    shadow->setBlurRadius(10);
    shadow->setOffset(0, 3);
    box->setGraphicsEffect(shadow);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeAttachmentChip());

    m_input = new ChatInputField([this] { return canSubmit(m_viewModel); });
    auto* inputPadding = new QWidget;
    auto* inputLayout = new QVBoxLayout(inputPadding);
    inputLayout->setContentsMargins(14, 12, 14, 8);
    inputLayout->addWidget(m_input);
    layout->addWidget(inputPadding);
    connect(m_input, &QPlainTextEdit::textChanged, this, [this] {
        if (m_input->toPlainText() != m_viewModel.draft())
            m_viewModel.setDraft(m_input->toPlainText());
    });
    connect(m_input, &ChatInputField::sendRequested, this, &AssistantInputArea::send);
    layout->addWidget(makeControlRow());
    outerLayout->addWidget(box);
    return outer;
}

QWidget* AssistantInputArea::makeAttachmentChip() {
    m_attachmentChip = new QWidget;
    auto* outerLayout = new QHBoxLayout(m_attachmentChip);
    outerLayout->setContentsMargins(14, 10, 14, 0);
    auto* chip = new RoundedBox({.radius = 10, .primaryFill = 0.05});
    auto* layout = new QHBoxLayout(chip);
    layout->setContentsMargins(10, 5, 10, 5);
    layout->setSpacing(6);
    auto* clip = new QLabel;
    clip->setPixmap(
        Symbols::pixmap(QStringLiteral("paperclip"), 11, Color::secondary(this), false, devicePixelRatioF()));
    layout->addWidget(clip);
    m_attachmentName = new QLabel;
    m_attachmentName->setObjectName(QStringLiteral("attachmentName"));
    m_attachmentName->setFont(panelFont(11, QFont::Medium));
    setTextColour(m_attachmentName, Color::secondary(this));
    layout->addWidget(m_attachmentName);
    m_removeAttachment = symbolButton(QStringLiteral("xmark.circle.fill"), 11, QString());
    connect(m_removeAttachment, &QToolButton::clicked, this, [this] { m_viewModel.removeAttachment(); });
    layout->addWidget(m_removeAttachment);
    outerLayout->addWidget(chip);
    outerLayout->addStretch(1);
    return m_attachmentChip;
}

QWidget* AssistantInputArea::makeControlRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 12, 10);
    layout->setSpacing(8);

    m_attach = symbolButton(QStringLiteral("plus"), 11, tr("Add PDF or Text Attachment"));
    m_attach->setFixedSize(24, 24);
    m_attach->setStyleSheet(
        QStringLiteral("QToolButton { border: none; border-radius: 12px; background: %1; }")
            .arg(Color::primary(this, 0.05).name(QColor::HexArgb)));
    connect(m_attach, &QToolButton::clicked, this, [this] {
        const QString path = m_chooseFile(window());
        if (!path.isEmpty())
            m_viewModel.attachFile(path);
    });
    layout->addWidget(m_attach);

    m_modelButton = new QToolButton;
    m_modelButton->setObjectName(QStringLiteral("modelMenu"));
    m_modelButton->setPopupMode(QToolButton::InstantPopup);
    m_modelButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_modelButton->setLayoutDirection(Qt::RightToLeft); // the chevron after the name
    m_modelButton->setFont(panelFont(11, QFont::Medium));
    m_modelButton->setFocusPolicy(Qt::NoFocus);
    m_modelButton->setCursor(Qt::PointingHandCursor);
    m_modelButton->setIcon(QIcon(Symbols::pixmap(QStringLiteral("chevron.down"), 7, Color::secondary(this),
                                                 false, devicePixelRatioF())));
    m_modelButton->setIconSize(QSize(7, 7));
    m_modelButton->setStyleSheet(
        QStringLiteral("QToolButton { border: none; border-radius: 10px; padding: 5px 10px; background: %1; }"
                       "QToolButton::menu-indicator { image: none; width: 0; }")
            .arg(Color::primary(this, 0.045).name(QColor::HexArgb)));
    auto* menu = new QMenu(m_modelButton);
    for (const ai::AIModelPreference preference : ai::allModelPreferences())
        menu->addAction(ai::rawValue(preference), this,
                        [this, preference] { m_viewModel.setModelPreference(preference); });
    m_modelButton->setMenu(menu);
    layout->addWidget(m_modelButton);
    layout->addStretch(1);

    m_send = new SendButton(row);
    m_send->setObjectName(QStringLiteral("send"));
    connect(m_send, &QToolButton::clicked, this, &AssistantInputArea::send);
    layout->addWidget(m_send);
    return row;
}

void AssistantInputArea::send() {
    m_viewModel.submit();
}

void AssistantInputArea::syncDraft() {
    if (m_input->toPlainText() != m_viewModel.draft()) {
        m_input->setPlainText(m_viewModel.draft());
        m_input->moveCursor(QTextCursor::End);
    }
    syncSendButton();
}

void AssistantInputArea::syncAttachment() {
    m_attachmentChip->setVisible(m_viewModel.attachmentName().has_value());
    m_attachmentName->setText(m_viewModel.attachmentName().value_or(QString()));
    syncSendButton();
}

void AssistantInputArea::syncModel() {
    m_modelButton->setText(ai::rawValue(m_viewModel.modelPreference()));
}

void AssistantInputArea::syncSendButton() {
    m_send->setVisible(canSubmit(m_viewModel));
}

} // namespace zepla::ui
