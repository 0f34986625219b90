// The block views of rendered answers, offscreen: what each block becomes, formulas as images at their sizes
// or as their source, height for width, links, answers too big to build at once, and formulas too big to
// typeset on the UI thread.
#include "../../markdown/MarkdownBlockPrinting.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/InlineFormulaObject.h"
#include "ui/markdown/InlineMarkdown.h"
#include "ui/markdown/MarkdownBlockViews.h"
#include "ui/markdown/MarkdownContent.h"
#include "ui/markdown/MarkdownFonts.h"
#include "ui/markdown/MathImageRenderer.h"
#include "ui/markdown/TextBlockView.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextTable>
#include <QThreadPool>
#include <QtTest>

using namespace zepla::ui;

namespace {

// The formula images of a document with their widths, in order.
QList<qreal> imageWidths(const QTextDocument& document) {
    QList<qreal> widths;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().objectType() == InlineFormulaObject::objectType)
                for (int i = 0; i < it.fragment().length(); ++i)
                    widths << InlineFormulaObject::width(it.fragment().charFormat());
    return widths;
}

qreal widthAt(const QString& latex, qreal size) {
    return MathImageRenderer::render(latex, size, Qt::black, 1)->deviceIndependentSize().width();
}

// The content laid out at `width`, as a host would, once its views are made in their slices.
std::unique_ptr<MarkdownContent> content(const QString& text, int width = 400, QColor color = Qt::black) {
    auto view = std::make_unique<MarkdownContent>(text, color);
    view->resize(width, view->heightForWidth(width));
    view->show();
    if (!QTest::qWaitFor([&] { return view->isComplete(); }, testsupport::hangGuardMs))
        qFatal("the answer's views were never made");
    view->resize(width, view->heightForWidth(width));
    return view;
}

// Keeps every thread of the shared pool busy until released, so that work sent to it waits meanwhile.
class PoolHeld {
public:
    PoolHeld() : m_threads(QThreadPool::globalInstance()->maxThreadCount()) {
        for (int thread = 0; thread < m_threads; ++thread) {
            QThreadPool::globalInstance()->start([this] {
                m_started.release();
                m_released.acquire();
            });
        }
        m_started.acquire(m_threads);
    }
    ~PoolHeld() { release(); }
    void release() { m_released.release(std::exchange(m_threads, 0)); }

private:
    int m_threads;
    QSemaphore m_started;
    QSemaphore m_released;
};

// The lowest row of an image that holds a strong pixel of one kind.
int lowestRow(const QImage& image, const std::function<bool(QColor)>& kind) {
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (kind(image.pixelColor(x, y)))
                return y;
    return -1;
}

bool isRed(QColor c) {
    return c.red() > 160 && c.green() < 90 && c.blue() < 90;
}

bool isDark(QColor c) {
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}

QTextDocument* documentOf(QWidget* view) {
    auto* text = qobject_cast<TextBlockView*>(view);
    return text ? text->document() : nullptr;
}

// The formulas of a text, as the splitter finds them.
QStringList formulasOf(const QString& text) {
    QStringList formulas;
    for (const zepla::markdown::MathSegment& segment : zepla::markdown::MathSegmentSplitter::split(text))
        if (segment.kind == zepla::markdown::MathSegment::Kind::math)
            formulas << segment.text.toString();
    return formulas;
}

// The lowest row of an image that holds a pixel of one kind, in the columns from `left` to `right`.
int lowestRowIn(const QImage& image, int left, int right, const std::function<bool(QColor)>& kind) {
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x)
            if (kind(image.pixelColor(x, y)))
                return y;
    return -1;
}

bool isBlue(QColor c) {
    return c.blue() > 160 && c.red() < 110 && c.green() < 110;
}

// The image pixels, whatever the format.
QImage pixels(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The formula images an answer shows now, in order: equation images and the images inline in its texts.
QList<QImage> shownFormulas(const MarkdownContent& content) {
    QList<QImage> images;
    for (QWidget* view : content.blockViews()) {
        if (QTextDocument* document = documentOf(view)) {
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it)
                    if (const QImage image =
                            InlineFormulaObject::image(*document, it.fragment().charFormat());
                        !image.isNull())
                        images << pixels(image);
        } else if (auto* label = view->findChild<QLabel*>()) {
            images << pixels(label->pixmap().toImage());
        }
    }
    return images;
}

