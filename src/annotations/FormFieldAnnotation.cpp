#include "FormFieldAnnotation.h"

#include "AppearanceStream.h"

namespace zepla::annotations {

namespace {

// Form dictionaries hold opaque colours: a translucent one is shown as it looks over white paper.
pdf::ObjectValue overWhite(const QColor& c) {
    const qreal a = c.alphaF();
    return pdf::ObjectValue::numbers(
        {1 - a * (1 - c.redF()), 1 - a * (1 - c.greenF()), 1 - a * (1 - c.blueF())});
}

QPainterPath checkMark(const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left() + 0.22 * r.width(), r.top() + 0.52 * r.height());
    path.lineTo(r.left() + 0.42 * r.width(), r.top() + 0.28 * r.height());
    path.lineTo(r.left() + 0.78 * r.width(), r.top() + 0.76 * r.height());
    return path;
}

} // namespace

Appearance FormFieldAnnotation::box() const {
    Appearance a = Appearance::upright(bounds, pageRotation);
    const QRectF b = a.bbox();
    QPainterPath area;
    area.addRect(b);
    if (backgroundColor.isValid())
        a.fill(area, backgroundColor);
    const qreal w = borderWidth.value_or(1);
    if (color.isValid() && w > 0) {
        QPainterPath frame;
        frame.addRect(b.adjusted(w / 2, w / 2, -w / 2, -w / 2));
        a.stroke(frame, color, StrokeStyle{w});
    }
    return a;
}

// A new field shows empty: a blank text field, an unchecked box.
Appearance FormFieldAnnotation::appearance() const {
    return box();
}

pdf::AppearanceStates FormFieldAnnotation::appearanceStates() const {
    if (m_mode == FormFieldMode::text)
        return Annotation::appearanceStates();
    Appearance checked = box();
    const qreal side = std::min(bounds.width(), bounds.height());
    checked.stroke(checkMark(checked.bbox()), Qt::black,
                   StrokeStyle{std::max(1.0, side * 0.1), Qt::RoundCap, Qt::RoundJoin});
    return {{"Off", appearanceStream(box())}, {"Yes", appearanceStream(checked)}};
}

pdf::ObjectValue::Entries FormFieldAnnotation::entries() const {
    using pdf::ObjectValue;
    ObjectValue::Entries e;
    // A widget carries its colours in its appearance characteristics, not in /C.
    for (auto& entry : Annotation::entries()) {
        if (entry.first != "C" && entry.first != "CA" && entry.first != "Contents")
            e.push_back(std::move(entry));
    }
    ObjectValue::Entries mk;
    if (color.isValid())
        mk.emplace_back("BC", overWhite(color));
    if (backgroundColor.isValid())
        mk.emplace_back("BG", overWhite(backgroundColor));
    // Readers that draw the filled-in value turn it by this much, so it reads upright on a turned page.
    if (pageRotation != 0)
        mk.emplace_back("R", pageRotation);
    e.emplace_back("T", ObjectValue::text(fieldName));
    if (m_mode == FormFieldMode::text) {
        e.emplace_back("FT", ObjectValue::name("Tx"));
        e.emplace_back("DA", ObjectValue::text(QStringLiteral("/Helv 0 Tf 0 g")));
    } else {
        mk.emplace_back("CA", ObjectValue::text(QStringLiteral("4"))); // a check mark in ZapfDingbats
        e.emplace_back("FT", ObjectValue::name("Btn"));
        e.emplace_back("DA", ObjectValue::text(QStringLiteral("/ZaDb 0 Tf 0 g")));
        e.emplace_back("V", ObjectValue::name("Off"));
        e.emplace_back("AS", ObjectValue::name("Off"));
    }
    e.emplace_back("MK", ObjectValue::dictionary(std::move(mk)));
    return e;
}

} // namespace zepla::annotations
