// The page context menu: the selection's menu (markups, copy, every "Ask AI" prompt) wherever the click
// lands, the page's menu (note, text box, the page questions), and reading a page's text by recognition into
// the clipboard and the assistant.
#include "../../document/ocr/ScannedPages.h"
#include "AnnotatingViewHarness.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScreen>

using namespace zepla;

namespace {

QStringList titles(const QMenu* menu) {
    QStringList list;
    for (const QAction* action : menu->actions())
        list.append(action->isSeparator() ? QStringLiteral("|") : action->text());
    return list;
}

QAction* item(QMenu* menu, const QString& path) {
    QMenu* current = menu;
    const QStringList parts = path.split(QStringLiteral(" > "));
    for (const QString& title : parts) {
        for (QAction* action : current->actions()) {
            if (action->text() != title)
                continue;
            if (title == parts.last())
                return action;
            current = action->menu();
            break;
        }
    }
    qFatal("no item %s", qPrintable(path));
}

// With ZEPLA_SCREENSHOT_DIR set, saves pictures of the menu and its "Ask AI" submenu there, for a person to
// look at.
void keepPicture(QMenu* menu, const QString& name) {
    const QString folder = qEnvironmentVariable("ZEPLA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    menu->popup(QPoint(40, 40));
    QAction* ask = item(menu, QStringLiteral("Ask AI"));
    menu->setActiveAction(ask);
    ask->menu()->popup(menu->geometry().topRight());
    QTest::qWait(200);
    menu->grab().save(folder + QStringLiteral("/%1-menu.png").arg(name));
    ask->menu()->grab().save(folder + QStringLiteral("/%1-ask-ai.png").arg(name));
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/%1-screen.png").arg(name));
    ask->menu()->close();
    menu->close();
}

} // namespace

class TestPageContextMenu : public AnnotatingViewHarness {
    Q_OBJECT

    std::vector<std::pair<QString, bool>> m_asked;
    QStringList m_extracted;

    void record() {
        m_asked.clear();
        m_extracted.clear();
        m_view->onAskAI = [this](const QString& prompt, bool autoSubmit) {
            m_asked.emplace_back(prompt, autoSubmit);
        };
        m_view->onTextExtracted = [this](const QString& text) { m_extracted.append(text); };
    }

    // Double-clicks the word "alpha" of the fixture's first page.
    void selectAlpha() {
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(78, 704)));
        QCOMPARE(m_view->selectedText(), QStringLiteral("alpha"));
    }

