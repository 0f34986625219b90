#include "ui/landing/RecentsSection.h"

#include "ui/landing/RecentThumbnailCell.h"
#include "ui/theme/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zepla::ui {

namespace {
constexpr int gridSpacing = 16;
} // namespace

// Columns of at least the cell's width that share out the available width, cells centred in them, 16 between
// columns and rows.
class RecentsSection::Grid : public QWidget {
public:
    using QWidget::QWidget;

    void setCells(const QList<RecentThumbnailCell*>& cells) {
        // A cell may be the sender of the click that led here, so the old ones go on the next turn.
        for (RecentThumbnailCell* cell : m_cells) {
            cell->hide();
            cell->deleteLater();
        }
        m_cells = cells;
        for (RecentThumbnailCell* cell : m_cells) {
            cell->setParent(this);
            cell->show();
        }
        place();
        updateGeometry();
    }
    const QList<RecentThumbnailCell*>& cells() const { return m_cells; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        if (m_cells.isEmpty())
            return 0;
        const int rows = (int(m_cells.size()) + columns(width) - 1) / columns(width);
        return rows * cellHeight() + (rows - 1) * gridSpacing;
    }
    QSize sizeHint() const override { return {RecentThumbnailCell::cellWidth, heightForWidth(width())}; }
    QSize minimumSizeHint() const override { return {RecentThumbnailCell::cellWidth, 0}; }

protected:
    void resizeEvent(QResizeEvent*) override { place(); }

private:
    static int columns(int width) {
        return qMax(1, (width + gridSpacing) / (RecentThumbnailCell::cellWidth + gridSpacing));
    }
    int cellHeight() const { return m_cells.isEmpty() ? 0 : m_cells.first()->sizeHint().height(); }

    void place() {
        const int count = columns(width());
        const qreal columnWidth = (width() - gridSpacing * (count - 1)) / qreal(count);
        for (int i = 0; i < m_cells.size(); ++i) {
            const int column = i % count;
            const int row = i / count;
            const qreal left = column * (columnWidth + gridSpacing);
            m_cells[i]->move(qRound(left + (columnWidth - RecentThumbnailCell::cellWidth) / 2),
                             row * (cellHeight() + gridSpacing));
        }
    }

    QList<RecentThumbnailCell*> m_cells;
};

RecentsSection::RecentsSection(QWidget* parent)
    : QWidget(parent), m_grid(new Grid(this)), m_clearButton(new QPushButton(tr("Clear Recents"))) {
    auto* title = new QLabel(tr("Recents"));
    QFont titleFont = title->font();
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, Color::secondary(this));
    title->setPalette(titlePalette);

    QFont clearFont = m_clearButton->font();
    clearFont.setPixelSize(12);
    m_clearButton->setFont(clearFont);
    m_clearButton->setFlat(true);
    m_clearButton->setCursor(Qt::PointingHandCursor);
    m_clearButton->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; color: %1; }")
                                     .arg(Color::brandBlue().name()));
    connect(m_clearButton, &QPushButton::clicked, this, &RecentsSection::clearRequested);

    auto* header = new QHBoxLayout;
    header->addWidget(title);
    header->addStretch();
    header->addWidget(m_clearButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addLayout(header);
    layout->addWidget(m_grid);
}

void RecentsSection::setPaths(const QStringList& paths) {
    QList<RecentThumbnailCell*> cells;
    for (const QString& path : paths) {
        auto* cell = new RecentThumbnailCell(path);
        connect(cell, &QAbstractButton::clicked, this, [this, path] { emit openRequested(path); });
        cells << cell;
    }
    m_grid->setCells(cells);
}

QList<RecentThumbnailCell*> RecentsSection::cells() const {
    return m_grid->cells();
}

} // namespace zepla::ui
