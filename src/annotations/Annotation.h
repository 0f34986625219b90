// The annotations the markup tools make: what each one is in the file (its dictionary entries) and how it
// looks (its appearance), one class per kind. An object stands for one annotation of the document from
// the moment it is first written to a page; taking it off and putting it back keeps that very object.
#pragma once

#include "Appearance.h"

#include "pdf/PdfDocument.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>

namespace zepla::annotations {

class Annotation {
public:
    virtual ~Annotation();

    // The PDF subtype name: "Square", "Ink", "Widget", ...
    virtual QByteArray subtype() const = 0;
    // The look, in page space, clipped to `bounds`.
    virtual Appearance appearance() const = 0;
    // Every entry the file needs for the annotation, the appearance excepted.
    virtual pdf::ObjectValue::Entries entries() const;
    // The appearance as the file holds it: one stream, or one per state.
    virtual pdf::AppearanceStates appearanceStates() const;

    QRectF bounds; // page space
    QColor color;
    std::optional<qreal> borderWidth; // none: no border was set
    QString contents;
    // How far the annotation's page is shown turned (its /Rotate, clockwise): text and pictures are drawn
    // turned against it, so they read upright.
    int pageRotation = 0;
    // Drawn live while a gesture shapes it, and kept out of renders of the page until then.
    bool hidden = false;

    // The object in the file, once written.
    pdf::AnnotationHandle handle;

protected:
    Annotation() = default;
    Annotation(const Annotation&) = default;
};

// The contents that mark a square annotation as a redaction still to be burnt in.
inline const QString pendingRedactionContents = QStringLiteral("com.local.zepla.pending-redaction");

// A redaction mark of the redact tool, or any annotation whose contents is exactly the pending mark (so a
// mark saved and read back still counts).
bool isPendingRedactionMarker(const Annotation& annotation);
bool isPendingRedactionMarker(const pdf::AnnotationInfo& annotation);

// Writes the annotation to a page as a new object, upright on it, and remembers its handle in it.
pdf::Status writeNewAnnotation(pdf::Document& document, int pageIndex, Annotation& annotation);
// Writes the annotation's current entries and appearance over its object.
pdf::Status rewriteAnnotation(pdf::Document& document, const Annotation& annotation);

// Helpers of the kinds' entries.
pdf::ObjectValue colorValue(const QColor& color);
pdf::ObjectValue rectValue(const QRectF& rect);

} // namespace zepla::annotations
