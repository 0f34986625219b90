// Form fields placed with the form tool: their names, and real form fields that other readers list.
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/FormFieldPlacer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::annotations;
using testdocs::open;

namespace {

// The fields qpdf finds in the file's form: name → whether it is a checkbox.
QMap<QString, bool> qpdfFields(const QString& path) {
    QProcess qpdf;
    qpdf.start("qpdf", {"--json", "--json-key=acroform", path});
    qpdf.waitForFinished(60000);
    const QJsonObject form =
        QJsonDocument::fromJson(qpdf.readAllStandardOutput()).object().value("acroform").toObject();
    QMap<QString, bool> fields;
    for (const QJsonValue& f : form.value("fields").toArray()) {
        const QJsonObject field = f.toObject();
        fields.insert(field.value("fullname").toString(), field.value("ischeckbox").toBool());
    }
    return fields;
}

} // namespace

class TestFormFields : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        testdocs::requireTool("qpdf");
    }

    // Runs first: the counter starts at 1 with the process. A document saved earlier already has text_1.
    void namesCountOnAndSkipNamesInUse() {
        auto earlier = open(fixtures::makeTextPdf(1));
        auto old = FormFieldPlacer::makeAnnotation(FormFieldMode::text, QRectF(72, 500, 150, 20), {});
        QCOMPARE(old->fieldName, QString("text_1"));
        QVERIFY(writeNewAnnotation(*earlier, 0, *old).ok());
        auto reopened = open(earlier->save().value());
        QCOMPARE(reopened->fieldNames(), QStringList{"text_1"});

        const QStringList inUse = reopened->fieldNames() << "checkbox_3";
        QCOMPARE(FormFieldPlacer::makeAnnotation(FormFieldMode::text, {}, inUse)->fieldName,
                 QString("text_2"));
        QCOMPARE(FormFieldPlacer::makeAnnotation(FormFieldMode::checkbox, {}, inUse)->fieldName,
                 QString("checkbox_4"));
        QCOMPARE(FormFieldPlacer::makeAnnotation(FormFieldMode::text, {}, inUse)->fieldName,
                 QString("text_5"));
    }

    void newFieldsLookLikeTheProgramsAndStartEmpty() {
        auto box = FormFieldPlacer::makeAnnotation(FormFieldMode::checkbox, QRectF(0, 0, 0, 0), {});
        QCOMPARE(box->bounds, QRectF(0, 0, 0, 0));
        QCOMPARE(box->borderWidth, std::optional<qreal>(1));
        QCOMPARE(box->color, QColor(0, 122, 255));
        QCOMPARE(box->backgroundColor.alpha(), 20); // 0.08 of 255
        const auto entries = box->entries();
        auto value = [&](const QByteArray& key) {
            for (const auto& [k, v] : entries) {
                if (k == key)
                    return v;
            }
            return pdf::ObjectValue();
        };
        QCOMPARE(value("FT").nameValue(), QByteArray("Btn"));
        QCOMPARE(value("V").nameValue(), QByteArray("Off"));
        QCOMPARE(value("AS").nameValue(), QByteArray("Off"));
        QCOMPARE(box->appearanceStates().size(), std::size_t(2));
    }

    // Placed fields are real form fields: qpdf lists them, with the one the file had, and MuPDF can fill
    // them in; a field taken off its page leaves the form's list too.
    void otherReadersListAndFillThePlacedFields() {
        fixtures::PageSpec page{"Form"};
        page.withTextField = true;
        auto doc = open(fixtures::makePdf({{page}}));
        auto text =
            FormFieldPlacer::makeAnnotation(FormFieldMode::text, QRectF(72, 400, 200, 24), doc->fieldNames());
        auto box = FormFieldPlacer::makeAnnotation(FormFieldMode::checkbox, QRectF(72, 300, 20, 20),
                                                   doc->fieldNames());
        auto gone =
            FormFieldPlacer::makeAnnotation(FormFieldMode::text, QRectF(72, 200, 200, 24), doc->fieldNames());
        for (auto* field : {text.get(), box.get(), gone.get()})
            QVERIFY(writeNewAnnotation(*doc, 0, *field).ok());
        QVERIFY(doc->removeAnnotation(0, gone->handle).ok());
        QVERIFY(doc->setFieldListed(gone->handle, false).ok());

        const QString path = testdocs::saveTo(*doc, m_dir.filePath("fields.pdf"));
        const QMap<QString, bool> fields = qpdfFields(path);
        QStringList expected{"name", box->fieldName, text->fieldName};
        expected.sort();
        QCOMPARE(fields.keys(), expected);
        QVERIFY(fields.value(box->fieldName));
        QVERIFY(!fields.value(text->fieldName));

        auto reopened = open(doc->save().value());
        const auto widgets = reopened->formWidgets(0).value();
        QCOMPARE(widgets.size(), std::size_t(3));
        for (const pdf::FormWidget& w : widgets) {
            if (w.name == text->fieldName)
                QVERIFY(reopened->setTextFieldValue(0, w.handle, "Filled in").ok());
            if (w.name == box->fieldName) {
                QVERIFY(!w.checked);
                QVERIFY(reopened->toggleCheckbox(0, w.handle).ok());
            }
        }
        const auto filled = reopened->formWidgets(0).value();
        for (const pdf::FormWidget& w : filled) {
            if (w.name == text->fieldName)
                QCOMPARE(w.value, QString("Filled in"));
            if (w.name == box->fieldName)
                QVERIFY(w.checked);
        }
    }
};

QTEST_MAIN(TestFormFields)
#include "test_form_fields.moc"
