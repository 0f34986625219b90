// A form field placed with the form tool stays one object through undo and redo: placing, erasing and
// redacting its page, undone and redone in any order, leave the page's annotation list and the form's field
// list naming the very same object once, as qpdf checks it; a field taken away takes its value out of the
// saved file.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/redaction/RedactionApplier.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;

namespace {

const QString filledValue = QStringLiteral("Filled value");

} // namespace

class TestFormFieldUndo : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_saves = 0;

    struct Checked {
        int check = -1;     // qpdf --check's exit code: 0 only without errors and warnings
        QStringList fields; // qpdf's full names of the form's fields
        bool hasValue = false;
    };

    // Saves the document, has qpdf check it (no warning allowed) and list the form's fields.
    Checked saveAndCheck() {
        const QByteArray bytes = m_doc->save().value();
        const QString path = writeTestBytes(m_dir.filePath(QString("step%1.pdf").arg(++m_saves)), bytes);
        Checked result;
        result.check = runTool("qpdf", {"--check", path}).exitCode;
        const QJsonObject form =
            QJsonDocument::fromJson(runTool("qpdf", {"--json", "--json-key=acroform", path}).out)
                .object()
                .value("acroform")
                .toObject();
        for (const QJsonValue& f : form.value("fields").toArray())
            result.fields.append(f.toObject().value("fullname").toString());
        result.hasValue = bytes.contains(filledValue.toLatin1()) ||
                          fixtures::inflatedStreams(bytes).contains(filledValue.toLatin1());
        return result;
    }

    void placeField() {
        m_tools->setTool(AnnotationTool::form);
        drag(viewPoint({100, 600}), viewPoint({300, 630}));
    }

    void fill() {
        const auto widgets = m_doc->formWidgets(0).value();
        QCOMPARE(widgets.size(), std::size_t(1));
        QVERIFY(m_doc->setTextFieldValue(0, widgets[0].handle, filledValue).ok());
    }

    void erase() {
        m_tools->setTool(AnnotationTool::eraser);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint({200, 615}));
        QCoreApplication::processEvents();
    }

    void undo() {
        m_undo->undo();
        QCoreApplication::processEvents();
    }
    void redo() {
        m_undo->redo();
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void cleanup() { m_view.reset(); }

    void placeEraseUndoRedoKeepOneField() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(1);
        placeField();
        fill();
        const QString name = m_doc->fieldNames().value(0);
        QVERIFY(!name.isEmpty());
        const pdf::AnnotationHandle widget = annotations().at(0).handle;

        // What each step leaves: the field listed once (with its value) or not at all (and no value).
        const std::vector<std::pair<const char*, std::function<void()>>> steps{
            {"placed and filled", [] {}},
            {"undo placement", [this] { undo(); }},
            {"redo placement", [this] { redo(); }},
            {"erased", [this] { erase(); }},
            {"undo erase", [this] { undo(); }},
            {"redo erase", [this] { redo(); }},
            {"undo erase again", [this] { undo(); }},
            {"undo erase, undo placement", [this] { undo(); }},
            {"redo placement again", [this] { redo(); }},
        };
        const std::vector<bool> listed{true, false, true, false, true, false, true, false, true};
        for (std::size_t i = 0; i < steps.size(); ++i) {
            steps[i].second();
            const Checked checked = saveAndCheck();
            QVERIFY2(checked.check == 0, steps[i].first);
            QCOMPARE(checked.fields, listed[i] ? QStringList{name} : QStringList{});
            QCOMPARE(checked.hasValue, bool(listed[i]));
            const auto list = annotations();
            QCOMPARE(list.size(), std::size_t(listed[i] ? 1 : 0));
            if (listed[i])
                QVERIFY(list[0].handle == widget); // the very same object, never a copy
        }
    }

    // Redacting a page replaces it by a picture: its field leaves the form, and comes back, once, with undo.
    void redactionUndoPutsTheFieldBackOnce() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(1);
        document::PDFEditorDocument editor;
        editor.setPdfDocument(m_doc);
        m_view->onRedactionDrawn = [&] { pdfview::RedactionApplier::apply(editor, m_undo.get()); };
        placeField();
        fill();
        const QString name = m_doc->fieldNames().value(0);

        m_tools->setTool(AnnotationTool::redact);
        drag(viewPoint({72, 690}), viewPoint({200, 720}));
        Checked redacted = saveAndCheck();
        QCOMPARE(redacted.check, 0);
        QCOMPARE(redacted.fields, QStringList{});
        for (int round = 0; round < 2; ++round) {
            undo();
            Checked checked = saveAndCheck();
            QCOMPARE(checked.check, 0);
            QCOMPARE(checked.fields, QStringList{name});
            QVERIFY(checked.hasValue);
            redo();
            checked = saveAndCheck();
            QCOMPARE(checked.check, 0);
            QCOMPARE(checked.fields, QStringList{});
            QVERIFY(!checked.hasValue);
        }
    }
};

QTEST_MAIN(TestFormFieldUndo)
#include "test_form_field_undo.moc"
