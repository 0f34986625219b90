#include "ui/toolbar/SegmentedPicker.h"

#include "ui/theme/Colors.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace zepla::ui {

SegmentedPicker::SegmentedPicker(const QStringList& labels, int current, int width, const QString& help,
                                 QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const QString selected = Color::brandBlue().name();
    const QString frame = Color::primary(this, 0.18).name(QColor::HexArgb);
    for (int i = 0; i < labels.size(); ++i) {
        auto* segment = new QToolButton(this);
        segment->setText(labels[i]);
        segment->setCheckable(true);
        segment->setFocusPolicy(Qt::NoFocus);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segment->setFixedHeight(22);
        const QString corners =
            i == 0 ? QStringLiteral("border-top-left-radius: 6px; border-bottom-left-radius: 6px;")
            : i == labels.size() - 1
                ? QStringLiteral("border-top-right-radius: 6px; border-bottom-right-radius: 6px;")
                : QString();
        segment->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid %1; %2 font-size: 12px; "
                                              "background: transparent; padding: 0 6px; }"
                                              "QToolButton:checked { background: %3; color: white; }")
                                   .arg(frame, corners, selected));
        m_group->addButton(segment, i);
        row->addWidget(segment);
    }
    setCurrent(current);
    setFixedWidth(width);
    setToolTip(help);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedPicker::chosen);
}

int SegmentedPicker::current() const {
    return m_group->checkedId();
}

void SegmentedPicker::setCurrent(int index) {
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

QWidget* SegmentedPicker::segment(int index) const {
    return m_group->button(index);
}

} // namespace zepla::ui
