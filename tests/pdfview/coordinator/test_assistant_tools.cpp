// The assistant's tools against a real document window view: every result text, untrusted page numbers,
// the whole-text limit, search limits, notes with undo, and tools that outlive their window.
#include "PdfFixtures.h"
#include "annotations/ToolState.h"
#include "core/UndoManager.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/CoordinatorAssistantViewer.h"
#include "pdfview/coordinator/PDFViewBridge.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "tools/AssistantToolFactory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTest>

using namespace zepla;
using namespace zepla::ai;

namespace {

// Page 4 holds only white space; "seven" is on seven pages.
const QList<int> sevenPages{2, 3, 5, 6, 8, 9, 11};

QString pageText(int n) {
    if (n == 4)
        return QStringLiteral("   \n   ");
    return QStringLiteral("Page %1 body text\nsecond line%2")
        .arg(n)
        .arg(sevenPages.contains(n) ? " seven" : "");
}

// Twenty entries in two levels: "Chapter 1".."Chapter 4", each with "Section c.1".."Section c.4".
std::vector<pdf::OutlineItem> twentyEntries() {
    std::vector<pdf::OutlineItem> chapters;
    for (int c = 1; c <= 4; ++c) {
        pdf::OutlineItem chapter{QStringLiteral("Chapter %1").arg(c), (c - 1) * 3, {}, true, {}};
        for (int s = 1; s <= 4; ++s)
            chapter.children.push_back(
                {QStringLiteral("Section %1.%2").arg(c).arg(s), (c - 1) * 3, {}, false, {}});
        chapters.push_back(chapter);
    }
    return chapters;
}

std::shared_ptr<pdf::Document> twelvePages(bool outline = true) {
    fixtures::DocSpec spec;
    for (int n = 1; n <= 12; ++n)
        spec.pages.append({pageText(n)});
    auto document = pdf::Document::open(fixtures::makePdf(spec)).value();
    if (outline)
        document->setOutline(twentyEntries());
    return document;
}

// A document window's view, coordinator and tools.
struct Window {
    explicit Window(std::shared_ptr<pdf::Document> doc = twelvePages()) : document(std::move(doc)) {
        view->setToolState(&toolState);
        view->setUndoManager(&undo);
        view->resize(600, 800);
        pdfview::PDFViewBridge::attach(*view, coordinator, document, QString(), Qt::white);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QCoreApplication::processEvents();
        tools = AssistantToolFactory::makeTools(
            AssistantSource::pdf({document, new pdfview::CoordinatorAssistantViewer(coordinator), {}}));
    }
    ~Window() { delete view; }

    QString run(const QString& name, const QJsonObject& input = {}) const {
        for (const AssistantTool& tool : tools) {
            if (tool.name == name)
                return tool.execute(input);
        }
        return QStringLiteral("no tool ") + name;
    }

    std::shared_ptr<pdf::Document> document;
    annotations::ToolState toolState;
    platform::UndoManager undo;
    pdfview::PDFViewCoordinator coordinator;
    pdfview::AnnotatingPDFView* view = new pdfview::AnnotatingPDFView;
    QList<AssistantTool> tools;
};

QJsonObject args(const char* json) {
    return QJsonDocument::fromJson(json).object();
}

QStringList names(const QList<AssistantTool>& tools) {
    QStringList list;
    for (const AssistantTool& tool : tools)
        list.append(tool.name);
    return list;
}

} // namespace

class TestAssistantTools : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void offersTheToolsOfEachSourceWithTheirSchemas() {
        Window w;
        QCOMPARE(names(w.tools),
                 (QStringList{"go_to_page", "go_to_section", "get_selection_text", "get_page_text",
                              "get_document_text", "search_document", "add_note"}));
        const auto schema = [&](int i) {
            return QJsonDocument(w.tools[i].inputSchema).toJson(QJsonDocument::Compact);
        };
        QCOMPARE(
            schema(0),
            QByteArray(R"({"properties":{"page":{"description":"1-based page number","type":"integer"}},)"
                       R"("required":["page"],"type":"object"})"));
        QCOMPARE(schema(2), QByteArray(R"({"properties":{},"type":"object"})"));
        QCOMPARE(schema(3), QByteArray(R"({"properties":{"page":{"type":"integer"}},"type":"object"})"));
        QCOMPARE(schema(6),
                 QByteArray(R"({"properties":{"page":{"type":"integer"},"text":{"type":"string"}},)"
                            R"("required":["page","text"],"type":"object"})"));
        QCOMPARE(
            w.tools[3].description,
            QString("Get the full text content of a specific 1-based page. Omit 'page' (or the user said "
                    "\"this page\"/\"the current page\") to use whatever page is currently shown in the "
                    "viewer."));

