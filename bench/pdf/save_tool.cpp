// The process side of the save comparison: reads a PDF, saves it through the PDF layer (written and read
// back, as the application saves) and writes the bytes, like `mutool clean -gz in out` does its bare write.
#include "pdf/PdfDocument.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_pdf_save_tool in.pdf out.pdf\n");
        return 2;
    }
    auto document = zepla::pdf::Document::openFile(QString::fromLocal8Bit(argv[1]));
    if (!document)
        return 1;
    auto saved = document.value()->save();
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!saved || !out.open(QIODevice::WriteOnly) || out.write(saved.value()) != saved.value().size())
        return 1;
    return 0;
}
