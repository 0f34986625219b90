// Pages read while the page map is held stay the document's alone. MuPDF takes a hold on a page's dictionary
// as it finds the page under the map, and a dictionary held by anything but the document outlives it when
// it closes, with everything the page holds. The test links MuPDF itself to count the holds.
#include "PdfFixtures.h"
#include "pdf/PdfDocumentImpl.h"

#include <QTest>

#include <functional>

using namespace zepla::pdf;

namespace {

// The pages whose dictionary something other than the document holds.
QList<int> pagesHeldElsewhere(const Document& document) {
    const Access a(document);
    QList<int> held;
    for (int i = 0; i < pdf_count_pages(a.ctx, a.doc()); ++i) {
        int holds = 0;
        guarded(a.ctx, [&] {
            holds = pdf_obj_refs(a.ctx, pdf_resolve_indirect(a.ctx, lookupPage(a.ctx, a.doc(), i)));
        });
        if (holds != 1)
            held.append(i);
    }
    return held;
}

} // namespace

class TestPageHolds : public QObject {
    Q_OBJECT

private slots:
    void pagesReadUnderThePageMapAreHeldByTheDocumentAlone_data() {
        QTest::addColumn<std::function<void(Document&)>>("read");
        QTest::newRow("geometry of every page") << std::function<void(Document&)>(
            [](Document& d) { QCOMPARE(int(d.geometries(0, d.pageCount() - 1).size()), d.pageCount()); });
        QTest::newRow("every page looked up and loaded") << std::function<void(Document&)>([](Document& d) {
            const Access a(d);
            const PageMap map(a.ctx, a.doc());
            for (int i = 0; i < d.pageCount(); ++i) {
                guarded(a.ctx, [&] { lookupPage(a.ctx, a.doc(), i); });
                Status status;
                const LoadedPage page(a, i, &status);
                QVERIFY(status.ok());
            }
        });
        QTest::newRow("saved and checked")
            << std::function<void(Document&)>([](Document& d) { QVERIFY(d.save().ok()); });
    }

    void pagesReadUnderThePageMapAreHeldByTheDocumentAlone() {
        QFETCH(std::function<void(Document&)>, read);
        auto document = Document::open(fixtures::makeTextPdf(40)).value();
        QCOMPARE(pagesHeldElsewhere(*document), QList<int>());
        read(*document);
        QCOMPARE(pagesHeldElsewhere(*document), QList<int>());
    }
};

QTEST_MAIN(TestPageHolds)
#include "test_page_holds.moc"
