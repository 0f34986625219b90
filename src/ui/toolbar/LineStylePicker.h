// The line-end chooser: a small drawing of each ending with its name, in a row; a press sets the line tool's
// end style. LineStylePreview draws one ending.
#pragma once

#include "annotations/AnnotationTool.h"

#include <QAbstractButton>
#include <QWidget>

#include <array>

namespace zepla::ui {

class LineStylePreview : public QWidget {
    Q_OBJECT

public:
    explicit LineStylePreview(annotations::LineEndStyle style, QWidget* parent = nullptr);

    // The drawing of `style` in a canvas of `size`, in `colour`.
    static void draw(QPainter& painter, const QSizeF& size, annotations::LineEndStyle style,
                     const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    annotations::LineEndStyle m_style;
};

class LineStylePicker : public QWidget {
    Q_OBJECT

public:
    // The choices in the order of the row, with their names.
    struct Choice {
        annotations::LineEndStyle style;
        QString label;
    };
    static const std::array<Choice, 6>& choices();

    LineStylePicker(annotations::LineEndStyle current, QWidget* parent = nullptr);

    void setCurrent(annotations::LineEndStyle style);
    annotations::LineEndStyle current() const { return m_current; }
    QAbstractButton* choiceButton(int index) const;

signals:
    void styleChosen(annotations::LineEndStyle style);

private:
    annotations::LineEndStyle m_current;
    QList<QAbstractButton*> m_buttons;
};

} // namespace zepla::ui
