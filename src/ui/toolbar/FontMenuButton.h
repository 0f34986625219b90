// The text-box font menu of the toolbar: the current font's name as its label, the five fonts as items with a
// check mark beside the current one.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QToolButton>

namespace zepla::ui {

class FontMenuButton : public QToolButton {
    Q_OBJECT

public:
    explicit FontMenuButton(annotations::AnnotationFont current, QWidget* parent = nullptr);

    void setCurrent(annotations::AnnotationFont font);

signals:
    void fontChosen(annotations::AnnotationFont font);

private:
    annotations::AnnotationFont m_current;
};

} // namespace zepla::ui
