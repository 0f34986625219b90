#include "ui/settings/SettingsView.h"

#include "core/DefaultPDFHandler.h"
#include "core/Settings.h"
#include "core/Wording.h"
#include "keys/APIKeyStore.h"
#include "ui/passwords/PasswordField.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

using ai::APIProviderKind;
using ai::APIKeyStore::clear;

const QColor kGreen = Color::hex(0x34C759);

bool isBlank(const QString& text) {
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

// The assistant posts to this address, so only a web address with a host is taken.
bool isWebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() &&
           (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")) &&
           !url.host().isEmpty();
}

QLabel* symbolLabel(const QString& name, int size, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(Symbols::pixmap(name, size, colour, false, parent->devicePixelRatioF()));
    return label;
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(Color::secondary(parent).name(QColor::HexArgb)));
    return label;
}

QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setWeight(QFont::Medium);
    label->setFont(font);
    return label;
}

// A section: its title above a framed body, and a footer below.
QWidget* section(const QString& title, QWidget* body, const QString& footer, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* header = captionLabel(title, box);
    QFont font = header->font();
    font.setWeight(QFont::DemiBold);
    header->setFont(font);
    layout->addWidget(header);
    body->setParent(box);
    body->setObjectName(QStringLiteral("settingsSectionBody"));
    body->setAttribute(Qt::WA_StyledBackground);
    // Spare height goes below the sections, never into them.
    body->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    body->setStyleSheet(QStringLiteral("#settingsSectionBody { border: 1px solid %1; border-radius: 8px; }")
                            .arg(Color::secondary(parent, 0.35).name(QColor::HexArgb)));
    layout->addWidget(body);
    auto* footerLabel = captionLabel(footer, box);
    footerLabel->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(footerLabel);
    return box;
}

} // namespace

SettingsView::SettingsView(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(tr("Settings"));
    setFixedWidth(640);
    setMinimumHeight(560);
    resize(640, 760);

    // Keys in either pool count: the assistant uses a Groq key as readily as an Ollama one.
    const std::optional<QString> ollamaKey = ai::APIKeyStore::load(APIProviderKind::ollama);
    const bool anyKey =
        (ollamaKey && !ollamaKey->isEmpty()) || !ai::APIKeyStore::allKeys(APIProviderKind::groq).isEmpty();
    m_isKeySaved = anyKey;
    m_usingBuiltInAPI = !anyKey;
    m_isDefaultPDFViewer = platform::DefaultPDFHandler::isDefault();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(20);
    layout->addWidget(makeGeneralSection());
    layout->addWidget(makeAssistantSection());
    layout->addStretch();

    m_urlField->setText(ai::APIKeyStore::loadURL());
    m_keyField->setText(ollamaKey.value_or(QString()));
    connect(m_keyField, &QLineEdit::textChanged, this, &SettingsView::keyChanged);
    if (const QString problem = platform::settingsFileProblem(); !problem.isEmpty()) {
        m_errorLine->setText(problem);
        m_errorLine->show();
    }
    refresh();

    // A window without a menu bar of its own still takes the keys every window of the application takes.
    for (const QKeySequence& keys : {QKeySequence(QStringLiteral("Ctrl+W")), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this), &QShortcut::activated, this,
            &SettingsView::quitRequested);
}

SettingsView* SettingsView::showShared() {
    static QPointer<SettingsView> shared;
    if (!shared) {
        shared = new SettingsView;
        shared->setAttribute(Qt::WA_DeleteOnClose);
    }
    shared->show();
    shared->raise();
    shared->activateWindow();
    return shared;
}

QWidget* SettingsView::makeGeneralSection() {
    auto* body = new QWidget(this);
    auto* form = new QFormLayout(body);
    form->setContentsMargins(14, 10, 14, 10);
    m_defaultRow = new QStackedWidget(body);
    m_setDefaultButton = new QPushButton(tr("Set as Default"), m_defaultRow);
    connect(m_setDefaultButton, &QPushButton::clicked, this, &SettingsView::setAsDefault);
    auto* isDefault = new QWidget(m_defaultRow);
    auto* row = new QHBoxLayout(isDefault);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(symbolLabel(QStringLiteral("checkmark.circle.fill"), 16, kGreen, this));
    auto* isDefaultText = new QLabel(tr("Zepla is your default"), isDefault);
    isDefaultText->setStyleSheet(
        QStringLiteral("color: %1;").arg(Color::secondary(this).name(QColor::HexArgb)));
    row->addWidget(isDefaultText);
    row->addStretch();
    auto* buttonHolder = new QWidget(m_defaultRow);
    auto* buttonRow = new QHBoxLayout(buttonHolder);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(m_setDefaultButton);
    buttonRow->addStretch();
    m_defaultRow->addWidget(buttonHolder);
    m_defaultRow->addWidget(isDefault);
    form->addRow(tr("Default PDF Viewer"), m_defaultRow);
    return section(tr("GENERAL"), body,
                   platform::adaptWording(tr("Makes PDFs open in Zepla automatically when double-clicked in "
                                             "Finder, Mail, or anywhere else.")),
                   this);
}

