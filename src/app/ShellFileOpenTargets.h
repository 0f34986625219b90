// Where the file-open router sends files: PDFs to the document controller, convertible files to the importer,
// everything else to a preview window.
#pragma once

#include "document/FileOpenRouter.h"

namespace zepla::app {

class DocumentController;

class ShellFileOpenTargets : public document::FileOpenTargets {
public:
    explicit ShellFileOpenTargets(DocumentController& controller) : m_controller(controller) {}

    void openDocument(const QString& path) override;
    void importDocument(const QString& path) override;
    void openPreview(const QString& path) override;

private:
    DocumentController& m_controller;
};

} // namespace zepla::app
