#include "PdfTextLayer.h"

#include "FontSubset.h"
#include "PdfDocumentImpl.h"

#include <map>

namespace zepla::pdf {

namespace {

QByteArray number(double value) {
    return QByteArray::number(value, 'f', 4);
}

} // namespace

Status addInvisibleText(Document& document, int index, const std::vector<InvisibleRun>& runs) {
    if (runs.empty())
        return {};
    // The fonts, each cut to the glyphs the runs show, and the content stream that shows them.
    std::map<QString, std::vector<quint32>> glyphsByFile;
    for (const InvisibleRun& run : runs) {
        std::vector<quint32>& glyphs = glyphsByFile[run.fontFile];
        glyphs.insert(glyphs.end(), run.glyphs.begin(), run.glyphs.end());
    }
    std::vector<QByteArray> fontNames;
    std::vector<QByteArray> fontData;
    std::map<QString, QByteArray> nameOfFile;
    for (const auto& [file, glyphs] : glyphsByFile) {
        const QByteArray data = embeddedFontData(file, glyphs);
        if (data.isEmpty())
            return Error{Error::Kind::Failed, QStringLiteral("The font %1 could not be read.").arg(file)};
        fontNames.push_back("OCR" + QByteArray::number(int(fontNames.size())));
        fontData.push_back(data);
        nameOfFile[file] = fontNames.back();
    }
    QByteArray content = "BT\n3 Tr\n";
    for (const InvisibleRun& run : runs) {
        const QTransform& m = run.matrix;
        content += '/' + nameOfFile[run.fontFile] + " 1 Tf " + number(m.m11()) + ' ' + number(m.m12()) + ' ' +
                   number(m.m21()) + ' ' + number(m.m22()) + ' ' + number(m.dx()) + ' ' + number(m.dy()) +
                   " Tm <";
        for (quint32 glyph : run.glyphs)
            content += QByteArray::number(glyph & 0xffff, 16).rightJustified(4, '0');
        content += "> Tj\n";
    }
    content += "ET\n";

    Access a(document);
    if (Status status = checkPage(a, index); !status)
        return status;
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    fz_buffer* buffer = nullptr;
    fz_font* font = nullptr;
    const Status status = guarded(ctx, [&] {
        fz_var(buffer);
        fz_var(font);
        fz_try(ctx) {
            pdf_obj* page = pdf_lookup_page_obj(ctx, doc, index);
            pdf_obj* resources = pdf_dict_get(ctx, page, PDF_NAME(Resources));
            if (!resources) {
                pdf_obj* inherited = pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources));
                resources = inherited ? pdf_copy_dict(ctx, inherited) : pdf_new_dict(ctx, doc, 1);
                pdf_dict_put_drop(ctx, page, PDF_NAME(Resources), resources);
            }
            pdf_obj* fonts = pdf_dict_get(ctx, resources, PDF_NAME(Font));
            if (!fonts)
                fonts = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), int(fontNames.size()));
            for (std::size_t i = 0; i < fontNames.size(); ++i) {
                buffer = fz_new_buffer_from_copied_data(
                    ctx, reinterpret_cast<const unsigned char*>(fontData[i].constData()),
                    size_t(fontData[i].size()));
                font = fz_new_font_from_buffer(ctx, nullptr, buffer, 0, 0);
                fz_drop_buffer(ctx, buffer);
                buffer = nullptr;
                pdf_dict_puts_drop(ctx, fonts, fontNames[i].constData(), pdf_add_cid_font(ctx, doc, font));
                fz_drop_font(ctx, font);
                font = nullptr;
            }
            buffer = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(content.constData()), size_t(content.size()));
            pdf_obj* stream = pdf_add_stream(ctx, doc, buffer, nullptr, 0);
            pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
            if (pdf_is_array(ctx, contents)) {
                pdf_array_push_drop(ctx, contents, stream);
            } else {
                pdf_obj* both = pdf_new_array(ctx, doc, 2);
                if (contents)
                    pdf_array_push(ctx, both, contents);
                pdf_array_push_drop(ctx, both, stream);
                pdf_dict_put_drop(ctx, page, PDF_NAME(Contents), both);
            }
        }
        fz_always(ctx) {
            fz_drop_font(ctx, font);
            fz_drop_buffer(ctx, buffer);
        }
        fz_catch(ctx) {
            fz_rethrow(ctx);
        }
    });
    if (!status)
        return Error{Error::Kind::Failed, QStringLiteral("The text layer of page %1 could not be written. %2")
                                              .arg(index + 1)
                                              .arg(status.error().message)};
    ++a.impl().revision;
    return {};
}

} // namespace zepla::pdf
