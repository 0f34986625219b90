// The document index: the flattened outline, the three passes of the section match, and the search with
// one excerpt per page.
#include "PdfFixtures.h"
#include "tools/DocumentIndex.h"

#include <QTest>

using namespace zepla;
using namespace zepla::ai;

namespace {

pdf::OutlineItem item(const QString& title, int page = 0, std::vector<pdf::OutlineItem> children = {}) {
    return pdf::OutlineItem{title, page, {}, false, std::move(children)};
}

std::shared_ptr<pdf::Document> withOutline(const std::vector<pdf::OutlineItem>& outline) {
    auto document = pdf::Document::open(fixtures::makeTextPdf(3)).value();
    if (!outline.empty())
        document->setOutline(outline);
    return document;
}

QStringList titles(const QList<DocumentIndex::OutlineEntry>& entries) {
    QStringList list;
    for (const auto& entry : entries)
        list.append(entry.title);
    return list;
}

QList<DocumentIndex::OutlineEntry> entries(const QStringList& titles) {
    QList<DocumentIndex::OutlineEntry> list;
    for (const QString& title : titles)
        list.append({title, item(title)});
    return list;
}

} // namespace

class TestDocumentIndex : public QObject {
    Q_OBJECT

private slots:
    void flattensInPreOrderSkippingBlankLabels() {
        auto document = withOutline({
            item("  Part One ", 0, {item("Intro", 0), item("   ", 1, {item("Hidden child", 2)})}),
            item(" \t ", 1, {item("Orphan", 1)}),
            item("\n", 2),
        });
        const auto flat = DocumentIndex::flattenedOutline(*document);
        QCOMPARE(titles(flat), (QStringList{"  Part One ", "Intro", "Hidden child", "Orphan", "\n"}));
        QCOMPARE(flat[2].outline.pageIndex, 2);
        QVERIFY(flat[0].outline.children.empty());
        QVERIFY(DocumentIndex::flattenedOutline(*withOutline({})).isEmpty());
    }

    void flattensALargeOutline() {
        std::vector<pdf::OutlineItem> many;
        for (int i = 0; i < 10000; ++i)
            many.push_back(item(QStringLiteral("Entry %1").arg(i), i % 3));
        const auto flat = DocumentIndex::flattenedOutline(*withOutline(many));
        QCOMPARE(flat.size(), 10000);
        QCOMPARE(flat.last().title, QString("Entry 9999"));
    }

    void flattensAnOutlineThatLoopsBackOnItself() {
        fixtures::DocSpec spec;
        spec.pages = {{"one"}, {"two"}};
        spec.withOutline = true;
        QByteArray bytes = fixtures::makePdf(spec);
        const auto objectNumber = [&](const QByteArray& title) {
            const qsizetype entry = bytes.indexOf("<< /Title (" + title + ")");
            const qsizetype header = bytes.lastIndexOf(" 0 obj", entry);
            const qsizetype lineStart = bytes.lastIndexOf('\n', header) + 1;
            return bytes.mid(lineStart, header - lineStart);
        };
        // The child's children start at its parent, and its next sibling is the first entry again.
        const QByteArray first = objectNumber("First");
        const QByteArray second = objectNumber("Second");
        bytes.replace("/Title (Child)", "/Title (Child) /First " + second + " 0 R /Next " + first + " 0 R");
        QVERIFY(!first.isEmpty() && !second.isEmpty() && bytes.contains("/Next " + first + " 0 R"));
        auto document = pdf::Document::open(bytes).value();
        QCOMPARE(titles(DocumentIndex::flattenedOutline(*document)),
                 (QStringList{"First", "Second", "Child"}));
        QCOMPARE(
            DocumentIndex::bestMatch("child", DocumentIndex::flattenedOutline(*document))->outline.pageIndex,
            0);
    }

    void matchesSections_data() {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected"); // empty: no match
        const QStringList paper{"Introduction", "Methods"};
        QTest::newRow("exact, query trimmed") << paper << "  Methods "
                                              << "Methods";
        QTest::newRow("exact ignores case") << paper << "METHODS"
                                            << "Methods";
        QTest::newRow("exact before containment")
            << QStringList{"Methods and Materials", "methods"} << "Methods"
            << "methods";
        QTest::newRow("title contains query")
            << QStringList{"Introduction", "Methods and Materials"} << "method"
            << "Methods and Materials";
        QTest::newRow("query contains title") << QStringList{"Introduction", "Results"} << "chapter 3 results"
                                              << "Results";
        QTest::newRow("more shared words win")
            << QStringList{"Data Sources", "Analysis of Data"} << "data analysis"
            << "Analysis of Data";
        QTest::newRow("ties go to the earlier")
            << QStringList{"Data Sources", "Deep Analysis"} << "data analysis"
            << "Data Sources";
        QTest::newRow("no shared word") << paper << "conclusion"
                                        << "";
        QTest::newRow("blank query") << paper << " \t "
                                     << "";
        QTest::newRow("empty query") << paper << ""
                                     << "";
        QTest::newRow("line breaks do not split words") << QStringList{"Data\nSources"} << "data sources"
                                                        << "";
    }
    void matchesSections() {
        QFETCH(QStringList, titles);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        const auto match = DocumentIndex::bestMatch(query, entries(titles));
        QCOMPARE(match ? match->title : QString(), expected);
    }

    void searchesOneExcerptPerPageUpToTheLimit() {
        fixtures::DocSpec spec;
        const QString filler = QStringLiteral("0123456789").repeated(6);
        for (int i = 1; i <= 8; ++i)
            spec.pages.append({filler + QStringLiteral(" needle %1 ").arg(i) + filler + " NEEDLE again"});
        spec.pages[6].text = QStringLiteral("nothing here");
        auto document = pdf::Document::open(fixtures::makePdf(spec)).value();

        const auto matches = DocumentIndex::search(*document, "Needle", 5);
        QCOMPARE(matches.size(), 5);
        QCOMPARE(matches[0].page, 1);
        QCOMPARE(matches[4].page, 5);
        // 40 characters each side of the first occurrence.
        QCOMPARE(matches[0].excerpt, filler.right(39) + " needle 1 " + filler.left(37));

        const auto rest = DocumentIndex::search(*document, "needle", 50);
        QCOMPARE(rest.size(), 7);
        QCOMPARE(rest.last().page, 8);
    }

    void excerptsStartAtTheTextStartAndJoinLines() {
        fixtures::DocSpec spec;
        spec.pages.append({"Abstract first\nsecond line"});
        auto document = pdf::Document::open(fixtures::makePdf(spec)).value();
        const auto matches = DocumentIndex::search(*document, "abstract", 5);
        QCOMPARE(matches.size(), 1);
        QCOMPARE(matches[0].excerpt, QString("Abstract first second line"));
        QVERIFY(DocumentIndex::search(*document, QString(1 << 20, u'x'), 5).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDocumentIndex)
#include "test_document_index.moc"
