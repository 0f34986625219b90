#include "FormFieldPlacer.h"

namespace zepla::annotations::FormFieldPlacer {

namespace {

int nextFieldNumber = 1;

QColor systemBlue() {
    return QColor(0, 122, 255);
}

} // namespace

std::unique_ptr<FormFieldAnnotation> makeAnnotation(FormFieldMode mode, const QRectF& bounds,
                                                    const QStringList& namesInUse) {
    auto field = std::make_unique<FormFieldAnnotation>(mode);
    field->bounds = bounds;
    field->borderWidth = 1;
    field->color = systemBlue();
    QColor background = systemBlue();
    background.setAlphaF(0.08f);
    field->backgroundColor = background;
    const QString word = mode == FormFieldMode::text ? QStringLiteral("text") : QStringLiteral("checkbox");
    do {
        field->fieldName = word + QLatin1Char('_') + QString::number(nextFieldNumber++);
    } while (namesInUse.contains(field->fieldName));
    return field;
}

} // namespace zepla::annotations::FormFieldPlacer
