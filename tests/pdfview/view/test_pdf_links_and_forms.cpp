// Links and form widgets of the PDF layer: where links lead, and form values that survive a save.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QTest>

using namespace zepla::pdf;

namespace {

std::shared_ptr<Document> openSpec(const fixtures::DocSpec& spec) {
    return Document::open(fixtures::makePdf(spec)).value();
}

std::shared_ptr<Document> reopened(const Document& document) {
    return Document::open(document.save().value()).value();
}

FormWidget widgetNamed(const Document& document, int page, const QString& name) {
    const auto widgets = document.formWidgets(page);
    for (const FormWidget& w : widgets.value()) {
        if (w.name == name)
            return w;
    }
    return {};
}

} // namespace

class TestPdfLinksAndForms : public QObject {
    Q_OBJECT

private slots:
    void internalAndExternalLinks() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"One"}, fixtures::PageSpec{"Two"}, fixtures::PageSpec{"Three"}};
        spec.pages[0].linkToPage = 2;
        spec.pages[0].linkURI = "https://example.org/a";
        auto doc = openSpec(spec);
        const std::vector<Link> links = doc->links(0).value();
        QCOMPARE(links.size(), size_t(2));
        const auto internal =
            std::find_if(links.begin(), links.end(), [](const Link& l) { return !l.isExternal(); });
        const auto external =
            std::find_if(links.begin(), links.end(), [](const Link& l) { return l.isExternal(); });
        QVERIFY(internal != links.end() && external != links.end());
        QCOMPARE(internal->pageIndex, 2);
        QCOMPARE(internal->rect, QRectF(72, 650, 100, 20));
        QVERIFY(internal->destination.has_value());
        QCOMPARE(internal->destination->y(), 792.0);
        QCOMPARE(external->uri, QString("https://example.org/a"));
        QCOMPARE(external->rect, QRectF(72, 620, 100, 20));
        QVERIFY(doc->links(1).value().empty());
        QVERIFY(!doc->links(3).ok());
        QVERIFY(!doc->links(-1).ok());
    }

    void linkRectsAreInPageSpaceOnRotatedPages() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"One"}, fixtures::PageSpec{"Two"}};
        spec.pages[0].rotate = 90;
        spec.pages[0].linkToPage = 1;
        auto doc = openSpec(spec);
        const auto links = doc->links(0);
        QCOMPARE(links.value().at(0).rect, QRectF(72, 650, 100, 20));
    }

    void listsTextFieldsAndCheckboxes() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"Form"}};
        spec.pages[0].withTextField = true;
        spec.pages[0].withCheckbox = true;
        auto doc = openSpec(spec);
        const FormWidget name = widgetNamed(*doc, 0, "name");
        QCOMPARE(name.type, FormWidget::Type::Text);
        QCOMPARE(name.value, QString("Ada"));
        QCOMPARE(name.rect, QRectF(72, 600, 200, 20));
        const FormWidget agree = widgetNamed(*doc, 0, "agree");
        QCOMPARE(agree.type, FormWidget::Type::Checkbox);
        QVERIFY(!agree.checked);
    }

    void filledValuesSurviveSaving() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"Form"}};
        spec.pages[0].withTextField = true;
        spec.pages[0].withCheckbox = true;
        auto doc = openSpec(spec);
        const quint64 before = doc->revision();
        QVERIFY(doc->setTextFieldValue(0, widgetNamed(*doc, 0, "name").handle,
                                       QString::fromUtf8("Grace Hopper é"))
                    .ok());
        QVERIFY(doc->toggleCheckbox(0, widgetNamed(*doc, 0, "agree").handle).ok());
        QVERIFY(doc->revision() > before);
        auto again = reopened(*doc);
        QCOMPARE(widgetNamed(*again, 0, "name").value, QString::fromUtf8("Grace Hopper é"));
        QVERIFY(widgetNamed(*again, 0, "agree").checked);
        // The regenerated appearance carries the new text, so other readers show it too.
        QVERIFY(fixtures::inflatedStreams(doc->save().value()).contains("Grace Hopper"));
    }

    void fillingTheWrongWidgetFails() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"Form"}};
        spec.pages[0].withTextField = true;
        spec.pages[0].withCheckbox = true;
        auto doc = openSpec(spec);
        QVERIFY(!doc->toggleCheckbox(0, widgetNamed(*doc, 0, "name").handle).ok());
        QVERIFY(!doc->setTextFieldValue(0, widgetNamed(*doc, 0, "agree").handle, "x").ok());
        QVERIFY(!doc->setTextFieldValue(0, AnnotationHandle(), "x").ok());
        QVERIFY(!doc->setTextFieldValue(4, widgetNamed(*doc, 0, "name").handle, "x").ok());
        QCOMPARE(widgetNamed(*doc, 0, "name").value, QString("Ada"));
    }

    void lockedDocumentsRefuse() {
        auto plain = Document::open(fixtures::makeTextPdf(1)).value();
        SaveOptions options;
        options.encryption = SaveOptions::Encryption::Aes256;
        options.userPassword = options.ownerPassword = "secret";
        auto locked = Document::open(plain->save(options).value()).value();
        QVERIFY(locked->isLocked());
        QCOMPARE(locked->links(0).error().kind, Error::Kind::NeedsPassword);
        QCOMPARE(locked->formWidgets(0).error().kind, Error::Kind::NeedsPassword);
    }
};

QTEST_GUILESS_MAIN(TestPdfLinksAndForms)
#include "test_pdf_links_and_forms.moc"
