#include "PdfTextLayer.h"

#include "ContentOperations.h"
#include "FontSubset.h"
#include "PdfDocumentImpl.h"

#include <array>
#include <map>

namespace zepla::pdf {

namespace {

// Hundredths of a point place a glyph well within a pixel of a 600-dpi scan.
QByteArray number(double value) {
    return contentNumber(value, 2);
}

} // namespace

Result<InvisibleText> prepareInvisibleText(const std::vector<InvisibleRun>& runs) {
    InvisibleText text;
    if (runs.empty())
        return text;
    // The fonts, each cut to the glyphs the runs show, and the operators that show them.
    std::map<QString, std::vector<quint32>> glyphsByFile;
    for (const InvisibleRun& run : runs) {
        std::vector<quint32>& glyphs = glyphsByFile[run.fontFile];
        glyphs.insert(glyphs.end(), run.glyphs.begin(), run.glyphs.end());
    }
    std::map<QString, int> fontOfFile;
    for (const auto& [file, glyphs] : glyphsByFile) {
        const QByteArray data = embeddedFontData(file, glyphs, Outlines::Dropped);
        if (data.isEmpty())
            return Error{Error::Kind::Failed, QStringLiteral("The font %1 could not be read.").arg(file)};
        fontOfFile[file] = int(text.fontData.size());
        text.fontData.push_back(data);
    }
    for (const InvisibleRun& run : runs) {
        const QTransform& m = run.matrix;
        QByteArray operands = number(m.m11()) + ' ' + number(m.m12()) + ' ' + number(m.m21()) + ' ' +
                              number(m.m22()) + ' ' + number(m.dx()) + ' ' + number(m.dy()) + " Tm <";
        for (quint32 glyph : run.glyphs)
            operands += QByteArray::number(glyph & 0xffff, 16).rightJustified(4, '0');
        operands += "> Tj";
        text.showings.push_back({fontOfFile[run.fontFile], operands});
    }
    return text;
}

Status addInvisibleText(Document& document, int index, const std::vector<InvisibleRun>& runs) {
    const Result<InvisibleText> text = prepareInvisibleText(runs);
    return text ? addInvisibleText(document, index, text.value()) : Status(text.error());
}

Status addInvisibleText(Document& document, int index, const InvisibleText& text) {
    if (text.showings.empty())
        return {};
    Access a(document);
    if (Status status = checkPage(a, index); !status)
        return status;
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    const std::size_t fontCount = text.fontData.size();
    std::vector<pdf_obj*> embedded(fontCount, nullptr);
    std::vector<std::array<char, 32>> names(fontCount);
    // The fonts embedded and named in the page's own font dictionary.
    Status status = guarded(ctx, [&] {
        fz_buffer* buffer = nullptr;
        fz_font* font = nullptr;
        fz_var(buffer);
        fz_var(font);
        fz_try(ctx) {
            pdf_obj* page = lookupPage(ctx, doc, index);
            pdf_obj* fonts = ownResourceDict(ctx, doc, page, PDF_NAME(Font));
            for (std::size_t i = 0; i < fontCount; ++i) {
                buffer = fz_new_buffer_from_copied_data(
                    ctx, reinterpret_cast<const unsigned char*>(text.fontData[i].constData()),
                    size_t(text.fontData[i].size()));
                font = fz_new_font_from_buffer(ctx, nullptr, buffer, 0, 0);
                fz_drop_buffer(ctx, buffer);
                buffer = nullptr;
                embedded[i] = pdf_add_cid_font(ctx, doc, font);
                fz_drop_font(ctx, font);
                font = nullptr;
                freeName(ctx, fonts, "OCR", names[i].data(), int(names[i].size()));
                pdf_dict_puts(ctx, fonts, names[i].data(), embedded[i]);
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
    QByteArray content = "BT\n3 Tr\n";
    if (status) {
        int font = -1;
        for (const InvisibleText::Showing& showing : text.showings) {
            // The font is set again only where it changes.
            if (showing.font != font)
                content += '/' + QByteArray(names[std::size_t(showing.font)].data()) + " 1 Tf\n";
            font = showing.font;
            content += showing.operands + '\n';
        }
        content += "ET\n";
        // The text's own content stream, drawn after what the page draws.
        status = guarded(ctx, [&] { appendPageContent(ctx, doc, lookupPage(ctx, doc, index), content); });
    }
    guarded(ctx, [&] {
        for (pdf_obj* font : embedded)
            pdf_drop_obj(ctx, font);
    });
    if (!status)
        return Error{Error::Kind::Failed, QStringLiteral("The text layer of page %1 could not be written. %2")
                                              .arg(index + 1)
                                              .arg(status.error().message)};
    ++a.impl().revision;
    return {};
}

Result<PageHandle> replaceWithCopy(Document& document, int index) {
    Access a(document);
    if (Status status = checkPage(a, index); !status)
        return status.error();
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    pdf_obj* copy = nullptr;
    Status status = guarded(ctx, [&] {
        pdf_obj* page = lookupPage(ctx, doc, index);
        copy = pdf_add_object_drop(ctx, doc, pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, page)));
        // What the page inherits from its tree becomes its own: the copy may sit under another node.
        for (pdf_obj* key : {PDF_NAME(MediaBox), PDF_NAME(CropBox), PDF_NAME(Rotate)}) {
            if (!pdf_dict_get(ctx, page, key))
                if (pdf_obj* inherited = pdf_dict_get_inheritable(ctx, page, key))
                    pdf_dict_put(ctx, copy, key, inherited);
        }
        pdf_obj* resources = pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources));
        pdf_obj* own =
            resources ? pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, resources)) : pdf_new_dict(ctx, doc, 1);
        pdf_dict_put_drop(ctx, copy, PDF_NAME(Resources), own);
        if (pdf_obj* fonts = pdf_dict_get(ctx, own, PDF_NAME(Font)))
            pdf_dict_put_drop(ctx, own, PDF_NAME(Font), pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, fonts)));
        pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
        if (pdf_is_array(ctx, contents))
            pdf_dict_put_drop(ctx, copy, PDF_NAME(Contents),
                              pdf_copy_array(ctx, pdf_resolve_indirect(ctx, contents)));
        pdf_dict_del(ctx, copy, PDF_NAME(Annots));
        pdf_dict_del(ctx, copy, PDF_NAME(Parent));
    });
    if (!status) {
        guarded(ctx, [&] { pdf_drop_obj(ctx, copy); });
        return Error{
            Error::Kind::Failed,
            QStringLiteral("Page %1 could not be copied. %2").arg(index + 1).arg(status.error().message)};
    }
    // The original leaves the tree the way a deleted page does, so nothing of it reaches a saved file.
    auto original = document.removePage(index);
    if (original) {
        status = guarded(ctx, [&] { pdf_insert_page(ctx, doc, index, copy); });
        if (!status)
            document.insertPage(original.value(), index);
    }
    guarded(ctx, [&] { pdf_drop_obj(ctx, copy); });
    if (!original)
        return original.error();
    if (!status)
        return Error{
            Error::Kind::Failed,
            QStringLiteral("Page %1 could not be copied. %2").arg(index + 1).arg(status.error().message)};
    ++a.impl().revision;
    return original.value();
}

} // namespace zepla::pdf