bool showsPlaceholder(const MarkdownContent& content, qreal size) {
    const QImage placeholder =
        pixels(MathImageRenderer::placeholder(size, Qt::black, content.devicePixelRatioF()));
    for (const QImage& image : shownFormulas(content))
        if (image.size() == placeholder.size() && image == placeholder)
            return true;
    return false;
}

// About `bytes` of one formula: a long sum of fractions with scripts.
QString largeFormula(qsizetype bytes) {
    QString latex;
    for (int k = 1; latex.size() < bytes; ++k)
        latex += QStringLiteral("\\frac{x_{%1}^{2}}{%1!}+").arg(k);
    return latex + 'x';
}

} // namespace

class TestMarkdownViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qApp->setAttribute(Qt::AA_Use96Dpi); }

    void anEmptyAnswerHasNoViews() {
        QCOMPARE(content(QString())->blockViews().size(), 0);
        QCOMPARE(content(QStringLiteral(" \n\n  "))->blockViews().size(), 0);
        QCOMPARE(content(QString())->heightForWidth(300), 0);
    }

    void aSoleFormulaIsCentredAtTwentyTwoAndInlineAtSeventeenBesideText() {
        auto sole = content(QStringLiteral("\n$$x^2+1$$\n"));
        QCOMPARE(sole->blockViews().size(), 1);
        auto* label = sole->blockViews().front()->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->pixmap().deviceIndependentSize().width(), widthAt(QStringLiteral("x^2+1"), 22));
        QCOMPARE(label->width(), 400);
        QCOMPARE(label->height(), label->pixmap().deviceIndependentSize().height() + 8);

        auto inText = content(QStringLiteral("$$x^2+1$$ is positive, and so is $y^2$"));
        QTextDocument* document = documentOf(inText->blockViews().front());
        QVERIFY(document);
        QCOMPARE(imageWidths(*document),
                 (QList<qreal>{widthAt(QStringLiteral("x^2+1"), 17), widthAt(QStringLiteral("y^2"), 15)}));
        QVERIFY(document->toPlainText().contains(QStringLiteral(" is positive, and so is ")));
    }

    // An inline formula stands on the text's baseline as a word does: the lowest ink of a formula without
    // descenders on the lowest ink of the words around it, and the line no taller than one of words.
    void inlineFormulasStandOnTheBaseline_data() {
        QTest::addColumn<QString>("latex");
        QTest::newRow("a letter") << "P";
        QTest::newRow("a sum") << "a+b=c";
        QTest::newRow("a power") << "N^2";
        QTest::newRow("a hat") << "\\hat{x}^2";
        QTest::newRow("a display formula in the text") << "$x=1$";
    }
    void inlineFormulasStandOnTheBaseline() {
        QFETCH(QString, latex);
        const QString text = QStringLiteral("Ham $%1$ Ham").arg(latex);
        auto view = content(text, 400, Qt::red);
        const QImage image = view->grab().toImage();
        const int formulaBottom = lowestRow(image, isRed);
        const int textBottom = lowestRow(image, isDark);
        QVERIFY(formulaBottom > 0 && textBottom > 0);
        QVERIFY2(
            std::abs(formulaBottom - textBottom) <= 1,
            qPrintable(
                QStringLiteral("formula ink ends at %1, text at %2").arg(formulaBottom).arg(textBottom)));
        QVERIFY(view->heightForWidth(400) <= content(QStringLiteral("Ham Ham Ham"))->heightForWidth(400) + 1);
    }

    // The baseline of a formula lies on the text's at every pixel ratio, whatever the formula reaches above
    // or below it: the formula begins with a blue x, whose lowest ink is the formula's baseline, beside a
    // black H standing on the text's.
    void inlineFormulasKeepTheTextBaseline_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<qreal>("ratio");
        const QStringList formulas{
            "x", "y", "x_1", "x^2", "\\frac{a}{b}", "\\lambda_1 = 3", "(x)", "x_{N}^2", "\\sum_{i=1}^n y_i",
            "g"};
        for (const qreal ratio : {1.0, 1.25, 1.5, 2.0})
            for (const QString& formula : formulas)
                QTest::addRow("%s at %g", qPrintable(formula), ratio) << formula << ratio;
    }
    void inlineFormulasKeepTheTextBaseline() {
        QFETCH(QString, latex);
        QFETCH(qreal, ratio);
        const QString text = QStringLiteral("H $\\color{#0000ff}{x}\\,%1$ H").arg(latex);
        const MarkdownBlockViews::Style style{Qt::red, ratio};
        std::unique_ptr<QWidget> view(
            MarkdownBlockViews::blockView(zepla::markdown::MarkdownBlock::paragraph(text), style));
        view->resize(400, view->heightForWidth(400));
        QImage image(view->size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        view->render(&image);
        const int h = QFontMetrics(MarkdownFonts::body()).horizontalAdvance('H');
        const int textBaseline = lowestRowIn(image, 0, int(h * ratio), isDark);
        const int formulaBaseline = lowestRowIn(image, 0, image.width(), isBlue);
        QVERIFY(textBaseline > 0 && formulaBaseline > 0);
        QVERIFY2(std::abs(formulaBaseline - textBaseline) <= 1,
                 qPrintable(QStringLiteral("formula baseline at row %1, text at %2")
                                .arg(formulaBaseline)
                                .arg(textBaseline)));
    }

    // A line holding a formula no taller and no deeper than its words is as tall as a line of words.
    void smallFormulasLeaveTheLineHeight_data() {
        QTest::addColumn<QString>("latex");
        QTest::newRow("x") << "x";
        QTest::newRow("y") << "y";
        QTest::newRow("x_1") << "x_1";
    }
    void smallFormulasLeaveTheLineHeight() {
        QFETCH(QString, latex);
        QCOMPARE(content(QStringLiteral("Ham $%1$ Ham").arg(latex))->heightForWidth(400),
                 content(QStringLiteral("Ham Ham Ham"))->heightForWidth(400));
    }

    // Long text is cut into pieces between formulas, never inside one, so that the pieces together hold
    // the formulas of the whole; a formula longer than a piece is a piece of its own.
    void piecesKeepEveryFormulaWhole_data() {
        QTest::addColumn<QString>("text");
        QString pairs;
        for (int n = 0; pairs.size() < 20 * 1024; ++n)
            pairs += QStringLiteral("word $x_{%1}^2$ ").arg(n);
        QTest::newRow("20 KB of word-formula pairs") << pairs;
        QString lines;
        for (int n = 0; lines.size() < 40 * 1024; ++n)
            lines += QStringLiteral("line %1 with \\(a_%1\\) and $$b_%1$$\n").arg(n);
        QTest::newRow("lines with every delimiter") << lines;
        const QString matrix =
            "$\\begin{pmatrix}" + QStringLiteral("1 & 2 \\\\ ").repeated(4000) + "\\end{pmatrix}$";
        QTest::newRow("a 40 KB formula among words") << "before " + matrix + " after $y$";
        QTest::newRow("prices and a late formula") << QStringLiteral("costs 5$ ").repeated(3000) +
                                                          "$$ unclosed " +
                                                          QStringLiteral("a b ").repeated(3000);
    }
    void piecesKeepEveryFormulaWhole() {
        QFETCH(QString, text);
        const QList<zepla::markdown::MarkdownBlock> pieces =
            splitIntoPieces(zepla::markdown::MarkdownBlock::paragraph(text), MarkdownContent::pieceLimits);
        QVERIFY(pieces.size() > 1);
        QStringList formulas;
        for (const zepla::markdown::MarkdownBlock& piece : pieces) {
            const QStringList own = formulasOf(piece.text);
            QVERIFY2(piece.text.size() <= MarkdownContent::pieceCharacters ||
                         (own.size() == 1 && own.front().size() + 2 >= piece.text.size()),
                     qPrintable(piece.text.left(60)));
            QVERIFY(own.size() <= MarkdownContent::pieceFormulas);
            formulas += own;
        }
        QCOMPARE(formulas, formulasOf(text));
    }

    // A long paragraph shows every formula typeset down to its last line, none as its source.
    void aLongParagraphIsTypesetToItsEnd() {
        QString text;
        for (int n = 0; text.size() < 20 * 1024; ++n)
            text += QStringLiteral("word $x_{%1}^2$ ").arg(n);
        QScrollArea area;
        area.setWidgetResizable(true);
        area.resize(420, 600);
        auto* view = new MarkdownContent(text, Qt::black);
        area.setWidget(view);
        area.show();
        QTRY_VERIFY_WITH_TIMEOUT(view->isComplete(), 60000);
        area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
        const auto lastDocument = [&]() -> QTextDocument* {
            const QList<QWidget*> views = view->blockViews();
            return views.isEmpty() ? nullptr : documentOf(views.back());
        };
        const QString formulaEnd = QStringLiteral("word ") + QChar(QChar::ObjectReplacementCharacter);
        QTRY_VERIFY(lastDocument() && lastDocument()->toPlainText().endsWith(formulaEnd));
        const QString shown = lastDocument()->toPlainText();
        QVERIFY2(!shown.contains('$') && !shown.contains(QStringLiteral("x_{")), qPrintable(shown.right(80)));
        QCOMPARE(imageWidths(*lastDocument()).size(), shown.count(QChar(QChar::ObjectReplacementCharacter)));
    }

    void formulasThatDoNotParseShowTheirSource() {
        auto equation = content(QStringLiteral("$$\\frac{1}{$$"));
        QTextDocument* document = documentOf(equation->blockViews().front());
        QVERIFY(document);
        QCOMPARE(document->toPlainText(), QStringLiteral("\\frac{1}{"));
        const QFontMetricsF metrics(document->defaultFont());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('M'));
        QCOMPARE(document->begin().blockFormat().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

        auto inText = content(QStringLiteral("bad \\(\\frac{1}{\\) here"));
        QCOMPARE(documentOf(inText->blockViews().front())->toPlainText(),
                 QStringLiteral("bad \\frac{1}{ here"));
    }

    void emphasisAroundAFormulaStaysLiteral() {
        auto view = content(QStringLiteral("*$x$* and **bold**"));
        QTextDocument* document = documentOf(view->blockViews().front());
        QVERIFY(document->toPlainText().startsWith('*'));
        QCOMPARE(imageWidths(*document).size(), 1);
        QVERIFY(document->find(QStringLiteral("bold")).charFormat().fontWeight() == QFont::Bold);
    }

    void numberedListsCountFromOne() {
        auto view = content(QStringLiteral("4. four\n5. five\n6. six\n\n- a\n* b"));
        QCOMPARE(view->blockViews().size(), 2);
        const QStringList numbered = documentOf(view->blockViews()[0])->toPlainText().split('\n');
        QCOMPARE(numbered, (QStringList{"1.\tfour", "2.\tfive", "3.\tsix"}));
        const QStringList bullets = documentOf(view->blockViews()[1])->toPlainText().split('\n');
        QCOMPARE(bullets, (QStringList{"•\ta", "•\tb"}));
    }

    void raggedTablesTakeTheirLongestRow() {
        auto view = content(QStringLiteral("| A | B |\n|---|---|\n| 1 | 2 | 3 |\n| 4 |"));
        QTextDocument* document = documentOf(view->blockViews().front());
        QTextTable* table = QTextCursor(document).currentTable();
        if (!table)
            table = qobject_cast<QTextTable*>(document->rootFrame()->childFrames().value(0));
        QVERIFY(table);
        QCOMPARE(table->columns(), 3);
        QCOMPARE(table->rows(), 3);
        QCOMPARE(table->cellAt(0, 1).firstCursorPosition().block().text(), QStringLiteral("B"));
        QCOMPARE(table->cellAt(0, 2).firstCursorPosition().block().text(), QString());
        QCOMPARE(table->cellAt(1, 2).firstCursorPosition().block().text(), QStringLiteral("3"));
        QCOMPARE(table->cellAt(2, 1).firstCursorPosition().block().text(), QString());
        QVERIFY(table->cellAt(0, 0).firstCursorPosition().charFormat().fontWeight() > QFont::Normal);
    }

    void codeKeepsItsTextAsWritten() {
        const QString code = QStringLiteral("price = $5 + $6\n\n  *not* emphasis  ");
        auto view = content("```sh\n" + code + "\n```");
        QTextDocument* document = documentOf(view->blockViews().front());
        QCOMPARE(document->toPlainText().replace(QChar::LineSeparator, '\n'), code);
        QVERIFY(imageWidths(*document).isEmpty());
    }

    // A wrapped line of code goes on under its own first character.
    void wrappedCodeKeepsItsIndentation() {
        const QString line = QStringLiteral("    return first_argument + second_argument + third_argument");
        auto view = content("```\ndef f():\n" + line + "\n```", 240);
        QTextDocument* document = documentOf(view->blockViews().front());
        const QTextBlock block = document->findBlockByNumber(1);
        QCOMPARE(block.text(), line);
        const QTextLayout* layout = block.layout();
        QVERIFY(layout->lineCount() > 1);
        const qreal indent = QFontMetricsF(MarkdownFonts::code()).horizontalAdvance(QStringLiteral("    "));
        QCOMPARE(layout->lineAt(0).x(), 0.0);
        for (int index = 1; index < layout->lineCount(); ++index)
            QCOMPARE(layout->lineAt(index).x(), indent);
    }

    // A display equation wider than the answer scrolls sideways, its height making room for the bar; a
    // narrow one is centred without a bar.
    void wideEquationsScrollSideways() {
        QString terms;
        for (int term = 1; term <= 30; ++term)
            terms += QStringLiteral("+x_{%1}").arg(term);
        auto wide = content("$$" + terms + "$$", 300);
        auto* area = qobject_cast<QScrollArea*>(wide->blockViews().front());
        QVERIFY(area);
        QVERIFY(area->horizontalScrollBar()->isVisible());
        QVERIFY(area->horizontalScrollBar()->maximum() > 0);
        const int equation = area->widget()->sizeHint().height();
        QCOMPARE(area->height(), equation + area->horizontalScrollBar()->sizeHint().height());
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        QCOMPARE(area->widget()->mapTo(area->viewport(), QPoint(area->widget()->width(), 0)).x(),
                 area->viewport()->width());

        auto narrow = content(QStringLiteral("$$x+1$$"), 300);
        auto* small = qobject_cast<QScrollArea*>(narrow->blockViews().front());
        QVERIFY(small && !small->horizontalScrollBar()->isVisible());
        QCOMPARE(small->height(), small->widget()->sizeHint().height());
    }

    // An inline formula wider than the answer scrolls sideways with its text, as a display formula does;
    // text that wraps has no bar.
    void wideInlineFormulasScrollSideways() {
        QString terms;
        for (int term = 1; term <= 30; ++term)
            terms += QStringLiteral("+x_{%1}").arg(term);
        auto wide = content("so $" + terms + "$ holds", 300);
        auto* text = qobject_cast<TextBlockView*>(wide->blockViews().front());
        QVERIFY(text);
        auto* bar = text->findChild<QScrollBar*>();
        QVERIFY(bar && bar->isVisible());
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(text->height(),
                 int(std::ceil(text->document()->size().height())) + bar->sizeHint().height());
        const QImage start = text->grab().toImage();
        bar->setValue(bar->maximum());
        QVERIFY(text->grab().toImage() != start);

        auto narrow =
            content(QStringLiteral("so $x+1$ holds, and a sentence long enough to wrap at this width"), 300);
        QVERIFY(!narrow->blockViews().front()->findChild<QScrollBar*>()->isVisible());
    }

    void theHeightFollowsTheWidth() {
        auto view =
            content(QStringLiteral("# Title\n\nA paragraph long enough to wrap onto several lines when the "
                                   "width gets small, with $x^2$ inside.\n\n> quoted"));
        const int wide = view->heightForWidth(600);
        const int narrow = view->heightForWidth(150);
        QVERIFY(narrow > wide);
        view->resize(150, narrow);
        QCOMPARE(view->blockViews().last()->geometry().bottom() + 1, narrow);
        QCOMPARE(view->blockViews().first()->width(), 150);
    }

    void onlyWebAndMailLinksOpen_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https") << "https://a.example" << true;
        QTest::newRow("http") << "HTTP://a.example" << true;
        QTest::newRow("mail") << "mailto:me@example.com" << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("script") << "javascript:alert(1)" << false;
        QTest::newRow("relative") << "page.html" << false;
    }
    void onlyWebAndMailLinksOpen() {
        QFETCH(QString, address);
        QFETCH(bool, opens);
        QCOMPARE(isOpenableLink(QUrl(address)), opens);
    }

    void clickingALinkReportsIt() {
        auto view = content(QStringLiteral("[ftp site](ftp://files.example/x) after"));
        auto* text = qobject_cast<TextBlockView*>(view->blockViews().front());
        QSignalSpy activated(text, &TextBlockView::linkActivated);
        view->show();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(10, text->height() / 2));
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.front().front().toString(), QStringLiteral("ftp://files.example/x"));
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 2, text->height() / 2));
        QCOMPARE(activated.size(), 1);
    }

    // A formula too large to typeset within a slice shows a placeholder of its kind, inline in its text or
    // as an equation, until its image comes from a worker thread; then it shows the image any answer shows
    // for it. Smaller formulas beside it are typeset at once.
    void largeFormulasShowAPlaceholderUntilTypeset_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("latex");
        QTest::addColumn<qreal>("size");
        const QString latex = largeFormula(MathImageRenderer::backgroundCharacters);
        QTest::newRow("inline") << "So $y^2$ and $" + latex + "$ hold." << latex
                                << InlineMarkdown::inlineFormulaSize;
        QTest::newRow("display in text")
            << "So $y^2$ and $$" + latex + "$$ hold." << latex << InlineMarkdown::displayFormulaSize;
        QTest::newRow("equation") << "So $y^2$ holds.\n\n$$" + latex + "$$" << latex
                                  << MarkdownBlockViews::equationSize;
    }
    void largeFormulasShowAPlaceholderUntilTypeset() {
        QFETCH(QString, answer);
        QFETCH(QString, latex);
        QFETCH(qreal, size);
        MathImageRenderer::removeAllObjects();
        QVERIFY(MathImageRenderer::typesetsInBackground(latex));
        QVERIFY(!MathImageRenderer::typesetsInBackground(QStringLiteral("y^2")));
        // The worker threads wait until the placeholder is seen, however fast they would be.
        PoolHeld held;
        auto view = std::make_unique<MarkdownContent>(answer, Qt::black);
        view->resize(400, view->heightForWidth(400));
        view->show();
        const qreal ratio = view->devicePixelRatioF();
        const QImage small = pixels(*MathImageRenderer::render(QStringLiteral("y^2"), 15, Qt::black, ratio));
        QTRY_VERIFY(showsPlaceholder(*view, size));
        QVERIFY(!view->isComplete());
        QVERIFY(shownFormulas(*view).contains(small));

        QSignalSpy completed(view.get(), &MarkdownContent::completed);
        held.release();
        QVERIFY(completed.wait(60000));
        QVERIFY(view->isComplete());
        QVERIFY(!showsPlaceholder(*view, size));
        const QImage typeset = pixels(*MathImageRenderer::renderUncached(latex, size, Qt::black, ratio));
        QCOMPARE(shownFormulas(*view), (QList<QImage>{small, typeset}));
        QCOMPARE(view->heightForWidth(400), view->blockViews().back()->geometry().bottom() + 1);
    }

    // A megabyte formula is parsed, laid out and drawn on a worker thread: the event loop keeps turning
    // while the answer shows its placeholder, and the formula then shows typeset.
    void aMegabyteFormulaLeavesTheEventLoopTurning() {
        const QString latex = largeFormula(1 << 20);
        // Wider than any canvas, it is cut, on the worker and here.
        for (int drawing = 0; drawing < 2; ++drawing)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^A formula of .* is cut to"));
        QScrollArea area;
        area.setWidgetResizable(true);
        area.resize(420, 600);
        auto* view = new MarkdownContent("$$" + latex + "$$", Qt::black);
        area.setWidget(view);
        area.show();
        int turnsWhileTypesetting = 0;
        QTimer beat;
        beat.setInterval(0);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            if (!view->isComplete() && showsPlaceholder(*view, MarkdownBlockViews::equationSize))
                ++turnsWhileTypesetting;
        });
        beat.start();
        QTRY_VERIFY_WITH_TIMEOUT(view->isComplete(), 120000);
        beat.stop();
        QVERIFY(turnsWhileTypesetting > 0);
        const auto typeset = MathImageRenderer::renderUncached(latex, MarkdownBlockViews::equationSize,
                                                               Qt::black, view->devicePixelRatioF());
        QCOMPARE(shownFormulas(*view), QList<QImage>{pixels(*typeset)});
    }

    void hugeAnswersAreMeasuredInSlicesAndBounded_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("100,000 list items")
            << QStringLiteral("- item with $x_1$ and *style*\n").repeated(100000);
        QTest::newRow("a megabyte of prose")
            << QStringLiteral("## Part\n\nSome text with $a+b$ and **bold** words in it.\n\n")
                   .repeated(16000);
        QTest::newRow("10,000-cell row") << "|" + QStringLiteral(" cell |").repeated(10000) + "\n|" +
                                                QStringLiteral("---|").repeated(10000) + "\n|" +
                                                QStringLiteral(" v |").repeated(10000);
        QString formulas;
        for (int i = 0; i < 1000; ++i)
            formulas += QStringLiteral("Term $x_{%1}^2$ then $y_{%1}$.\n\n").arg(i);
        QTest::newRow("2,000 inline formulas") << formulas;
        QString paragraph;
        for (int i = 0; i < 2500; ++i)
            paragraph += QStringLiteral("so $z_{%1}$ ").arg(i);
        QTest::newRow("2,500 inline formulas in one paragraph") << paragraph;
    }
    void hugeAnswersAreMeasuredInSlicesAndBounded() {
        QFETCH(QString, answer);
        QScrollArea area;
        area.setWidgetResizable(true);
        area.resize(420, 600);
        QElapsedTimer building;
        building.start();
        auto* view = new MarkdownContent(answer, Qt::black);
        const qint64 firstTurn = building.elapsed();
        // The answer is measured in slices between turns of the event loop, never all at once.
        QVERIFY(!view->isComplete());
        area.setWidget(view);
        area.show();

        // The longest time the event loop was held while the answer was measured.
        qint64 longest = 0;
        int beats = 0;
        QElapsedTimer gap;
        gap.start();
        QTimer beat;
        beat.setInterval(0);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longest = std::max(longest, gap.restart());
            ++beats;
        });
        beat.start();
        QTRY_VERIFY_WITH_TIMEOUT(view->isComplete(), 120000);
        beat.stop();
        qInfo("%lld pieces, first turn %lld ms, longest stall %lld ms",
              static_cast<long long>(view->pieceCount()), static_cast<long long>(firstTurn),
              static_cast<long long>(longest));
        // How long each turn takes is the benchmarks' business (bench_markdownviews, bench_assistantpanel):
        // here, only that other work ran between the slices.
        QVERIFY(beats > 1);
        QVERIFY(view->blockViews().size() < 100);

        // Scrolled to the middle, the part on screen gets its views, wherever in the answer it lies.
        area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum() / 2);
        const QRect onScreen(0, area.verticalScrollBar()->value(), view->width(), area.viewport()->height());
        const auto coversScreen = [&] {
            const QList<QWidget*> views = view->blockViews();
            return std::any_of(views.begin(), views.end(),
                               [&](QWidget* block) { return block->geometry().intersects(onScreen); });
        };
        QTRY_VERIFY(coversScreen());
        QVERIFY(view->blockViews().front()->y() > 0);
    }

    // A small answer keeps all its views, but makes none while it is built or laid out: they are made
    // piece by piece in slices between turns of the event loop, so that an answer holds no turn however
    // slow its first views are (the first of a window loads the fonts).
    void aSmallAnswerMakesItsViewsBetweenTurns() {
        QString answer;
        for (int index = 0; index < 250; ++index)
            answer += (index % 3 ? QStringLiteral("Paragraph %1 in words.\n\n")
                                 : QStringLiteral("Paragraph %1 with $x_{%1}$ in it.\n\n"))
                          .arg(index);
        auto view = std::make_unique<MarkdownContent>(answer, Qt::black);
        QCOMPARE(view->pieceCount(), 250);
        view->resize(400, view->heightForWidth(400));
        view->show();
        QVERIFY(view->blockViews().isEmpty());
        QVERIFY(!view->isComplete());
        int beats = 0;
        QTimer beat;
        beat.setInterval(0);
        QObject::connect(&beat, &QTimer::timeout, [&] { ++beats; });
        beat.start();
        QSignalSpy completed(view.get(), &MarkdownContent::completed);
        QTRY_VERIFY(view->isComplete());
        QVERIFY(beats > 1);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(view->blockViews().size(), view->pieceCount());
        view->resize(400, view->heightForWidth(400));
        QCOMPARE(view->blockViews().last()->geometry().bottom() + 1, view->height());
    }

    // Every piece of a block stays within the limits that let its view be made in one slice, unless it is
    // a single item, row or formula longer than them, and the pieces of a list or table hold all of it, in
    // order.
    void piecesStayWithinTheirLimits_data() {
        using zepla::markdown::MarkdownBlock;
        QTest::addColumn<MarkdownBlock>("block");
        const auto items = [](int count, int length) {
            QStringList list;
            for (int index = 0; index < count; ++index)
                list << QStringLiteral("item %1 ").arg(index).leftJustified(length, 'w');
            return list;
        };
        const auto rows = [](int count, int columns) {
            QList<QStringList> table;
            for (int row = 0; row < count; ++row) {
                QStringList cells;
                for (int column = 0; column < columns; ++column)
                    cells << QStringLiteral("r%1c%2").arg(row).arg(column);
                table << cells;
            }
            return table;
        };
        const auto header = [](int columns) {
            QStringList cells;
            for (int column = 0; column < columns; ++column)
                cells << QStringLiteral("h%1").arg(column);
            return cells;
        };
        QTest::newRow("1,000 short items") << MarkdownBlock::bulletList(items(1000, 20));
        QTest::newRow("long items") << MarkdownBlock::numberedList(items(12, 3000));
        QTest::newRow("an item longer than a piece") << MarkdownBlock::bulletList(items(3, 9000));
        QTest::newRow("200 rows of 8") << MarkdownBlock::table(header(8), rows(200, 8));
        QTest::newRow("100 rows of 50") << MarkdownBlock::table(header(50), rows(100, 50));
        QTest::newRow("a row of 10,000") << MarkdownBlock::table(header(10000), rows(1, 10000));
        QTest::newRow("rows of long cells")
            << MarkdownBlock::table(header(2), QList<QStringList>(40, {QString(3000, 'a'), "b"}));
        QTest::newRow("20 KB of code") << MarkdownBlock::codeBlock(QStringLiteral("x = 1;\n").repeated(3000));
        QTest::newRow("20 KB of prose")
            << MarkdownBlock::paragraph(QStringLiteral("some words ").repeated(2000));
    }
    void piecesStayWithinTheirLimits() {
        using zepla::markdown::MarkdownBlock;
        QFETCH(MarkdownBlock, block);
        const PieceLimits limits = MarkdownContent::pieceLimits;
        const QList<MarkdownBlock> pieces = splitIntoPieces(block, limits);
        qsizetype columns = block.header.size();
        for (const QStringList& row : block.rows)
            columns = std::max(columns, row.size());
        QStringList items;
        QStringList header;
        QList<QStringList> rows;
        // A table's pieces go through its rows in runs, each run through the columns in groups.
        qsizetype runStart = 0;
        qsizetype columnsInRun = 0;
        for (const MarkdownBlock& piece : pieces) {
            QCOMPARE(piece.kind, block.kind);
            qsizetype characters = piece.text.size();
            qsizetype widest = 0;
            for (const QString& item : piece.items)
                characters += item.size();
            for (const QStringList& row : piece.rows) {
                widest = std::max(widest, row.size());
                for (const QString& cell : row)
                    characters += cell.size();
            }
            const qsizetype entries = piece.items.size() + piece.rows.size();
            QVERIFY2(characters <= limits.characters || entries == 1,
                     qPrintable(QStringLiteral("%1 characters in %2 entries").arg(characters).arg(entries)));
            QVERIFY(piece.items.size() <= limits.items);
            QVERIFY(widest <= limits.items && piece.header.size() <= limits.items);
            QVERIFY(piece.rows.size() * widest <= limits.cells || piece.rows.size() == 1);
            items += piece.items;
            if (block.kind != MarkdownBlock::Kind::table)
                continue;
            if (columnsInRun == 0) {
                runStart = rows.size();
                rows += QList<QStringList>(piece.rows.size());
            }
            QCOMPARE(runStart + piece.rows.size(), rows.size());
            for (qsizetype row = 0; row < piece.rows.size(); ++row)
                rows[runStart + row] += piece.rows[row];
            header += piece.header;
            columnsInRun += limits.items;
            if (columnsInRun >= columns)
                columnsInRun = 0;
        }
        QCOMPARE(items, block.items);
        QCOMPARE(rows, block.rows);
        QCOMPARE(header, block.header);
    }
};

QTEST_MAIN(TestMarkdownViews)
#include "test_markdown_views.moc"
