// The landing view: where chosen and dropped files go, the drop zone's look, and the recents section's
// presence.
#include "LandingTestSupport.h"
#include "RecordingTargets.h"

#include "PdfFixtures.h"
#include "ui/landing/LandingView.h"
#include "ui/landing/OpenDocumentCard.h"
#include "ui/landing/RecentDocuments.h"
#include "ui/landing/RecentsSection.h"
#include "ui/theme/Colors.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zepla;
using namespace zepla::ui;

class TestLandingView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingTargets m_targets;

    QString writeFile(const QString& name, const QByteArray& bytes = fixtures::makeTextPdf(1)) {
        return writeTestFile(m_dir, name, bytes);
    }

private slots:
    void initTestCase() {
        usePrivatePreferences();
        document::FileOpenRouter::setTargets(&m_targets);
    }
    void init() {
        m_targets = {};
        RecentDocuments::clear();
    }
    void cleanupTestCase() { document::FileOpenRouter::setTargets(nullptr); }

    void dropOpensOnlyTheFirstFileWhereItLies() {
        const QString report = writeFile("Report.PDF");
        const QString other = writeFile("other.pdf");
        QStringList inPlace;
        LandingView view([&](const QString& path) { inPlace << path; });
        QVERIFY(view.handleDrop({QUrl::fromLocalFile(report), QUrl::fromLocalFile(other),
                                 QUrl::fromLocalFile(writeFile("third.pdf"))}));
        // The answer comes at once; the opening follows on the next turn.
        QVERIFY(inPlace.isEmpty());
        QTRY_COMPARE(inPlace, QStringList{report});
    }

    void droppedFilesOfOtherKindsGoToTheRouter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("road");
        QTest::newRow("spreadsheet") << "sheet.xlsx"
                                     << "preview";
        QTest::newRow("markdown") << "notes.md"
                                  << "import";
        QTest::newRow("anything") << "archive.xyz"
                                  << "preview";
        QTest::newRow("pdf in the landing window") << "paper.pdf"
                                                   << "document";
    }
    void droppedFilesOfOtherKindsGoToTheRouter() {
        QFETCH(QString, name);
        QFETCH(QString, road);
        const QString path = writeFile(name, "x");
        LandingView view;
        QVERIFY(view.handleDrop({QUrl::fromLocalFile(path)}));
        const QStringList& list = road == "preview"  ? m_targets.previews
                                  : road == "import" ? m_targets.imports
                                                     : m_targets.documents;
        QTRY_COMPARE(list, QStringList{path});
    }

    void refusesDropsItCannotOpen_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::newRow("nothing") << QList<QUrl>{};
        QTest::newRow("web address") << QList<QUrl>{QUrl("https://example.org/a.pdf")};
        QTest::newRow("file that is not there") << QList<QUrl>{QUrl::fromLocalFile("/nonexistent/a.pdf")};
    }
    void refusesDropsItCannotOpen() {
        QFETCH(QList<QUrl>, urls);
        LandingView view;
        QVERIFY(!view.handleDrop(urls));
        QTest::qWait(20);
        QVERIFY(m_targets.documents.isEmpty() && m_targets.previews.isEmpty());
    }

    void dropZoneLightsUpWhileAFileHovers() {
        LandingView view;
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        OpenDocumentCard* card = view.card();
        // How many pixels along the top edge show the dashed border in brand blue.
        const auto blueBorderPixels = [card] {
            const QImage image = card->grab().toImage();
            int count = 0;
            for (int x = 20; x < 220; ++x) {
                const QColor pixel = image.pixelColor(x, 1);
                count += qAbs(pixel.green() - Color::brandBlue().green()) < 40 &&
                         qAbs(pixel.blue() - Color::brandBlue().blue()) < 40 && pixel.red() < 120;
            }
            return count;
        };
        QCOMPARE(blueBorderPixels(), 0);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(writeFile("a.pdf"))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(card, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(card->isDropTargeted());
        QTRY_VERIFY(blueBorderPixels() > 50);

        QDragLeaveEvent leave;
        QApplication::sendEvent(card, &leave);
        QVERIFY(!card->isDropTargeted());
        QTRY_COMPARE(blueBorderPixels(), 0);
    }

    void selectFileRoutesTheChosenFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("pdf into this window") << "chosen.pdf" << true;
        QTest::newRow("other kinds to the router") << "chosen.docx" << false;
    }
    void selectFileRoutesTheChosenFile() {
        QFETCH(QString, name);
        QFETCH(bool, inPlace);
        const QString path = writeFile(name);
        QStringList opened;
        LandingView view([&](const QString& p) { opened << p; });
        QTimer::singleShot(0, [path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
        });
        view.selectFile();
        QCOMPARE(opened, inPlace ? QStringList{path} : QStringList{});
        QCOMPARE(m_targets.imports, inPlace ? QStringList{} : QStringList{path});
    }

    void cancellingTheOpenDialogChangesNothing() {
        QStringList opened;
        LandingView view([&](const QString& p) { opened << p; });
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        view.selectFile();
        QVERIFY(opened.isEmpty() && m_targets.documents.isEmpty() && m_targets.imports.isEmpty());
    }

    void recentsSectionOnlyWithRecentFiles() {
        LandingView empty;
        empty.show();
        QVERIFY(empty.recentsSection()->isHidden());

        RecentDocuments::note(writeFile("one.pdf"));
        LandingView withRecents;
        withRecents.show();
        QVERIFY(!withRecents.recentsSection()->isHidden());
        // The list is read again each time the content is shown.
        RecentDocuments::note(writeFile("two.pdf"));
        withRecents.hide();
        withRecents.show();
        QCOMPARE(withRecents.recentDocumentPaths().size(), 2);
    }

    void clearRecentsEmptiesTheListAndHidesTheSection() {
        RecentDocuments::note(writeFile("one.pdf"));
        LandingView view;
        view.show();
        QTest::mouseClick(view.recentsSection()->clearButton(), Qt::LeftButton);
        QVERIFY(view.recentsSection()->isHidden());
        QVERIFY(RecentDocuments::paths().isEmpty());
        LandingView reopened;
        reopened.show();
        QVERIFY(reopened.recentsSection()->isHidden());
    }
};

QTEST_MAIN(TestLandingView)
#include "test_landing_view.moc"
