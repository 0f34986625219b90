// Prints, for five hard conversations in an assistant panel 420 points wide (500 turns, one answer of 1 MB,
// one answer with 2,000 formulas, one paragraph of 2,500 formulas, one answer holding a formula of 1 MB
// typeset on a worker thread), the longest stall of the event loop while
// the turns are added and while the conversation is scrolled through from end to start and back a frame at a
// time (at most 250 frames each way), first with the formula images still to draw and then with them cached,
// beside the frame budget of 16 ms; and the memory and the number of live widgets afterwards. "Busy" is the
// most processor time the UI thread spent within one gap, which tells work from waiting for a core on a
// loaded machine; the busiest event says what that work was.
#include "../support/ResidentMemory.h"
#include "../support/StallProbe.h"
#include "../support/TimedApplication.h"
#include "SampleAnswers.h"
#include "assistant/AssistantViewModel.h"
#include "corpus/LargeFormula.h"
#include "support/ScriptedProvider.h"
#include "support/TestHome.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/markdown/MarkdownContent.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>

using namespace zepla;

namespace {

constexpr double frameMs = 16.0;

// Runs the event loop for one frame.
void frame() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < frameMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

bool answersMeasured(const ui::AssistantConversation& conversation) {
    for (const ui::MarkdownContent* answer : conversation.findChildren<ui::MarkdownContent*>())
        if (!answer->isComplete())
            return false;
    return true;
}

// Runs the event loop until every answer shown is read and measured and the conversation's height has
// stayed the same for ten frames.
void settle(ui::AssistantConversation& conversation) {
    int unchanged = 0;
    int height = -1;
    while (unchanged < 10 || !answersMeasured(conversation)) {
        frame();
        const int now = conversation.verticalScrollBar()->maximum();
        unchanged = now == height ? unchanged + 1 : 0;
        height = now;
    }
}

// Scrolls from the end to the start and back, 120 points a frame, or in 250 frames each way when that is
// not enough.
void scrollThrough(ui::AssistantConversation& conversation) {
    QScrollBar* bar = conversation.verticalScrollBar();
    const int step = std::max(120, bar->maximum() / 250);
    for (int value = bar->maximum(); value > 0; value -= step) {
        bar->setValue(value);
        frame();
    }
    for (int value = 0; value < bar->maximum(); value += step) {
        bar->setValue(value);
        frame();
    }
}

TimedApplication& timedApp() {
    return *static_cast<TimedApplication*>(QCoreApplication::instance());
}

// Starts timing the event loop's turns and its events.
void start(StallProbe& probe) {
    timedApp().reset();
    probe.start();
}

void report(const char* what, const StallProbe::Figures& figures) {
    std::printf("  %-34s longest %6.1f ms (%5.1f ms busy)   99th %5.1f ms   frames over %2.0f ms: %d\n", what,
                figures.longestMs, figures.longestBusyMs, figures.p99Ms, frameMs, figures.overFrame);
    const TimedApplication::Heaviest& heaviest = timedApp().heaviest();
    std::printf("    busiest event %.1f ms: %s; within it %.1f ms: %s\n", heaviest.ms,
                qPrintable(heaviest.what), heaviest.innerMs,
                heaviest.inner.isEmpty() ? "-" : qPrintable(heaviest.inner));
}

QString question(int index) {
    return QStringLiteral("Question %1: what does the next part say?").arg(index);
}

// About 600 characters: prose with formulas, a list and a display formula.
QString shortAnswer(int index) {
    return QStringLiteral("Part %1 shows that $a_{%1} = \\frac{1}{%1^2}$ converges, because\n\n"
                          "- each term is **positive** and\n- the sum of $\\frac{1}{n^2}$ is bounded by "
                          "$\\frac{\\pi^2}{6}$.\n\n$$\\sum_{n=1}^{\\infty} \\frac{1}{n^2} = "
                          "\\frac{\\pi^2}{6}$$\n\nSo the series of part %1 has a finite value, and the "
                          "remainder after $N$ terms is at most $\\frac{1}{N}$.")
        .arg(index);
}

// 2,000 inline formulas among short sentences; 100 different ones, so that the cache can hold them all.
QString formulaAnswer() {
    QString text;
    for (int index = 0; index < 2000; ++index) {
        text +=
            QStringLiteral("Step %1 gives $x_{%2} = \\sqrt{%2 + y^2}$ here. ").arg(index).arg(index % 100);
        if (index % 10 == 9)
            text += QStringLiteral("\n\n");
    }
    return text;
}

// One paragraph of 2,500 inline formulas, all different, on one line.
QString formulaParagraph() {
    QString text;
    for (int index = 0; index < 2500; ++index)
        text += QStringLiteral("so $z_{%1}^2$ ").arg(index);
    return text;
}

struct Bench {
    ai::test::TestHome home;
    QTemporaryDir dir;
    std::shared_ptr<ai::AssistantViewModel> model = std::make_shared<ai::AssistantViewModel>(
        ai::AssistantSource::textOnly({dir.filePath("Bench.txt"), QStringLiteral("text")}),
        std::make_shared<ai::test::ScriptedProvider>());
    ui::AssistantPanel panel{model, {}, {}};

