// Tables and matrices: every cell laid out, columns as wide as their widest cell with the cells aligned in
// them, rows stacked by TeX's baseline skip and the whole centred on the math axis.
#include "typesetter/MTTypesetter.h"

#include <algorithm>

namespace zepla::math {

namespace {

// The smallest range holding both.
MTRange unionRange(MTRange a, MTRange b) {
    const qint64 location = std::min(a.location, b.location);
    return {location, std::max(a.end(), b.end()) - location};
}

} // namespace

MTMathListDisplayPtr MTTypesetter::makeTable(const MTMathTable& table) {
    std::size_t numColumns = 0;
    for (const auto& row : table.cells())
        numColumns = std::max(numColumns, row.size());
    if (numColumns == 0)
        return MTNodePool::make<MTMathListDisplay>(std::vector<MTDisplayPtr>{}, table.indexRange());

    std::vector<qreal> columnWidths(numColumns, 0);
    const auto cells = typesetCells(table, columnWidths);
    std::vector<MTMathListDisplayPtr> rows;
    rows.reserve(cells.size());
    for (const auto& row : cells)
        rows.push_back(makeRowWithColumns(row, table, columnWidths));
    positionRows(rows, table);
    auto display = MTNodePool::make<MTMathListDisplay>(std::vector<MTDisplayPtr>(rows.begin(), rows.end()),
                                                       table.indexRange());
    display->setPosition(m_currentPosition);
    return display;
}

std::vector<std::vector<MTDisplayPtr>> MTTypesetter::typesetCells(const MTMathTable& table,
                                                                  std::vector<qreal>& columnWidths) {
    std::vector<std::vector<MTDisplayPtr>> rows;
    rows.reserve(table.cells().size());
    for (const auto& row : table.cells()) {
        std::vector<MTDisplayPtr> cells;
        cells.reserve(row.size());
        for (std::size_t i = 0; i < row.size(); ++i) {
            auto cell = layoutFinalizedLine(row[i], m_fonts, m_style);
            columnWidths[i] = std::max(columnWidths[i], cell->width());
            cells.push_back(std::move(cell));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

MTMathListDisplayPtr MTTypesetter::makeRowWithColumns(const std::vector<MTDisplayPtr>& cols,
                                                      const MTMathTable& table,
                                                      const std::vector<qreal>& columnWidths) {
    const qreal columnSpacing = table.interColumnSpacing() * styleFont()->mathTable()->muUnit();
    qreal columnStart = 0;
    MTRange rowRange{MTRange::notFound, 0};
    for (std::size_t i = 0; i < cols.size(); ++i) {
        MTDisplay& cell = *cols[i];
        const qreal colWidth = columnWidths[i];
        qreal offset = 0;
        switch (table.getAlignment(int(i))) {
        case MTColumnAlignment::left:
            break;
        case MTColumnAlignment::center:
            offset = (colWidth - cell.width()) / 2;
            break;
        case MTColumnAlignment::right:
            offset = colWidth - cell.width();
            break;
        }
        rowRange = rowRange.location == MTRange::notFound ? cell.range() : unionRange(rowRange, cell.range());
        cell.setPosition(QPointF(columnStart + offset, 0));
        columnStart += colWidth + columnSpacing;
    }
    return MTNodePool::make<MTMathListDisplay>(cols, rowRange);
}

void MTTypesetter::positionRows(const std::vector<MTMathListDisplayPtr>& rows, const MTMathTable& table) {
    if (rows.empty())
        return;
    const qreal size = styleFont()->fontSize();
    const qreal openup = table.interRowAdditionalSpacing() * kJotMultiplier * size;
    const qreal baselineSkip = openup + kBaseLineSkipMultiplier * size;
    const qreal lineSkip = openup + kLineSkipMultiplier * size;
    const qreal lineSkipLimit = openup + kLineSkipLimitMultiplier * size;

    qreal y = 0;
    rows.front()->setPosition(QPointF(0, 0));
    const qreal ascent = rows.front()->ascent();
    qreal previousDescent = rows.front()->descent();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        MTMathListDisplay& row = *rows[i];
        qreal skip = baselineSkip;
        if (skip - (previousDescent + row.ascent()) < lineSkipLimit)
            skip = previousDescent + row.ascent() + lineSkip;
        y -= skip;
        row.setPosition(QPointF(0, y));
        previousDescent = row.descent();
    }
    const qreal descent = -y + previousDescent;
    const qreal shiftDown = 0.5 * (ascent - descent) - styleFont()->mathTable()->axisHeight();
    for (const auto& row : rows)
        row->setPosition(row->position() - QPointF(0, shiftDown));
}

} // namespace zepla::math
