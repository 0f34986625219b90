#include "HostileFiles.h"

#include "PdfFixtures.h"

#include <zlib.h>

namespace fixtures {

namespace {

QByteArray num(qsizetype n) {
    return QByteArray::number(n);
}
QByteArray ref(qsizetype n) {
    return num(n) + " 0 R";
}

QByteArray stream(const QByteArray& dict, const QByteArray& data) {
    return "<< " + dict + " /Length " + num(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

QByteArray text(const QByteArray& words) {
    return stream({}, "BT /Helvetica 14 Tf 20 150 Td (" + words + ") Tj ET");
}

QByteArray deflated(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
             uLong(data.size()));
    out.truncate(qsizetype(size));
    return out;
}

// Catalog 1 (with `catalogExtra`), pages node 2 (`nodeBody`, or a sound one), pages 3 and 4 (with
// `pageExtra` on page 3), their contents 5 and 6, then `extra` from 7 on.
QByteArray twoPages(const QByteArray& catalogExtra = {}, const QByteArray& nodeBody = {},
                    const QByteArray& pageExtra = {}, const QList<QByteArray>& extra = {}) {
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Contents ";
    return assemblePdf(
        QList<QByteArray>{"<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>",
                          nodeBody.isEmpty() ? "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>" : nodeBody,
                          page + "5 0 R " + pageExtra + " >>", page + "6 0 R >>", text("Hostile page one"),
                          text("Hostile page two")} +
        extra);
}

QByteArray deepTree(int depth) {
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>"};
    for (int i = 0; i < depth; ++i) {
        const QByteArray parent = i ? " /Parent " + ref(i + 1) : QByteArray();
        objects << "<< /Type /Pages /Kids [" + ref(i + 3) + "] /Count 1" + parent + " >>";
    }
    objects << "<< /Type /Page /Parent " + ref(depth + 1) + " /MediaBox [0 0 300 200] /Contents " +
                   ref(depth + 3) + " >>"
            << text("Hostile deep page");
    return assemblePdf(objects);
}

QByteArray shiftStartxref(QByteArray bytes, int shift) {
    const qsizetype at = bytes.lastIndexOf("startxref\n") + 10;
    const qsizetype end = bytes.indexOf('\n', at);
    bytes.replace(at, end - at, num(bytes.mid(at, end - at).toLongLong() + shift));
    return bytes;
}

} // namespace

std::vector<HostileFile> hostileFiles(QByteArray (*encrypt)(const QByteArray&, const QString&)) {
    std::vector<HostileFile> files;
    auto add = [&](const char* name, const QByteArray& bytes) { files.push_back({name, bytes, {}}); };

    add("count lie", twoPages({}, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2147483647 >>"));
    add("negative count", twoPages({}, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count -2147483648 >>"));
    add("null and number kids",
        twoPages({}, "<< /Type /Pages /Kids [3 0 R null 17 4 0 R 99 0 R] /Count 5 >>"));
    add("kids loop", twoPages({}, "<< /Type /Pages /Kids [3 0 R 2 0 R 7 0 R 4 0 R] /Count 4 >>", {},
                              {"<< /Type /Pages /Parent 2 0 R /Kids [2 0 R 7 0 R] /Count 9 >>"}));
    add("parent loop", twoPages({}, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Parent 2 0 R >>",
                                "/Rotate 90 /Resources 3 0 R"));
    add("self references", twoPages("/Self 1 0 R /Names 7 0 R", {}, "/Group 3 0 R /Annots 3 0 R",
                                    {"<< /Names 7 0 R /Kids [7 0 R] >>"}));
    add("deep tree", deepTree(50000));
    add("deep nesting", twoPages({}, {}, "/Junk " + QByteArray(50000, '[') + QByteArray(50000, ']')));
    add("deep dictionaries", twoPages({}, {},
                                      "/Junk " + QByteArray(50000, '<').replace("<", "<< /A ") +
                                          QByteArray(50000 * 3, '>').replace(">>>", " >>")));
    add("outline loop",
        twoPages("/Outlines 7 0 R", {}, {},
                 {"<< /Type /Outlines /First 8 0 R /Last 8 0 R /Count 2 >>",
                  "<< /Title (One) /Parent 7 0 R /Next 9 0 R /First 9 0 R /Dest [3 0 R /Fit] >>",
                  "<< /Title (Two) /Parent 8 0 R /Next 8 0 R /First 8 0 R /Dest (loop) >>"}));
    add("field and reply loops",
        twoPages(
            "/AcroForm << /Fields [7 0 R] >>", {}, "/Annots [7 0 R 8 0 R]",
            {"<< /Type /Annot /Subtype /Widget /FT /Tx /T (self) /V (x) /Rect [10 10 90 30] /Parent 7 0 R"
             " /Kids [7 0 R] >>",
             "<< /Type /Annot /Subtype /Text /Rect [100 10 120 30] /IRT 8 0 R /Popup 8 0 R /Contents (me) "
             ">>"}));
    add("name tree loop", twoPages("/Names << /Dests 7 0 R >>", {}, "/Annots [8 0 R]",
                                   {"<< /Kids [7 0 R 9 0 R] >>",
                                    "<< /Type /Annot /Subtype /Link /Rect [10 10 90 30] /Dest (nowhere) >>",
                                    "<< /Kids [7 0 R] /Limits [(a) (z)] >>"}));
    add("destinations that lie", twoPages("/OpenAction [99 0 R /XYZ]", {}, "/Annots [7 0 R]",
                                          {"<< /Type /Annot /Subtype /Link /Rect [10 10 90 30]"
                                           " /A << /S /GoTo /D [2147483647 /Fit] /Next 7 0 R >> >>"}));
    QByteArray badFlate = twoPages();
    badFlate.replace(stream({}, "BT /Helvetica 14 Tf 20 150 Td (Hostile page one) Tj ET"),
                     stream("/Filter /FlateDecode /DecodeParms << /Predictor 15 /Columns 2147483647 >>",
                            deflated("BT /Helvetica 14 Tf 20 150 Td (Hostile page one) Tj ET").left(20) +
                                QByteArray(64, '\x9c')));
    add("bad flate", badFlate);
    QByteArray brokenXref = twoPages();
    brokenXref.replace("0000000", "9999999");
    add("broken xref", brokenXref);
    add("truncated", twoPages().left(300));
    if (encrypt) {
        const QByteArray encrypted = encrypt(twoPages("/AcroForm << /Fields [] >>"), "hostile");
        for (int shift : {-3, 2, 7})
            files.push_back({QStringLiteral("encrypted, startxref %1").arg(shift),
                             shiftStartxref(encrypted, shift), "hostile"});
        QByteArray brokenEncrypt = encrypted;
        brokenEncrypt.replace("/Encrypt", "/Encrypt 1 0 R /X");
        files.push_back({"encrypted, broken /Encrypt", brokenEncrypt, "hostile"});
    }
    return files;
}

} // namespace fixtures
