// One annotation of every kind, laid out over an area of a page, for tests that draw and save them.
#pragma once

#include "annotations/FormFieldPlacer.h"
#include "annotations/FreeTextAnnotation.h"
#include "annotations/InkAnnotation.h"
#include "annotations/LineAnnotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/OutlineShapeAnnotation.h"
#include "annotations/RedactionMarkerAnnotation.h"

#include <memory>
#include <vector>

namespace samples {

using namespace zepla::annotations;

struct Sample {
    QString name;
    std::shared_ptr<Annotation> annotation;
};

// Nine kinds in a 3 × 3 grid over `area` (page space).
inline std::vector<Sample> everyKind(const QRectF& area) {
    const qreal w = area.width() / 3, h = area.height() / 3;
    auto cell = [&](int column, int row) {
        return QRectF(area.left() + column * w + 8, area.bottom() - (row + 1) * h + 8, w - 16, h - 16);
    };
    std::vector<Sample> all;

    auto note = std::make_shared<NoteAnnotation>();
    note->bounds = cell(0, 0);
    note->color = QColor(220, 40, 40);
    note->contents = QStringLiteral("Check the totals on this page (проверить)");
    all.push_back({"note", note});

    auto text = std::make_shared<FreeTextAnnotation>();
    text->bounds = cell(1, 0);
    text->contents = "Free text box";
    text->fontColor = QColor(20, 60, 160);
    all.push_back({"free text", text});

    auto rectangle = std::make_shared<RectangleAnnotation>();
    rectangle->bounds = cell(2, 0);
    rectangle->color = QColor(242, 169, 59);
    rectangle->borderWidth = 4;
    all.push_back({"rectangle", rectangle});

    auto oval = std::make_shared<OvalAnnotation>();
    oval->bounds = cell(0, 1);
    oval->color = QColor(30, 150, 60);
    oval->borderWidth = 3;
    all.push_back({"oval", oval});

    auto line = std::make_shared<LineAnnotation>();
    line->color = QColor(120, 30, 160);
    line->borderWidth = 3;
    const QRectF lineCell = cell(1, 1);
    line->setLineStyles(LineEndStyle::circle, LineEndStyle::closedArrow);
    line->setPoints(lineCell.topLeft() + QPointF(8, 8), lineCell.bottomRight() - QPointF(12, 12));
    all.push_back({"line", line});

    auto marker = std::make_shared<RedactionMarkerAnnotation>();
    marker->bounds = cell(2, 1);
    marker->color = QColor(242, 169, 59);
    all.push_back({"redaction", marker});

    const QRectF inkCell = cell(0, 2);
    QList<QPointF> points;
    for (int i = 0; i <= 40; ++i) {
        const qreal t = i / 40.0;
        points.append(QPointF(inkCell.left() + 10 + t * (inkCell.width() - 20),
                              inkCell.center().y() + std::sin(t * 6.283) * inkCell.height() / 3));
    }
    all.push_back(
        {"ink", std::shared_ptr<Annotation>(InkAnnotation::through(points, QColor(0, 90, 200), 3))});

    all.push_back({"text field", std::shared_ptr<Annotation>(FormFieldPlacer::makeAnnotation(
                                     FormFieldMode::text, cell(1, 2).adjusted(0, 20, 0, -20), {}))});
    all.push_back(
        {"checkbox", std::shared_ptr<Annotation>(FormFieldPlacer::makeAnnotation(
                         FormFieldMode::checkbox, QRectF(cell(2, 2).topLeft(), QSizeF(30, 30)), {}))});
    return all;
}

} // namespace samples
