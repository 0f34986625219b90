// A plain window showing the first page of a PDF, or why it cannot: the first view of a document until
// the document window arrives.
#pragma once

#include <QLabel>
#include <QScrollArea>

class FirstPageWindow : public QScrollArea {
    Q_OBJECT

public:
    explicit FirstPageWindow(const QString& path);

private:
    void load(const QString& path);
    void showMessage(const QString& text);
    QLabel* m_label;
};
