#include "PdfFixtures.h"

#include <zlib.h>

namespace fixtures {

namespace {

QByteArray rect(const QRectF& r) {
    return QStringLiteral("[%1 %2 %3 %4]")
        .arg(r.left())
        .arg(r.top())
        .arg(r.right())
        .arg(r.bottom())
        .toLatin1();
}

class Writer {
public:
    int reserve() {
        m_objects.append(QByteArray());
        return int(m_objects.size());
    }
    void set(int number, const QByteArray& body) { m_objects[number - 1] = body; }
    int add(const QByteArray& body) {
        const int n = reserve();
        set(n, body);
        return n;
    }
    QByteArray finish(int root, int info) const {
        QByteArray out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
        QList<qsizetype> offsets;
        for (int i = 0; i < m_objects.size(); ++i) {
            offsets.append(out.size());
            out += QByteArray::number(i + 1) + " 0 obj\n" + m_objects[i] + "\nendobj\n";
        }
        const qsizetype xref = out.size();
        out += "xref\n0 " + QByteArray::number(m_objects.size() + 1) + "\n0000000000 65535 f \n";
        for (qsizetype off : offsets)
            out += QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
        out += "trailer\n<< /Size " + QByteArray::number(m_objects.size() + 1) + " /Root " +
               QByteArray::number(root) + " 0 R";
        if (info)
            out += " /Info " + QByteArray::number(info) + " 0 R";
        out += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return out;
    }

private:
    QList<QByteArray> m_objects;
};

QByteArray ref(int n) {
    return QByteArray::number(n) + " 0 R";
}

QByteArray literal(const QString& text) {
    QByteArray bytes = text.toLatin1();
    bytes.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
    return "(" + bytes + ")";
}

// One line at (72, 700), or, for text with line feeds, one line under the other 14 points apart.
QByteArray textContent(const QString& text) {
    QByteArray content = "BT /F1 12 Tf 14 TL 72 700 Td";
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        content += (i ? " T* " : " ") + literal(lines[i]) + " Tj";
    return content + " ET";
}

} // namespace

QByteArray makePdf(const DocSpec& spec) {
    Writer w;
    const int catalog = w.reserve();
    const int pagesNode = w.reserve();
    const int font =
        w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    QList<int> pageNumbers;
    QList<int> fields;
    // Links to pages need the target page's object number, known only once every page is reserved; their
    // annotations are filled in after the page loop.
    struct PendingLink {
        int link;
        int target;
    };
    QList<PendingLink> pendingLinks;
    for (const PageSpec& p : spec.pages) {
        const QByteArray content =
            (p.drawing.isEmpty() ? QByteArray() : p.drawing + ' ') + textContent(p.text);
        const int stream = w.add("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
                                 content + "\nendstream");
        const int page = w.reserve();
        QByteArray annots;
        if (p.withNote) {
            annots +=
                ref(w.add("<< /Type /Annot /Subtype /Text /Rect [100 100 120 120] /Contents (Remember) /P " +
                          ref(page) + " >>")) +
                " ";
        }
        if (p.withTextField) {
            const int field =
                w.add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (Ada) /Rect [72 600 272 620]"
                      " /DA (/Helv 12 Tf 0 g) /F 4 /P " +
                      ref(page) + " >>");
            fields << field;
            annots += ref(field) + " ";
        }
        if (p.withCheckbox) {
            const QByteArray box = "<< /BBox [0 0 14 14] /Length 0 >>\nstream\n\nendstream";
            const int on = w.add(box);
            const int off = w.add(box);
            const int field = w.add("<< /Type /Annot /Subtype /Widget /FT /Btn /T (agree) /V /Off /AS /Off"
                                    " /Rect [72 560 86 574] /F 4 /MK << /CA (4) >> /DA (/ZaDb 12 Tf 0 g)"
                                    " /AP << /N << /Yes " +
                                    ref(on) + " /Off " + ref(off) + " >> >> /P " + ref(page) + " >>");
            fields << field;
            annots += ref(field) + " ";
        }
        if (p.linkToPage >= 0) {
            const int link = w.reserve();
            pendingLinks.append({link, p.linkToPage});
            annots += ref(link) + " ";
        }
        if (!p.linkURI.isEmpty()) {
            annots += ref(w.add("<< /Type /Annot /Subtype /Link /Rect [72 620 172 640] /Border [0 0 0]"
                                " /A << /S /URI /URI (" +
                                p.linkURI.toLatin1() + ") >> >>")) +
                      " ";
        }
        QByteArray body = "<< /Type /Page /Parent " + ref(pagesNode) + " /MediaBox " + rect(p.mediaBox) +
                          " /Resources << /Font << /F1 " + ref(font) + " >> >> /Contents " + ref(stream);
        if (!p.cropBox.isNull())
            body += " /CropBox " + rect(p.cropBox);
        if (p.rotate)
            body += " /Rotate " + QByteArray::number(p.rotate);
        if (p.userUnit != 1)
            body += " /UserUnit " + QByteArray::number(p.userUnit);
        if (!annots.isEmpty())
            body += " /Annots [" + annots + "]";
        w.set(page, body + " >>");
        pageNumbers << page;
    }
    for (const PendingLink& link : pendingLinks) {
        const QRectF target = spec.pages.value(link.target).mediaBox;
        w.set(link.link, "<< /Type /Annot /Subtype /Link /Rect [72 650 172 670] /Border [0 0 0] /Dest [" +
                             ref(pageNumbers.value(link.target)) + " /XYZ " +
                             QByteArray::number(target.left()) + " " + QByteArray::number(target.bottom()) +
                             " 0] >>");
    }
    QByteArray kids;
    for (int n : pageNumbers)
        kids += ref(n) + " ";
    w.set(pagesNode,
          "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pageNumbers.size()) + " >>");

    QByteArray catalogBody = "<< /Type /Catalog /Pages " + ref(pagesNode);
    if (spec.withOutline && pageNumbers.size() >= 2) {
        const int outlines = w.reserve();
        const int first = w.reserve();
        const int second = w.reserve();
        const int child = w.reserve();
        w.set(outlines, "<< /Type /Outlines /First " + ref(first) + " /Last " + ref(second) + " /Count 3 >>");
        w.set(first, "<< /Title (First) /Parent " + ref(outlines) + " /Next " + ref(second) + " /Dest [" +
                         ref(pageNumbers[0]) + " /Fit] >>");
        w.set(second, "<< /Title (Second) /Parent " + ref(outlines) + " /Prev " + ref(first) + " /First " +
                          ref(child) + " /Last " + ref(child) + " /Count 1 /Dest [" + ref(pageNumbers[1]) +
                          " /Fit] >>");
        w.set(child,
              "<< /Title (Child) /Parent " + ref(second) + " /Dest [" + ref(pageNumbers[0]) + " /Fit] >>");
        catalogBody += " /Outlines " + ref(outlines);
    }
    if (!fields.isEmpty()) {
        QByteArray list;
        for (int f : fields)
            list += ref(f) + " ";
        catalogBody += " /AcroForm << /Fields [" + list + "] /DA (/Helv 12 Tf 0 g) /DR << /Font << /Helv " +
                       ref(font) + " >> >> >>";
    }
    w.set(catalog, catalogBody + " >>");
    const int info = spec.title.isEmpty() ? 0 : w.add("<< /Title (" + spec.title.toLatin1() + ") >>");
    return w.finish(catalog, info);
}

QByteArray makeTextPdf(int pages, const QString& word) {
    DocSpec spec;
    for (int i = 0; i < pages; ++i)
        spec.pages.append(PageSpec{QStringLiteral("Page %1 %2").arg(i + 1).arg(word)});
    return makePdf(spec);
}

QByteArray assemblePdf(const QList<QByteArray>& objects, int root) {
    Writer w;
    for (const QByteArray& body : objects)
        w.add(body);
    return w.finish(root, 0);
}

QByteArray inflatedStreams(const QByteArray& pdf) {
    QByteArray all;
    qsizetype from = 0;
    while ((from = pdf.indexOf("stream", from)) >= 0) {
        if (from >= 3 && pdf.mid(from - 3, 3) == "end") {
            from += 6;
            continue;
        }
        qsizetype start = from + 6;
        if (pdf.mid(start, 2) == "\r\n")
            start += 2;
        else if (pdf.mid(start, 1) == "\n")
            start += 1;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        const QByteArray raw = pdf.mid(start, end - start);
        all += raw;
        z_stream z{};
        if (inflateInit(&z) == Z_OK) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
            z.avail_in = uInt(raw.size());
            char chunk[16384];
            int rc = Z_OK;
            while (rc == Z_OK) {
                z.next_out = reinterpret_cast<Bytef*>(chunk);
                z.avail_out = sizeof chunk;
                rc = inflate(&z, Z_NO_FLUSH);
                all.append(chunk, qsizetype(sizeof chunk - z.avail_out));
            }
            inflateEnd(&z);
        }
        from = end + 9;
    }
    return all;
}

QByteArray searchable(const QByteArray& pdf) {
    return pdf + inflatedStreams(pdf);
}

} // namespace fixtures
