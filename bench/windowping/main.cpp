// Does the window keep answering during long work? The real application window, on an X server with a
// window manager (bench/windowping/run.sh), is pinged the way a window manager pings it (`_NET_WM_PING`,
// from a connection and thread of its own) every 2 ms while it does, one after the other: Save As of a
// 2,415-page file, text recognition of a 64-page scan, redaction of 100 marked pages of a manual, and the
// assistant's work in the open panel of a window, with answers of 5 KB and of 5 MB arriving from a
// chat-completions service on 127.0.0.1 (the reply read, the conversation saved, the answer shown): the 5 KB
// answer, the 5 MB answer, leaving that conversation for a new one, reopening it from the chat history,
// scrolling through it from its end to its start and back, and the next question in it (which sends the
// whole 5 MB again). For each, the round trips: median, 99th percentile and worst (the
// longest the window could not have answered a click), how many passed 50 ms, and the machine's load. An
// idle window is pinged first, as the floor.
//
// Usage: bench_windowping [manual.pdf] [save] [ocr] [redaction] [assistant] — the phases named, all when
// none is.
#include "../support/ValgrindManual.h"
#include "SampleAnswers.h"
#include "ScannedPages.h"
#include "WindowPinger.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/ZeplaApp.h"
#include "assistant/AssistantViewModel.h"
#include "core/DefaultPDFHandler.h"
#include "core/Settings.h"
#include "keys/APIKeyStore.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "support/TestHttpServer.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/markdown/MarkdownContent.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>

using namespace zepla;

