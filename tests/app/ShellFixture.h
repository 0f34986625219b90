// A running shell for the tests: the application object with its controller and delegate, PDF files in a
// temporary folder, and helpers to find the alerts it shows.
#pragma once

#include "LandingTestSupport.h"
#include "PdfFixtures.h"
#include "app/DocumentWindow.h"
#include "app/ZeplaApp.h"
#include "core/DefaultPDFHandler.h"
#include "core/Settings.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The one-time default-viewer offer, counted as answered so that it stays out of tests of other things.
inline bool answerDefaultViewerOffer(bool answered = true) {
    const auto settings = zepla::platform::userSettings();
    settings->setValue(QLatin1String(zepla::platform::DefaultPDFHandler::hasPromptedKey), answered);
    settings->sync();
    return answered;
}

struct ShellFixture {
    QTemporaryDir dir;
    bool offerAnswered = answerDefaultViewerOffer();
    std::unique_ptr<zepla::app::ZeplaApp> app = std::make_unique<zepla::app::ZeplaApp>();

    zepla::app::DocumentController& controller() { return app->documentController(); }
    zepla::app::AppDelegate& delegate() { return app->appDelegate(); }

    QString write(const QString& name, const QByteArray& bytes = fixtures::makeTextPdf(2)) {
        return writeTestFile(dir, name, bytes);
    }
};

// The alerts on screen, newest last.
inline QList<QMessageBox*> visibleAlerts() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            boxes << box;
    return boxes;
}

inline void closeAlerts() {
    for (QMessageBox* box : visibleAlerts())
        box->done(0);
    QApplication::processEvents();
}

// A real, undoable edit: the document's title changes and the undo history records how to put it back.
inline void editTitle(zepla::app::DocumentWindow& window, const QString& title) {
    auto& document = window.document();
    const QString before = document.pdfDocument()->infoValue("Title");
    document.pdfDocument()->setInfoValue("Title", title);
    window.undoManager().registerUndo(&document, [&window, before] { editTitle(window, before); });
    document.announceChange();
}

inline zepla::app::DocumentWindow* openAndWait(ShellFixture& shell, const QString& path) {
    shell.controller().openDocument(path);
    if (!QTest::qWaitFor([&] { return shell.controller().documentFor(path) != nullptr; },
                         testsupport::hangGuardMs))
        return nullptr;
    return shell.controller().documentFor(path);
}