QWidget* SettingsView::makeAssistantSection() {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(12);
    const auto addField = [&](const QString& label, QLineEdit* field) {
        auto* column = new QVBoxLayout;
        column->setSpacing(4);
        column->addWidget(fieldLabel(label, body));
        column->addWidget(field);
        layout->addLayout(column);
    };
    m_urlField = new QLineEdit(body);
    m_urlField->setPlaceholderText(tr("Enter API URL..."));
    addField(tr("API URL"), m_urlField);
    m_keyField = new QLineEdit(body);
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setPlaceholderText(tr("Enter API Key..."));
    addField(tr("API Key"), m_keyField);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    m_saveButton = new QPushButton(tr("Save"), body);
    m_builtInButton = new QPushButton(tr("Use Zepla's AI"), body);
    Passwords::makeProminent(m_builtInButton);
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsView::save);
    connect(m_builtInButton, &QPushButton::clicked, this, &SettingsView::useBuiltInAI);
    m_savedMark = new QWidget(body);
    m_savedMark->setObjectName(QStringLiteral("savedMark"));
    auto* mark = new QHBoxLayout(m_savedMark);
    mark->setContentsMargins(0, 0, 0, 0);
    mark->setSpacing(4);
    mark->addWidget(symbolLabel(QStringLiteral("checkmark"), 10, Color::secondary(this), this));
    mark->addWidget(captionLabel(tr("Saved"), m_savedMark));
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_builtInButton);
    buttons->addWidget(m_savedMark);
    buttons->addStretch();
    layout->addLayout(buttons);

    m_errorLine = new QLabel(body);
    m_errorLine->setWordWrap(true);
    m_errorLine->setStyleSheet(QStringLiteral("color: #D70015;"));
    m_errorLine->hide();
    layout->addWidget(m_errorLine);

    auto* status = new QHBoxLayout;
    status->setSpacing(6);
    status->addWidget(fieldLabel(tr("Status"), body));
    status->addSpacing(12);
    m_statusSymbol = new QLabel(body);
    m_statusText = new QLabel(body);
    status->addWidget(m_statusSymbol);
    status->addWidget(m_statusText);
    status->addStretch();
    layout->addLayout(status);

    return section(
        tr("AI ASSISTANT"), body,
        tr("By default, the Ask panel uses Zepla's built-in AI (routed through our server — we never "
           "see your own API key because you don't need one). Add your own Ollama Cloud or Groq key "
           "instead if you'd rather call the provider directly."),
        this);
}

QString SettingsView::statusText() const {
    return m_statusText->text();
}

QString SettingsView::errorText() const {
    return m_errorLine->isHidden() ? QString() : m_errorLine->text();
}

void SettingsView::save() {
    const QString url = m_urlField->text();
    if (!isWebAddress(url)) {
        m_errorLine->setText(tr("“%1” is not a web address. Enter an address such as %2; nothing was saved.")
                                 .arg(url, ai::APIKeyStore::defaultOllamaURL()));
        m_errorLine->show();
        return;
    }
    if (!canStore())
        return;
    m_errorLine->hide();
    ai::APIKeyStore::saveURL(url);
    ai::APIKeyStore::save(m_keyField->text(), APIProviderKind::ollama);
    m_isKeySaved = true;
    m_usingBuiltInAPI = false;
    m_justSaved = true;
    refresh();
}

void SettingsView::useBuiltInAI() {
    if (!canStore())
        return;
    m_errorLine->hide();
    // Emptying a field that held text is a change of the key: its handler takes the "Saved" mark away
    // again after this action, so the mark shows only when the field was empty already.
    const bool keyFieldChanges = !m_keyField->text().isEmpty();
    m_keyField->setText(QString());
    m_urlField->setText(ai::APIKeyStore::defaultOllamaURL());
    ai::APIKeyStore::saveURL(m_urlField->text());
    clear(APIProviderKind::ollama);
    clear(APIProviderKind::groq);
    m_isKeySaved = false;
    m_usingBuiltInAPI = true;
    m_justSaved = !keyFieldChanges;
    refresh();
}

// A preferences file that cannot keep the key is said in the red line, and nothing claims to be saved.
bool SettingsView::canStore() {
    const QString problem = platform::settingsFileProblem();
    if (problem.isEmpty())
        return true;
    m_errorLine->setText(problem + QLatin1Char(' ') + tr("Nothing was saved."));
    m_errorLine->show();
    return false;
}

void SettingsView::keyChanged() {
    m_justSaved = false;
    if (!isBlank(m_keyField->text()))
        m_usingBuiltInAPI = false;
    refresh();
}

void SettingsView::setAsDefault() {
    m_setDefaultButton->setEnabled(false);
    QPointer<SettingsView> self(this);
    platform::DefaultPDFHandler::setAsDefault([self](const std::optional<QString>&) {
        if (!self)
            return;
        self->m_isDefaultPDFViewer = platform::DefaultPDFHandler::isDefault();
        self->m_setDefaultButton->setEnabled(true);
        self->refresh();
    });
}

void SettingsView::refresh() {
    m_defaultRow->setCurrentIndex(m_isDefaultPDFViewer ? 1 : 0);
    m_saveButton->setEnabled(!isBlank(m_keyField->text()));
    m_builtInButton->setEnabled(!m_usingBuiltInAPI);
    m_savedMark->setVisible(m_justSaved);
    const bool active = m_usingBuiltInAPI || m_isKeySaved;
    m_statusSymbol->setPixmap(
        Symbols::pixmap(active ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("info.circle"), 13,
                        active ? kGreen : Color::secondary(this), false, devicePixelRatioF()));
    if (m_usingBuiltInAPI)
        m_statusText->setText(tr("Using Zepla's built-in AI — no key needed"));
    else if (m_isKeySaved)
        m_statusText->setText(tr("Using your own API key"));
    else
        m_statusText->setText(tr("No active configuration"));
}

} // namespace zepla::ui
