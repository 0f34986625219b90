// The value-or-error type: what it holds is handed out without copies, and the error of a failure with it.
#include "core/Result.h"

#include <QString>
#include <QTest>

#include <memory>

using zepla::Result;

namespace {

struct Failure {
    int code = 0;
    QString message;
};

// Counts the copies made of it, so a value taken out of a result shows whether it was moved.
struct Counted {
    explicit Counted(int* copies) : copies(copies) {}
    Counted(const Counted& other) : copies(other.copies) { ++*copies; }
    Counted(Counted&&) = default;
    Counted& operator=(const Counted&) = delete;
    Counted& operator=(Counted&&) = default;
    int* copies;
};

Result<std::unique_ptr<QString>, Failure> made(bool succeed) {
    if (!succeed)
        return Failure{7, QStringLiteral("not made")};
    return std::make_unique<QString>(QStringLiteral("made"));
}

} // namespace

class TestResult : public QObject {
    Q_OBJECT

private slots:
    void moveOnlyValueIsTakenOut() {
        auto result = made(true);
        QVERIFY(result.ok());
        QVERIFY(bool(result));
        QCOMPARE(*result.value(), QStringLiteral("made"));
        const std::unique_ptr<QString> taken = std::move(result).value();
        QCOMPARE(*taken, QStringLiteral("made"));
    }

    void valueOfATemporaryIsMovedNotCopied() {
        int copies = 0;
        const auto make = [&] { return Result<Counted, Failure>(Counted(&copies)); };
        const Counted taken = make().value();
        QCOMPARE(copies, 0);
        const auto kept = make();
        const Counted copied = kept.value();
        QCOMPARE(copies, 1);
        Q_UNUSED(taken);
        Q_UNUSED(copied);
    }

    void failureCarriesItsError() {
        const auto result = made(false);
        QVERIFY(!result.ok());
        QVERIFY(!result);
        QCOMPARE(result.error().code, 7);
        QCOMPARE(result.error().message, QStringLiteral("not made"));
        QVERIFY_THROWS_EXCEPTION(std::bad_variant_access, result.value());
        QVERIFY_THROWS_EXCEPTION(std::bad_variant_access, made(true).error());
    }

    void resultWithoutValue() {
        const Result<void, Failure> done;
        QVERIFY(done.ok());
        const Result<void, Failure> failed = Failure{3, QStringLiteral("refused")};
        QVERIFY(!failed);
        QCOMPARE(failed.error().message, QStringLiteral("refused"));
    }
};

QTEST_MAIN(TestResult)
#include "test_result.moc"
