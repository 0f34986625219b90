#include "Annotation.h"

#include "AppearanceStream.h"
#include "RedactionMarkerAnnotation.h"

namespace zepla::annotations {

namespace {

// Annotation flags: print with the page; hidden while a gesture still shapes it.
constexpr int flagHidden = 2;
constexpr int flagPrint = 4;

} // namespace

Annotation::~Annotation() = default;

pdf::ObjectValue colorValue(const QColor& color) {
    return pdf::ObjectValue::numbers({color.redF(), color.greenF(), color.blueF()});
}

pdf::ObjectValue rectValue(const QRectF& rect) {
    return pdf::ObjectValue::numbers({rect.left(), rect.top(), rect.right(), rect.bottom()});
}

pdf::ObjectValue::Entries Annotation::entries() const {
    using pdf::ObjectValue;
    ObjectValue::Entries e{
        {"Subtype", ObjectValue::name(subtype())},
        {"Rect", rectValue(bounds)},
        {"F", flagPrint | (hidden ? flagHidden : 0)},
        {"Contents", contents.isEmpty() ? ObjectValue() : ObjectValue::text(contents)},
        {"C", color.isValid() ? colorValue(color) : ObjectValue()},
        {"CA", color.isValid() && color.alpha() < 255 ? ObjectValue(color.alphaF()) : ObjectValue()},
    };
    if (borderWidth) {
        e.emplace_back("BS", ObjectValue::dictionary({{"W", *borderWidth}, {"S", ObjectValue::name("S")}}));
        e.emplace_back("Border", ObjectValue::numbers({0, 0, *borderWidth}));
    }
    return e;
}

pdf::AppearanceStates Annotation::appearanceStates() const {
    return {{QByteArray(), appearanceStream(appearance())}};
}

bool isPendingRedactionMarker(const Annotation& annotation) {
    return dynamic_cast<const RedactionMarkerAnnotation*>(&annotation) ||
           annotation.contents == pendingRedactionContents;
}

bool isPendingRedactionMarker(const pdf::AnnotationInfo& annotation) {
    return annotation.contents == pendingRedactionContents;
}

pdf::Status writeNewAnnotation(pdf::Document& document, int pageIndex, Annotation& annotation) {
    if (auto geometry = document.geometry(pageIndex))
        annotation.pageRotation = geometry->rotation;
    auto handle = document.createAnnotation(pageIndex, annotation.entries(), annotation.appearanceStates());
    if (!handle)
        return handle.error();
    annotation.handle = handle.value();
    return {};
}

pdf::Status rewriteAnnotation(pdf::Document& document, const Annotation& annotation) {
    const pdf::AppearanceStates states = annotation.appearanceStates();
    return document.updateAnnotation(annotation.handle, annotation.entries(), &states);
}

} // namespace zepla::annotations
