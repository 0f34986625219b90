// The row above the page list while pages are selected: how many, and buttons to extract or delete them.
#pragma once

#include <QWidget>

class QLabel;

namespace zepla::ui {

class SelectionBar : public QWidget {
    Q_OBJECT

public:
    explicit SelectionBar(QWidget* parent = nullptr);
    void setCount(int count);
    QString countText() const;

signals:
    void extractRequested();
    void deleteRequested();

private:
    QLabel* m_count;
};

} // namespace zepla::ui