namespace {

constexpr int savePages = 2415;
constexpr int scanPages = 64;
constexpr int redactionPages = 100;
constexpr double goalMs = 50;
constexpr qsizetype smallAnswerBytes = 5'000;
constexpr qsizetype longAnswerBytes = 5'000'000;

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The manual's pages over and over until there are `pages`.
QByteArray longFile(pdf::Document& manual, int pages) {
    auto copy = pdf::Document::createEmpty();
    while (copy->pageCount() < pages) {
        std::vector<int> indices;
        for (int i = 0; i < std::min(manual.pageCount(), pages - copy->pageCount()); ++i)
            indices.push_back(i);
        copy->copyPages(manual, indices, copy->pageCount());
    }
    return copy->save().value();
}

QByteArray scannedFile(int pages) {
    auto scan = pdf::Document::createEmpty();
    for (int p = 0; p < pages; ++p) {
        scanned::Page page{{QStringLiteral("Page %1 of the scanned report").arg(p + 1),
                            QStringLiteral("every line of it read again by the recognition"),
                            QStringLiteral("while the window keeps answering its user")}};
        page.noise = 0.002;
        scanned::append(*scan, page, quint32(p + 1));
    }
    return scan->save().value();
}

// The manual's first pages, each with a pending redaction mark.
QByteArray markedFile(pdf::Document& manual, int pages) {
    auto marked = pdf::Document::open(longFile(manual, pages)).value();
    for (int i = 0; i < pages; ++i) {
        const QRectF crop = marked->geometry(i).value().cropBox;
        annotations::RedactionMarkerAnnotation mark;
        mark.bounds = QRectF(crop.left() + 72, crop.bottom() - 120, 200, 20);
        annotations::writeNewAnnotation(*marked, i, mark);
    }
    return marked->save().value();
}

QByteArray completion(const QString& content) {
    const QJsonObject choice{{"finish_reason", "stop"}, {"message", QJsonObject{{"content", content}}}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

// A chat-completions service on a thread of its own, so that serving megabytes takes nothing from the
// window's thread: it titles a chat when asked to, and answers a question with the answer of the size that
// the question names.
class ChatService {
public:
    ChatService() {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_server = new ai::test::TestHttpServer;
                m_server->setResponder([](const ai::test::ReceivedRequest& request) {
                    const QJsonArray messages =
                        QJsonDocument::fromJson(request.body).object().value("messages").toArray();
                    const QString system = messages.first().toObject().value("content").toString();
                    if (system.startsWith(QLatin1String("You write short, punchy chat titles")))
                        return ai::test::CannedReply{200, completion(QStringLiteral("Long Answers"))};
                    const qsizetype size =
                        messages.last().toObject().value("content").toString().toLongLong();
                    return ai::test::CannedReply{200, completion(mixedAnswer(size))};
                });
                m_address = m_server->baseAddress();
            },
            Qt::BlockingQueuedConnection);
    }
    ~ChatService() {
        QMetaObject::invokeMethod(
            &m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    QUrl address() const { return m_address; }

private:
    QThread m_thread;
    QObject m_context;
    ai::test::TestHttpServer* m_server = nullptr;
    QUrl m_address;
};

// Runs the event loop as the application does (QTest's waits sleep between turns, which would add to every
// round trip) until `done` holds.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 600000) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(5);
    if (!done())
        loop.exec();
    return done();
}

void pause(int ms) {
    QElapsedTimer timer;
    timer.start();
    waitFor([&] { return timer.elapsed() >= ms; });
}

// Opens the file in a window of its own and waits until its first pages are drawn.
app::DocumentWindow* open(app::DocumentController& controller, const QString& path) {
    app::DocumentWindow* window = nullptr;
    const auto connection = QObject::connect(&controller, &app::DocumentController::documentOpened,
                                             [&](app::DocumentWindow* w) { window = w; });
    controller.openDocument(path);
    waitFor([&] { return window != nullptr; });
    QObject::disconnect(connection);
    if (!window)
        qFatal("%s did not open", qPrintable(path));
    window->resize(1400, 900);
    window->activateWindow();
    auto* content = qobject_cast<ui::ContentView*>(window->centralWidget());
    waitFor([&] { return content->workspace() && content->workspace()->pdfView()->isRenderingIdle(); });
    pause(1500); // what follows an open: thumbnails, the page sizes read in the background
    return window;
}

ui::PDFEditorWorkspaceView& workspaceOf(app::DocumentWindow* window) {
    return *qobject_cast<ui::ContentView*>(window->centralWidget())->workspace();
}

// True once every answer in the window's assistant panel is read and measured.
bool answersLaidOut(ui::PDFEditorWorkspaceView& workspace) {
    if (!workspace.assistantPanel())
        return false;
    for (const ui::MarkdownContent* answer : workspace.assistantPanel()->findChildren<ui::MarkdownContent*>())
        if (!answer->isComplete())
            return false;
    return true;
}

void closeAlerts() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            box->done(0);
}

// Processor time of the calling thread: on a loaded machine an event can take long while its thread waits.
double threadProcessorMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// How long the calling thread has waited, ready to run, for a processor that other threads held (the
// scheduler's own count). What an event took beyond its processor time and this wait, it spent blocked.
double threadRunQueueWaitMs() {
    std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r");
    if (!file)
        return 0;
    unsigned long long running = 0, waiting = 0;
    const bool read = std::fscanf(file, "%llu %llu", &running, &waiting) == 2;
    std::fclose(file);
    return read ? double(waiting) / 1e6 : 0;
}

// The application, timing every event it delivers on the UI thread: the longest one of a phase names what
// held the window.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        // Threads with event loops of their own (the chat service's) deliver through here too.
        if (QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer timer;
        timer.start();
        const double processorAtStart = threadProcessorMs();
        const double waitAtStart = threadRunQueueWaitMs();
        const QByteArray what = QByteArray(receiver->metaObject()->className()) + " event " +
                                QByteArray::number(int(event->type()));
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        if (const double ms = timer.nsecsElapsed() / 1e6; ms > m_longestMs) {
            m_longestMs = ms;
            m_longestProcessorMs = threadProcessorMs() - processorAtStart;
            m_longestWaitMs = threadRunQueueWaitMs() - waitAtStart;
            m_longest = what;
        }
        return handled;
    }
    // The longest event since the last call, and what received it.
    QString takeLongest() {
        const QString longest =
            QStringLiteral("%1 ms (%2 ms of it on a processor, %3 ms waiting for one) in %4")
                .arg(m_longestMs, 0, 'f', 1)
                .arg(m_longestProcessorMs, 0, 'f', 1)
                .arg(m_longestWaitMs, 0, 'f', 1)
                .arg(QString::fromLatin1(m_longest));
        m_longestMs = 0;
        return longest;
    }

private:
    int m_depth = 0;
    double m_longestMs = 0;
    double m_longestProcessorMs = 0;
    double m_longestWaitMs = 0;
    QByteArray m_longest;
};

