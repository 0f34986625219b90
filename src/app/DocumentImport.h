// The conversions under way of files that must first become a PDF. They belong to the application, not to a
// window: each runs off the UI thread with a progress window of its own and ends in the converted PDF handed
// on for opening, or in an alert naming the file, whatever windows open or close meanwhile.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace zepla::app {

class DocumentImports : public QObject {
    Q_OBJECT

public:
    explicit DocumentImports(QObject* parent = nullptr);
    // Stops whatever is still converting; nothing it made is left in the temporary folder.
    ~DocumentImports() override;

    // Starts converting the file and returns at once.
    void import(const QString& path);
    bool isImporting() const { return !m_imports.isEmpty(); }
    // Stops every conversion without a word (the application is quitting).
    void cancelAll();

signals:
    // A conversion succeeded: the PDF at `pdfPath` is ready to open.
    void converted(const QString& pdfPath);
    // A conversion ended, whatever its outcome, after its PDF was handed on or its alert shown.
    void importEnded();
    // Ctrl+Q in a progress window: the application's Quit, as from any of its windows.
    void quitRequested();

private:
    struct Import;
    void end(Import* import);

    QList<Import*> m_imports;
};

} // namespace zepla::app