    Bench() {
        panel.resize(420, 800);
        panel.show();
        frame();
    }

    // Loads the fonts and the formula machinery once, outside the figures.
    static void warmUp() {
        Bench bench;
        bench.add(ai::AssistantTurn::Role::user, question(0));
        bench.add(ai::AssistantTurn::Role::assistant,
                  shortAnswer(0) + "\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n```\ncode\n```");
        settle(*bench.panel.conversation());
    }

    void add(ai::AssistantTurn::Role role, const QString& text) {
        model->appendTurn({QUuid::createUuid(), role, text});
    }

    void finish(const char* name) {
        ui::AssistantConversation& conversation = *panel.conversation();
        StallProbe probe;
        start(probe);
        scrollThrough(conversation);
        report("scrolling, formulas being drawn", probe.stop(frameMs));
        std::printf("  (%d points scrolled in all, %d at most a frame)\n",
                    2 * conversation.verticalScrollBar()->maximum(),
                    std::max(120, conversation.verticalScrollBar()->maximum() / 250));
        start(probe);
        scrollThrough(conversation);
        report("scrolling, formulas cached", probe.stop(frameMs));
        std::printf("  afterwards: %.0f MB resident, %lld of %lld turns with views, %lld widgets in the "
                    "panel (%s)\n",
                    residentMegabytes(), static_cast<long long>(conversation.liveTurnViews().size()),
                    static_cast<long long>(conversation.turnCount()),
                    static_cast<long long>(panel.findChildren<QWidget*>().size()), name);
    }
};

void manyTurns() {
    std::printf("\n500 turns, one added each frame (%.0f MB resident before)\n", residentMegabytes());
    Bench bench;
    StallProbe probe;
    start(probe);
    for (int index = 0; index < 250; ++index) {
        bench.add(ai::AssistantTurn::Role::user, question(index));
        frame();
        bench.add(ai::AssistantTurn::Role::assistant, shortAnswer(index));
        frame();
    }
    report("adding the turns", probe.stop(frameMs));
    settle(*bench.panel.conversation());
    bench.finish("500 turns");
}

void oneBigAnswer(const char* title, const QString& answer) {
    std::printf("\n%s, %lld characters (%.0f MB resident before)\n", title,
                static_cast<long long>(answer.size()), residentMegabytes());
    Bench bench;
    bench.add(ai::AssistantTurn::Role::user, question(1));
    frame();
    StallProbe probe;
    start(probe);
    bench.add(ai::AssistantTurn::Role::assistant, answer);
    settle(*bench.panel.conversation());
    report("adding the answer until laid out", probe.stop(frameMs));
    bench.finish(title);
}

} // namespace

int main(int argc, char** argv) {
    TimedApplication app(argc, argv);
    // Cases to run, by name ("turns", "big", "formulas", "paragraph", "formula"); all without arguments.
    const QStringList wanted = app.arguments().mid(1);
    const auto runs = [&](const char* name) { return wanted.isEmpty() || wanted.contains(name); };
    QFile load("/proc/loadavg");
    load.open(QIODevice::ReadOnly);
    std::printf("Assistant panel 420 x 800, offscreen; a frame is %.0f ms; load average %s of %d cores.\n",
                frameMs, load.readAll().split(' ').first().constData(), QThread::idealThreadCount());
    Bench::warmUp();
    if (runs("turns"))
        manyTurns();
    if (runs("big"))
        oneBigAnswer("one answer of 1 MB", mixedAnswer(1'000'000));
    if (runs("formulas"))
        oneBigAnswer("one answer with 2,000 formulas", formulaAnswer());
    if (runs("paragraph"))
        oneBigAnswer("one paragraph of 2,500 formulas", formulaParagraph());
    if (runs("formula"))
        oneBigAnswer(
            "one answer holding a formula of 1 MB",
            QStringLiteral("The sum is\n\n$$%1$$\n\nas claimed.").arg(math::corpus::largeFormula(1 << 20)));
    return 0;
}
