// An annotation already in the file, known only by its object and subtype: what the eraser takes off a page
// and undo puts back exactly as it was, whoever made it.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class FileAnnotation : public Annotation {
public:
    explicit FileAnnotation(const pdf::AnnotationInfo& info) : m_subtype(info.subtype.toLatin1()) {
        handle = info.handle;
        bounds = info.rect;
        contents = info.contents;
    }

    QByteArray subtype() const override { return m_subtype; }
    // Never written: the object keeps its own appearance.
    Appearance appearance() const override { return Appearance(bounds); }

private:
    QByteArray m_subtype;
};

} // namespace zepla::annotations