private slots:
    void selectionMenuOffersMarkupsCopyAndEveryPrompt_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<bool>("autoSubmit");
        const QString q = QStringLiteral("“alpha”");
        QTest::newRow("explain") << "Ask AI > Explain This"
                                 << "Explain this: " + q << true;
        QTest::newRow("summarize") << "Ask AI > Summarize Selection"
                                   << "Summarize this: " + q << true;
        QTest::newRow("simplify") << "Ask AI > Simplify / Plain English"
                                  << "Rewrite this in simple, plain English: " + q << true;
        QTest::newRow("key points") << "Ask AI > Extract Key Points"
                                    << "Extract the key points from this as a short bullet list: " + q
                                    << true;
        QTest::newRow("questions") << "Ask AI > Generate Study Questions"
                                   << "Write 3 short study questions based on this: " + q << true;
        QTest::newRow("translate") << QStringLiteral("Ask AI > Translate…")
                                   << "Translate this to <language>: " + q << false;
        QTest::newRow("send") << "Ask AI > Send to AI Assistant"
                              << "alpha" << false;
    }
    void selectionMenuOffersMarkupsCopyAndEveryPrompt() {
        QFETCH(QString, path);
        QFETCH(QString, prompt);
        QFETCH(bool, autoSubmit);
        showDocument(fixtures::makePdf({{fixtures::PageSpec{"alpha beta"}, fixtures::PageSpec{"second"}}}));
        record();
        selectAlpha();
        // A click on another page still gives the selection's menu.
        std::unique_ptr<QMenu> menu(
            m_view->buildContextMenu(1, m_view->convertFromPage(QPointF(300, 300), 1)));
        QCOMPARE(titles(menu.get()),
                 QStringList({"Highlight", "Underline", "Strikethrough", "|", "Copy", "|", "Ask AI"}));
        QCOMPARE(titles(item(menu.get(), "Ask AI")->menu()),
                 QStringList({"Explain This", "Summarize Selection", "Simplify / Plain English",
                              "Extract Key Points", "Generate Study Questions", QStringLiteral("Translate…"),
                              "|", "Send to AI Assistant"}));
        item(menu.get(), path)->trigger();
        QCOMPARE(m_asked.size(), std::size_t(1));
        QCOMPARE(m_asked[0].first, prompt);
        QCOMPARE(m_asked[0].second, autoSubmit);
        if (QTest::currentDataTag() == QLatin1String("explain"))
            keepPicture(menu.get(), QStringLiteral("selection"));
    }

    void copyAndMarkupActOnTheSelection() {
        showDocument(fixtures::makePdf({{fixtures::PageSpec{"alpha beta"}}}));
        record();
        selectAlpha();
        QApplication::clipboard()->setText(QStringLiteral("before"));
        std::unique_ptr<QMenu> menu(m_view->buildContextMenu(0, at(0.5, 0.5)));
        item(menu.get(), "Copy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("alpha"));
        item(menu.get(), "Underline")->trigger();
        QCOMPARE(annotations().size(), std::size_t(1));
        QCOMPARE(annotations()[0].subtype, QStringLiteral("Underline"));
    }

    void pageMenuPlacesNotesAndTextBoxesAndAsksAboutThePage() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"one"}, fixtures::PageSpec{}, fixtures::PageSpec{"   Hello"},
                      fixtures::PageSpec{}};
        showDocument(fixtures::makePdf(spec));
        record();
        // A secondary click on a page opens the menu there.
        QContextMenuEvent click(QContextMenuEvent::Mouse, at(0.5, 0.5),
                                viewport()->mapToGlobal(at(0.5, 0.5)));
        QApplication::sendEvent(viewport(), &click);
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(shown);
        QCOMPARE(titles(shown), QStringList({"Add Note Here", "Add Text Box Here", "|", "Ask AI"}));
        shown->close();

        std::unique_ptr<QMenu> menu(m_view->buildContextMenu(0, at(0.5, 0.5)));
        QCOMPARE(titles(menu.get()), QStringList({"Add Note Here", "Add Text Box Here", "|", "Ask AI"}));
        QCOMPARE(titles(item(menu.get(), "Ask AI")->menu()),
                 QStringList({"Summarize This Page", "Extract Text with AI (OCR)"}));
        item(menu.get(), "Add Note Here")->trigger();
        QVERIFY(m_view->noteTextEditor());
        m_view->cancelNoteEditor();
        item(menu.get(), "Add Text Box Here")->trigger();
        QVERIFY(m_view->inlineTextEditor());
        keepPicture(menu.get(), QStringLiteral("page"));

        m_view->askAIAboutPage(m_doc->page(2));
        m_view->askAIAboutPage(m_doc->page(3));
        QCOMPARE(m_asked.size(), std::size_t(2));
        QCOMPARE(m_asked[0], std::make_pair(QStringLiteral("Summarize page 3: “Hello”"), true));
        QCOMPARE(
            m_asked[1].first,
            QStringLiteral("Page 4 has no extractable text (it may be a scanned image). Let me know that "
                           "directly rather than guessing its content."));
        QVERIFY(m_asked[1].second);
    }

    void recognitionCopiesTheTextOrLeavesTheClipboard() {
        auto pdf = pdf::Document::createEmpty();
        scanned::append(*pdf, {{QStringLiteral("Recognized words go to the clipboard")}});
        showDocument(pdf->save().value());
        auto blank = pdf::Document::open(fixtures::makePdf({{fixtures::PageSpec{}}})).value();
        m_doc->copyPages(*blank, {0}, 1);
        record();
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        m_view->extractTextViaOCR(m_doc->page(1));
        QVERIFY(QTest::qWaitFor([&] { return m_extracted.size() == 1; }, testsupport::longWorkGuardMs));
        QCOMPARE(m_extracted[0], QStringLiteral("No text could be recognized on this page."));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));

        item(std::unique_ptr<QMenu>(m_view->buildContextMenu(0, at(0.5, 0.5))).get(),
             "Ask AI > Extract Text with AI (OCR)")
            ->trigger();
        QVERIFY(QTest::qWaitFor([&] { return m_extracted.size() == 2; }, testsupport::longWorkGuardMs));
        QCOMPARE(m_extracted[1], QStringLiteral("Recognized words go to the clipboard"));
        QCOMPARE(QApplication::clipboard()->text(), m_extracted[1]);
        QVERIFY(!m_undo->canUndo());
    }
};

QTEST_MAIN(TestPageContextMenu)
#include "test_page_context_menu.moc"