// The machine's load average over the last minute.
QByteArray loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').first() : QByteArray("?");
}

void report(const char* what, double seconds, const WindowPinger::Figures& f) {
    std::printf("%-44s %7.1f s  %6d pings  median %5.1f ms  p99 %6.1f ms  worst %7.1f ms  %4d over %.0f ms  "
                "load %s%s  %s\n",
                what, seconds, f.pings, f.medianMs, f.p99Ms, f.worstMs, f.over50Ms, goalMs,
                loadAverage().constData(), f.unanswered ? "  (a ping went unanswered for 10 s)" : "",
                f.worstMs <= goalMs && !f.unanswered ? "goal met" : "goal missed");
    std::printf("    longest event of the UI thread: %s\n",
                qPrintable(static_cast<TimedApplication*>(QCoreApplication::instance())->takeLongest()));
    std::fflush(stdout);
}

// Pings the window while `work` runs until `finished` holds.
void measure(const char* what, WindowPinger& pinger, app::DocumentWindow* window,
             const std::function<void()>& work, const std::function<bool()>& finished) {
    pinger.start(std::uint32_t(window->winId()));
    pause(200);
    static_cast<TimedApplication*>(QCoreApplication::instance())->takeLongest();
    QElapsedTimer timer;
    timer.start();
    work();
    if (!waitFor(finished))
        std::printf("%s did not finish\n", what);
    const double seconds = timer.elapsed() / 1000.0;
    pause(200);
    report(what, seconds, pinger.stop());
    closeAlerts();
}

// The assistant's work in the panel of a window showing the manual (see the top of this file).
void measureAssistant(WindowPinger& pinger, app::DocumentController& controller, const QString& manualPath) {
    app::DocumentWindow* asking = open(controller, manualPath);
    ui::PDFEditorWorkspaceView& workspace = workspaceOf(asking);
    workspace.setShowAssistant(true);
    pause(500);
    ai::AssistantViewModel& assistant = workspace.assistant();
    ui::AssistantConversation& conversation =
        *workspace.assistantPanel()->findChild<ui::AssistantConversation*>();
    // Asks in a new conversation, or in the current one, for an answer of `bytes`.
    const auto ask = [&](const char* what, qsizetype bytes, bool newConversation) {
        measure(
            what, pinger, asking,
            [&] {
                if (newConversation)
                    assistant.startNewConversation();
                assistant.setDraft(QString::number(bytes));
                assistant.submit();
            },
            [&] { return !assistant.isRunning() && answersLaidOut(workspace); });
        std::printf("    the answer shown: %lld characters\n",
                    qlonglong(assistant.turns().last().text.size()));
        std::fflush(stdout);
    };
    ask("assistant answer of 5 KB", smallAnswerBytes, true);
    ask("assistant answer of 5 MB", longAnswerBytes, true);
    const QUuid longChat = assistant.currentSessionID();
    measure(
        "a new conversation after the 5 MB one", pinger, asking, [&] { assistant.startNewConversation(); },
        [&] { return conversation.turnCount() == 0 && conversation.liveTurnViews().isEmpty(); });
    // The question and its answer of 5 MB, at the end of the conversation.
    measure(
        "the 5 MB conversation reopened from history", pinger, asking,
        [&] { assistant.switchToSession(longChat); },
        [&] { return conversation.turnView(1) && answersLaidOut(workspace); });
    // From the end to the start and back in 250 frames each way, the views around each place made.
    QScrollBar* bar = conversation.verticalScrollBar();
    const int steps = 250;
    const int step = std::max(bar->maximum() / steps, 1);
    measure(
        "scrolling through the 5 MB conversation", pinger, asking,
        [&] {
            for (int value = bar->maximum(); value > 0; value -= step) {
                bar->setValue(value);
                pause(16);
            }
            for (int value = 0; value < bar->maximum(); value += step) {
                bar->setValue(value);
                pause(16);
            }
        },
        [&] { return answersLaidOut(workspace); });
    std::printf("    %d points scrolled each way, %d a frame\n", bar->maximum(), step);
    std::fflush(stdout);
    // It follows the long answer in its conversation, so that the whole 5 MB is sent again.
    ask("next question after the 5 MB answer", smallAnswerBytes, false);
}

} // namespace

