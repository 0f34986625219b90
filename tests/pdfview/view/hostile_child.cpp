// Runs one file through everything a user can do with it: open, lay out and paint in a real view, render,
// read text, annotations, links, fields and outline, extract and merge pages, save. Prints what happened;
// a crash or a hang is what the parent test looks for.
#include "pdf/PdfDocument.h"
#include "pdfview/view/PDFView.h"

#include <QApplication>
#include <QTextStream>

#include <algorithm>
#include <numeric>

using namespace zepla;

namespace {

void report(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}

std::vector<int> firstPages(const pdf::Document& document, int most) {
    std::vector<int> indices(size_t(std::clamp(document.pageCount(), 0, most)));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    auto opened = pdf::Document::openFile(QString::fromLocal8Bit(argv[1]));
    if (!opened) {
        report("error: " + opened.error().message);
        return 0;
    }
    auto document = opened.value();
    if (document->isLocked() &&
        !document->authenticate(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString())) {
        report("error: the password was refused");
        return 0;
    }
    report(QStringLiteral("opened %1 pages").arg(document->pageCount()));

    pdfview::PDFView view;
    view.resize(500, 700);
    view.setDocument(document);
    view.show();
    view.goToPage(document->pageCount() - 1);
    view.grab();

    for (int index : firstPages(*document, 3)) {
        document->render(index, 0.5);
        document->structuredText(index);
        document->search(index, "page");
        document->annotations(index);
        document->links(index);
        document->formWidgets(index);
    }
    document->outline();
    document->fieldNames();

    auto extracted = pdf::Document::createEmpty();
    extracted->copyPages(*document, firstPages(*document, 3), 0);
    auto merged = pdf::Document::createEmpty();
    merged->copyPages(*document, firstPages(*document, 5), 0);
    merged->copyPages(*extracted, firstPages(*extracted, 5), merged->pageCount());
    for (const auto& copy : {extracted, merged}) {
        if (auto bytes = copy->save(); !bytes)
            report("copy error: " + bytes.error().message);
    }

    auto saved = document->save();
    if (!saved) {
        report("error: " + saved.error().message);
        return 0;
    }
    report(QStringLiteral("saved %1 bytes").arg(saved.value().size()));
    return 0;
}
