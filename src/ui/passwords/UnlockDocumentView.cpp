#include "ui/passwords/UnlockDocumentView.h"

#include "document/PDFEditorDocument.h"
#include "ui/passwords/PasswordField.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

constexpr int fieldWidth = 240;

// The lock symbol filled with the brand gradient.
QPixmap lockSymbol(int size, qreal devicePixelRatio) {
    QPixmap symbol = Symbols::pixmap(QStringLiteral("lock.doc"), size, Qt::black, false, devicePixelRatio);
    QPainter painter(&symbol);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), Color::brandGradient(QRectF(0, 0, size, size)));
    return symbol;
}

} // namespace

UnlockDocumentView::UnlockDocumentView(document::PDFEditorDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document),
      m_password(Passwords::makePasswordField(QStringLiteral("Password"), this)),
      m_wrongPasswordLabel(Passwords::makeErrorLabel(this)),
      m_unlock(new QPushButton(QStringLiteral("Unlock"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->setSpacing(18);
    layout->setAlignment(Qt::AlignHCenter);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(lockSymbol(34, devicePixelRatioF()));
    auto* title = new QLabel(QStringLiteral("Password Required"), this);
    title->setFont(Passwords::roundedFont(18, true));
    auto* subtitle = new QLabel(QStringLiteral("This PDF is password-protected."), this);
    subtitle->setFont(Passwords::roundedFont(13));
    subtitle->setStyleSheet(QStringLiteral("color: %1;").arg(Color::secondary(this).name(QColor::HexArgb)));
    m_password->setFixedWidth(fieldWidth);
    // As wide as the field above it: a wrapping label left to its own size hint would be given a narrow
    // column and one line's height, cutting its text off at the top and bottom.
    m_wrongPasswordLabel->setFixedWidth(fieldWidth);
    m_wrongPasswordLabel->setAlignment(Qt::AlignHCenter);
    m_cancel->setFlat(true);
    m_unlock->setDefault(true);
    m_unlock->setEnabled(false);
    Passwords::makeProminent(m_unlock);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_unlock);

    layout->addStretch(1);
    for (QWidget* w :
         {static_cast<QWidget*>(symbol), static_cast<QWidget*>(title), static_cast<QWidget*>(subtitle),
          static_cast<QWidget*>(m_password), static_cast<QWidget*>(m_wrongPasswordLabel)})
        layout->addWidget(w, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->setAlignment(buttons, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(m_password, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_unlock->setEnabled(!text.isEmpty()); });
    // Return tries even an empty password, as the button cannot.
    connect(m_password, &QLineEdit::returnPressed, this, &UnlockDocumentView::unlock);
    connect(m_unlock, &QPushButton::clicked, this, &UnlockDocumentView::unlock);
    connect(m_cancel, &QPushButton::clicked, this, [this] { window()->close(); });
    m_password->setFocus();
}

void UnlockDocumentView::unlock() {
    if (m_document.pdfDocument()->authenticate(m_password->text())) {
        m_document.announceChange();
        return;
    }
    m_wrongPassword = true;
    Passwords::showError(m_wrongPasswordLabel, QStringLiteral("That password didn't work."));
}

void UnlockDocumentView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Color::withOpacity(Color::paperCream(), 0.4));
}

} // namespace zepla::ui
