#include "ui/preview/UnsupportedFileView.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {

QFont textFont(int pointSize, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}

} // namespace

UnsupportedFileView::UnsupportedFileView(const QString& path, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch(1);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(Symbols::pixmap(QStringLiteral("questionmark.doc"), 40, Color::secondary(this), false,
                                      devicePixelRatioF()));
    auto* heading = new QLabel(title(path), this);
    heading->setObjectName(QStringLiteral("title"));
    heading->setFont(textFont(15, QFont::DemiBold));
    auto* detail = new QLabel(message(), this);
    detail->setFont(textFont(12));
    detail->setStyleSheet(QStringLiteral("color: %1;").arg(Color::secondary(this).name(QColor::HexArgb)));
    for (QLabel* label : {symbol, heading, detail})
        layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

QString UnsupportedFileView::title(const QString& path) {
    return QStringLiteral("Can’t Preview “%1”").arg(QFileInfo(path).fileName());
}

QString UnsupportedFileView::message() {
    return QStringLiteral("Zepla doesn’t support previewing this file type yet.");
}

void UnsupportedFileView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Color::paperCream());
}

} // namespace zepla::ui
