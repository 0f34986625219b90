// Small PDF files written by hand for the tests: pages with text, boxes and rotation, outlines,
// annotations and a form field. The bytes are plain PDF syntax with a correct cross-reference table.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

namespace fixtures {

struct PageSpec {
    QString text; // drawn in Helvetica 12 at (72, 700); one line
    QRectF mediaBox{0, 0, 612, 792};
    QRectF cropBox; // none when null
    int rotate = 0;
    bool withNote = false;      // a Text annotation at (100, 100)
    bool withTextField = false; // a text field widget named "name"
    bool withCheckbox = false;  // an unchecked checkbox widget named "agree" at [72 560 86 574]
    int linkToPage = -1;        // a link over [72 650 172 670] to this page index (its top left), when >= 0
    QString linkURI;            // a link over [72 620 172 640] to this address, when not empty
    QByteArray drawing;         // content stream operators drawn before the text
    double userUnit = 1;        // written as /UserUnit when not 1
};

struct DocSpec {
    QList<PageSpec> pages;
    bool withOutline =
        false;     // two entries: "First" → page 1, "Second" → page 2 with a child "Child" → page 1
    QString title; // an Info dictionary with this Title when not empty
};

QByteArray makePdf(const DocSpec& spec);
// N pages, each showing "Page N" and the given word.
QByteArray makeTextPdf(int pages, const QString& word = QString());

// A file of the given object bodies, numbered from 1, with a correct cross-reference table; object `root` is
// the catalog.
QByteArray assemblePdf(const QList<QByteArray>& objects, int root = 1);

// Every stream of a PDF file, inflated where it is Flate-compressed, joined: for searching saved bytes.
QByteArray inflatedStreams(const QByteArray& pdf);
// The file's bytes followed by its streams inflated: everything a search of saved bytes must look at, since
// saving packs dictionaries into compressed object streams.
QByteArray searchable(const QByteArray& pdf);

} // namespace fixtures