int main(int argc, char** argv) {
    // Preferences and data of a home of its own, so that a benchmark never touches the user's.
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    TimedApplication application(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "bench_windowping needs an X server: run bench/windowping/run.sh\n");
        return 1;
    }
    WindowPinger pinger;
    if (!pinger.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(pinger.error()));
        return 1;
    }
    const QStringList phaseNames{"save", "ocr", "redaction", "assistant"};
    QStringList arguments = application.arguments();
    QStringList phases;
    for (const QString& name : phaseNames) {
        if (arguments.removeAll(name) > 0)
            phases.append(name);
    }
    const auto runs = [&](const char* phase) { return phases.isEmpty() || phases.contains(phase); };

    platform::userSettings()->setValue(QLatin1String(platform::DefaultPDFHandler::hasPromptedKey), true);
    // A key of the user's own, so that every window's assistant asks the local service.
    ChatService service;
    ai::APIKeyStore::save(QStringLiteral("windowping"), ai::APIProviderKind::ollama);
    ai::APIKeyStore::saveURL(service.address().toString() + QStringLiteral("/v1/chat/completions"));

    QTemporaryDir dir;
    const QString manualPath = benchmarkManual(arguments, dir);
    auto manual = manualPath.isEmpty() ? nullptr : pdf::Document::openFile(manualPath).value();
    if (!manual) {
        std::fprintf(stderr, "no manual: give a PDF on the command line\n");
        return 1;
    }
    std::printf("%s (%d pages); %d cores, load %s\n", qPrintable(manualPath), manual->pageCount(),
                QThread::idealThreadCount(), loadAverage().constData());

    app::ZeplaApp shell;
    app::DocumentController& controller = shell.documentController();

    if (runs("save")) {
        const QString longPath = dir.filePath("long.pdf");
        write(longPath, longFile(*manual, savePages));
        app::DocumentWindow* saved = open(controller, longPath);
        measure(
            "idle window (the floor)", pinger, saved, [] { pause(2000); }, [] { return true; });
        bool written = false;
        measure(
            "Save As of 2,415 pages", pinger, saved,
            [&] { saved->saveTo(dir.filePath("copy.pdf"), [&](bool ok) { written = ok; }); },
            [&] { return written || !saved->isSaving(); });
        std::printf(
            "    %s\n",
            written
                ? qPrintable(QStringLiteral("wrote %1 bytes").arg(QFileInfo(dir.filePath("copy.pdf")).size()))
                : "the save failed");
        std::fflush(stdout);
    }

    if (runs("ocr")) {
        const QString scanPath = dir.filePath("scan.pdf");
        write(scanPath, scannedFile(scanPages));
        app::DocumentWindow* scan = open(controller, scanPath);
        ui::PDFEditorWorkspaceView& scanWorkspace = workspaceOf(scan);
        measure(
            "text recognition of 64 scanned pages", pinger, scan,
            [&] { scanWorkspace.recognizeDocumentText(); },
            [&] { return !scanWorkspace.documentRecognition(); });
    }

    if (runs("redaction")) {
        const QString markedPath = dir.filePath("marked.pdf");
        write(markedPath, markedFile(*manual, redactionPages));
        app::DocumentWindow* marked = open(controller, markedPath);
        ui::PDFEditorWorkspaceView& markedWorkspace = workspaceOf(marked);
        measure(
            "redaction of 100 pages", pinger, marked, [&] { markedWorkspace.confirmApplyRedactions(); },
            [&] { return !markedWorkspace.redactionRun(); });
    }

    if (runs("assistant"))
        measureAssistant(pinger, controller, manualPath);

    for (app::DocumentWindow* window : controller.documents())
        window->undoManager().removeAllActions();
    return 0;
}
