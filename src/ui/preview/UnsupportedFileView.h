// The preview window's placeholder for a file of a type it does not show.
#pragma once

#include <QWidget>

namespace zepla::ui {

class UnsupportedFileView : public QWidget {
    Q_OBJECT

public:
    explicit UnsupportedFileView(const QString& path, QWidget* parent = nullptr);

    static QString title(const QString& path);
    static QString message();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zepla::ui
