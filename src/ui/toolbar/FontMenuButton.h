// The text-box font menu of the toolbar: the current font's name as its label with the menu's arrow beside
// it, the five fonts as items with a check mark beside the current one.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QToolButton>

namespace zepla::ui {

class FontMenuButton : public QToolButton {
    Q_OBJECT

public:
    explicit FontMenuButton(annotations::AnnotationFont current, QWidget* parent = nullptr);

    void setCurrent(annotations::AnnotationFont font);

    // Where the name and the arrow are drawn: side by side, the button wide enough for the longest name.
    QRect labelRect() const;
    QRect arrowRect() const;

signals:
    void fontChosen(annotations::AnnotationFont font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    annotations::AnnotationFont m_current;
};

} // namespace zepla::ui
