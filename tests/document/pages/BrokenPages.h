// A text fixture with one page that opens but cannot be copied: its content names an object the file lacks.
#pragma once

#include "PdfFixtures.h"

inline QByteArray withBrokenPage(int pages, int broken) {
    QByteArray bytes = fixtures::makeTextPdf(pages);
    qsizetype at = -1;
    for (int i = 0; i <= broken; ++i)
        at = bytes.indexOf("/Contents", at + 1);
    return bytes.replace(at, 9, "/Contents 9999 0 R /Unused");
}