        const auto textTools =
            AssistantToolFactory::makeTools(AssistantSource::textOnly({"/tmp/a.xlsx", "x"}));
        QCOMPARE(names(textTools), (QStringList{"get_full_text", "search_text"}));
        for (const AssistantTool& tool : textTools + w.tools) {
            QVERIFY2(!tool.description.contains("Spotlight") && !tool.description.contains("macOS"),
                     qPrintable(tool.description));
        }
    }

    void goToPageTrustsNoPageNumber_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("shownIndex");
        QTest::newRow("third") << QByteArray(R"({"page": 3})") << "Navigated to page 3." << 2;
        QTest::newRow("fraction truncated") << QByteArray(R"({"page": 5.9})") << "Navigated to page 5." << 4;
        QTest::newRow("true is one") << QByteArray(R"({"page": true})") << "Navigated to page 1." << 0;
        QTest::newRow("zero") << QByteArray(R"({"page": 0})")
                              << "Page 0 is out of range. This document has 12 pages." << 0;
        QTest::newRow("one past") << QByteArray(R"({"page": 13})")
                                  << "Page 13 is out of range. This document has 12 pages." << 0;
        QTest::newRow("huge") << QByteArray(R"({"page": 1e300})")
                              << "Page 2147483647 is out of range. This document has 12 pages." << 0;
        QTest::newRow("hugely negative")
            << QByteArray(R"({"page": -1e300})")
            << "Page -2147483648 is out of range. This document has 12 pages." << 0;
        QTest::newRow("string") << QByteArray(R"({"page": "3"})") << "Missing or invalid 'page' argument."
                                << 0;
        QTest::newRow("null") << QByteArray(R"({"page": null})") << "Missing or invalid 'page' argument."
                              << 0;
        QTest::newRow("missing") << QByteArray("{}") << "Missing or invalid 'page' argument." << 0;
    }
    void goToPageTrustsNoPageNumber() {
        QFETCH(QByteArray, input);
        QFETCH(QString, result);
        QFETCH(int, shownIndex);
        Window w;
        QCOMPARE(w.run("go_to_page", args(input)), result);
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(shownIndex));
    }

    void nonFiniteNumbersCountAsMissing() {
        Window w;
        const QJsonObject infinite{{"page", std::numeric_limits<double>::infinity()}};
        QCOMPARE(w.run("go_to_page", infinite), QString("Missing or invalid 'page' argument."));
        QCOMPARE(w.run("add_note", {{"page", std::nan("")}, {"text", "x"}}),
                 QString("Missing 'page' or 'text' argument."));
    }

    void readsPageText() {
        Window w;
        QCOMPARE(w.run("get_page_text", args(R"({"page": 2})")),
                 QString("Page 2 body text\nsecond line seven"));
        QCOMPARE(w.run("get_page_text", args(R"({"page": 4})")), QString("Page 4 has no extractable text."));
        QCOMPARE(w.run("get_page_text", args(R"({"page": 13})")),
                 QString("Page 13 is out of range. This document has 12 pages."));
        // Without a usable number, the page shown.
        w.view->goToPage(6);
        QCOMPARE(w.run("get_page_text", args(R"({"page": "2"})")), pageText(7));
        QCOMPARE(w.run("get_page_text"), pageText(7));
        delete w.view;
        w.view = nullptr;
        QCOMPARE(w.run("get_page_text"), QString("No page is currently open to use as \"this page\"."));
        QCOMPARE(w.run("get_page_text", args(R"({"page": 1})")), pageText(1));
    }

    void readsTheWholeDocumentWithHeaders() {
        Window w;
        const QString text = w.run("get_document_text");
        QVERIFY(
            text.startsWith("--- Page 1 of 12 ---\nPage 1 body text\nsecond line\n\n--- Page 2 of 12 ---\n"));
        QVERIFY(text.contains("--- Page 4 of 12 ---\n(no extractable text)\n\n--- Page 5 of 12 ---\n"));
        QVERIFY(text.endsWith("--- Page 12 of 12 ---\n" + pageText(12) + "\n\n"));
    }

    void cutsTheWholeDocumentInsideAPage() {
        // 12 pages of 6,000 characters: the limit falls inside page 10.
        fixtures::DocSpec spec;
        for (int n = 1; n <= 12; ++n)
            spec.pages.append({QStringList(60, QString(99, QChar(u'a' + n))).join(u'\n')});
        Window w(pdf::Document::open(fixtures::makePdf(spec)).value());
        const QString text = w.run("get_document_text");
        const QString note =
            "\n\n[Truncated — document is longer than fits in one call. Use get_page_text or "
            "search_document for anything past this point.]";
        QVERIFY(text.endsWith(note));
        const QString kept = text.chopped(note.size());
        QCOMPARE(kept.size(), 60000);
        QVERIFY(kept.contains("--- Page 10 of 12 ---\n"));
        QVERIFY(!kept.contains("--- Page 11 of 12 ---"));
        QVERIFY(kept.endsWith(QChar(u'a' + 10)));
    }

    void goesToSections() {
        Window w;
        QCOMPARE(w.run("go_to_section", args(R"({"title": "chapter 3"})")),
                 QString("Navigated to section 'Chapter 3'."));
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(6));

        QStringList fifteen;
        for (int c = 1; c <= 3; ++c) {
            fifteen << QStringLiteral("Chapter %1").arg(c);
            for (int s = 1; s <= 4; ++s)
                fifteen << QStringLiteral("Section %1.%2").arg(c).arg(s);
        }
        fifteen << "Chapter 4"
                << "Section 4.1"
                << "Section 4.2"
                << "Section 4.3";
        fifteen = fifteen.mid(0, 15);
        for (const char* title : {R"({"title": "zebra"})", R"({"title": ""})", R"({"title": "   "})"}) {
            const QString given = args(title).value("title").toString();
            QCOMPARE(w.run("go_to_section", args(title)), "No section title closely matches '" + given +
                                                              "'. Available sections: " + fifteen.join("; "));
        }
        QCOMPARE(w.run("go_to_section", args(R"({"title": 3})")), QString("Missing 'title' argument."));

        Window bare(twelvePages(false));
        QCOMPARE(bare.run("go_to_section", args(R"({"title": "intro"})")),
                 QString("This document has no table of contents to navigate by. Try go_to_page or "
                         "search_document instead."));
    }

    void searchesTheDocument() {
        Window w;
        const QStringList lines = w.run("search_document", args(R"({"query": "SEVEN"})")).split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QString("Page 2: …Page 2 body text second line seven…"));
        QCOMPARE(lines[4], QString("Page 8: …Page 8 body text second line seven…"));
        QCOMPARE(w.run("search_document", args(R"({"query": ""})")), QString("Missing 'query' argument."));
        QCOMPARE(w.run("search_document", args(R"({"query": ["seven"]})")),
                 QString("Missing 'query' argument."));
        QCOMPARE(w.run("search_document", args(R"({"query": "  \t "})")),
                 QString("No matches found for '  \t '."));
        const QString huge(1 << 20, u'q');
        QCOMPARE(w.run("search_document", {{"query", huge}}), "No matches found for '" + huge + "'.");
    }

    void returnsTheSelection() {
        Window w;
        QCOMPARE(w.run("get_selection_text"), QString("No text is currently selected."));
        const QPoint from = w.view->convertFromPage({70, 704}, 0).toPoint();
        const QPoint to = w.view->convertFromPage({200, 704}, 0).toPoint();
        QTest::mousePress(w.view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(w.view->viewport(), (from + to) / 2);
        QTest::mouseMove(w.view->viewport(), to);
        QTest::mouseRelease(w.view->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(w.run("get_selection_text", args("[1, 2]")), QString("Page 1 body text"));
    }

    void addsUndoableNotes() {
        Window w;
        QCOMPARE(w.run("add_note", args(R"({"page": 2, "text": ""})")), QString("Added a note on page 2."));
        auto notes = w.document->annotations(1).value();
        QCOMPARE(notes.size(), size_t(1));
        QCOMPARE(notes[0].subtype, QString("Text"));
        QCOMPARE(notes[0].rect, QRectF(472, 692, 120, 80));
        QCOMPARE(notes[0].contents, QString());
        w.undo.undo();
        QVERIFY(w.document->annotations(1).value().empty());

        QCOMPARE(w.run("add_note", args(R"({"page": 12, "text": " Check this "})")),
                 QString("Added a note on page 12."));
        QCOMPARE(w.document->annotations(11).value()[0].contents, QString(" Check this "));
        QCOMPARE(w.run("add_note", args(R"({"page": 13, "text": "x"})")),
                 QString("Page 13 is out of range."));
        QCOMPARE(w.run("add_note", args(R"({"page": 2})")), QString("Missing 'page' or 'text' argument."));
        QCOMPARE(w.run("add_note", args(R"({"page": "2", "text": "x"})")),
                 QString("Missing 'page' or 'text' argument."));
    }

    void toolsOutlivingTheirWindowAnswerWithoutIt() {
        auto w = std::make_unique<Window>();
        const QList<AssistantTool> tools = w->tools;
        delete w->view;
        w->view = nullptr;
        QCOMPARE(tools[6].execute(args(R"({"page": 1, "text": "x"})")), QString("Viewer is not available."));
        QCOMPARE(tools[0].execute(args(R"({"page": 2})")), QString("Navigated to page 2."));
        QCOMPARE(tools[2].execute({}), QString("No text is currently selected."));
        w.reset();
        for (const AssistantTool& tool : tools)
            QCOMPARE(tool.execute(args(R"({"page": 1, "text": "x", "query": "x", "title": "x"})")),
                     QString("No document is open in this window any more."));
    }

    void readsAndSearchesExtractedText() {
        const auto tools = [](const QString& text) {
            return AssistantToolFactory::makeTools(AssistantSource::textOnly({"/tmp/deck.pptx", text}));
        };
        QCOMPARE(tools("")[0].execute({}), QString());
        const QString exact = QString(59999, u'x') + "e\u0301"; // the last character is two code points
        QCOMPARE(tools(exact)[0].execute({}), exact);
        QCOMPARE(
            tools(exact + "y")[0].execute({}),
            exact + "\n\n[Truncated — document is longer than fits in one call. Use search_text for anything "
                    "past this point.]");

        const QString text = "Revenue grew. " + QString(70, u'.') + " revenue fell\nagain. " +
                             QString(70, u'-') + " REVENUE flat.";
        const QStringList excerpts = tools(text)[1].execute(args(R"({"query": "Revenue"})")).split("\n…");
        QCOMPARE(excerpts.size(), 3);
        QCOMPARE(excerpts[0], "…" + text.left(7 + 60) + "…");
        QVERIFY(excerpts[1].startsWith(QString(60 - 1, u'.') + " revenue fell"));
        QVERIFY(excerpts[1].contains("fell\nagain"));
        QVERIFY(excerpts[2].endsWith("REVENUE flat.…"));

        const QStringList many =
            tools(QString("ab ").repeated(7))[1].execute(args(R"({"query": "AB"})")).split('\n');
        QCOMPARE(many.size(), 5);
        QCOMPARE(tools(text)[1].execute(args(R"({"query": "profit"})")),
                 QString("No matches found for 'profit'."));
        QCOMPARE(tools(text)[1].execute(args(R"({"query": ""})")), QString("Missing 'query' argument."));
    }
};

QTEST_MAIN(TestAssistantTools)
#include "test_assistant_tools.moc"
