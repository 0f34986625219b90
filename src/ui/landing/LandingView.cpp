#include "ui/landing/LandingView.h"

#include "document/FileOpenRouter.h"
#include "ui/landing/OpenDocumentCard.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/landing/RecentsSection.h"
#include "ui/theme/Colors.h"
#include "ui/theme/DialogSizing.h"
#include "ui/theme/Symbols.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

namespace FileOpenRouter = document::FileOpenRouter;

constexpr int columnWidth = 900;
constexpr int inset = 28;

// The highlighter symbol painted with the brand gradient, top to bottom.
QPixmap gradientSymbol(const QString& name, int size, qreal ratio) {
    QPixmap pixmap = Symbols::pixmap(name, size, Qt::white, false, ratio);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), Color::brandGradient(QRectF(0, 0, size, size)));
    return pixmap;
}

QLabel* label(const QString& text, int pixels, QFont::Weight weight, const QColor& colour) {
    auto* result = new QLabel(text);
    QFont font = result->font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    result->setFont(font);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, colour);
    result->setPalette(palette);
    return result;
}

QWidget* header(QWidget* view) {
    auto* icon = new QLabel;
    icon->setPixmap(gradientSymbol(QStringLiteral("highlighter"), 26, view->devicePixelRatioF()));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(label(LandingView::tr("Zepla"), 18, QFont::DemiBold, Color::primary(view)));
    titles->addWidget(label(LandingView::tr("Highlight, draw, and ask AI about your PDFs."), 12,
                            QFont::Normal, Color::secondary(view)));
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(icon);
    layout->addLayout(titles);
    layout->addStretch();
    return row;
}

} // namespace

LandingView::LandingView(QWidget* parent) : LandingView(OpenInPlace{}, parent) {}

LandingView::LandingView(OpenInPlace onOpenInPlace, QWidget* parent)
    : QWidget(parent), m_onOpenInPlace(std::move(onOpenInPlace)),
      m_card(new OpenDocumentCard([this](const QList<QUrl>& urls) { return handleDrop(urls); })),
      m_recents(new RecentsSection) {
    connect(m_card->selectFileButton(), &QPushButton::clicked, this, &LandingView::selectFile);
    connect(m_recents, &RecentsSection::openRequested, this, &LandingView::openDocumentAction);
    connect(m_recents, &RecentsSection::clearRequested, this, &LandingView::clearRecents);

    auto* column = new QWidget;
    column->setMaximumWidth(columnWidth);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(inset, inset, inset, inset);
    stack->setSpacing(28);
    stack->addWidget(header(this));
    stack->addWidget(m_card);
    stack->addWidget(m_recents);
    stack->addStretch();

    auto* content = new QWidget;
    auto* centring = new QHBoxLayout(content);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->addWidget(column);

    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    reloadRecents();
}

void LandingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), Color::withOpacity(Color::paperCream(), 0.4));
}

void LandingView::showEvent(QShowEvent* event) {
    reloadRecents();
    QWidget::showEvent(event);
}

void LandingView::reloadRecents() {
    m_recentDocumentPaths = RecentDocuments::paths();
    m_recents->setPaths(m_recentDocumentPaths);
    m_recents->setVisible(!m_recentDocumentPaths.isEmpty());
}

void LandingView::clearRecents() {
    RecentDocuments::clear();
    m_recentDocumentPaths.clear();
    m_recents->setPaths({});
    m_recents->hide();
}

void LandingView::openDocumentAction(const QString& path) {
    if (m_onOpenInPlace)
        return m_onOpenInPlace(path);
    FileOpenRouter::open(path);
}

void LandingView::openChosen(const QString& path) {
    if (FileOpenRouter::classify(path) == FileOpenRouter::Kind::pdf)
        openDocumentAction(path);
    else
        FileOpenRouter::open(path);
}

void LandingView::selectFile() {
    QFileDialog dialog(window());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(FileOpenRouter::openDialogNameFilter());
    sizeFileDialogToColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    openChosen(dialog.selectedFiles().constFirst());
}

bool LandingView::handleDrop(const QList<QUrl>& urls) {
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return false;
    const QString path = urls.constFirst().toLocalFile();
    if (!QFileInfo::exists(path))
        return false;
    QTimer::singleShot(0, this, [this, path] { openChosen(path); });
    return true;
}

} // namespace zepla::ui
