// A row of mutually exclusive choices drawn as one segmented control.
#pragma once

#include <QStringList>
#include <QWidget>

class QButtonGroup;

namespace zepla::ui {

class SegmentedPicker : public QWidget {
    Q_OBJECT

public:
    SegmentedPicker(const QStringList& labels, int current, int width, const QString& help,
                    QWidget* parent = nullptr);

    int current() const;
    void setCurrent(int index);
    // The segment of a choice, for clicks.
    QWidget* segment(int index) const;

signals:
    void chosen(int index);

private:
    QButtonGroup* m_group;
};

} // namespace zepla::ui
