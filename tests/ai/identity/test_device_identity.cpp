// The device key file and request signatures: replacement of bad files, private modes, verifiable signatures.
#include "identity/DeviceIdentity.h"

#include "support/SignatureCheck.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <optional>
#include <thread>
#include <vector>

#include <sys/stat.h>

using namespace zepla::ai;

namespace {

int modeOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Found without the code under test, which would make the folder while naming it.
QString keyFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Zepla";
}

// The key must be one that loads back, is stored as its 32 raw bytes and nothing else, and is private.
void verifyStoredKey(const DeviceKey& key) {
    const QString path = DeviceIdentity::keyFilePath();
    QVERIFY(QFileInfo(path).isFile());
    QVERIFY(!QFileInfo(path).isSymLink());
    QCOMPARE(readAll(path), key.rawRepresentation());
    QCOMPARE(modeOf(path), 0600);
    QCOMPARE(modeOf(keyFolder()), 0700);
    QCOMPARE(QDir(keyFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList("device-identity.key"));
    const auto again = DeviceIdentity::privateKey();
    QVERIFY(again.ok());
    QCOMPARE(again.value().publicKeyDER(), key.publicKeyDER());
}

} // namespace

class TestDeviceIdentity : public QObject {
    Q_OBJECT

    std::optional<zepla::ai::test::TestHome> m_home;

private slots:
    void initTestCase() { m_home.emplace(); }

    void init() {
        QDir(keyFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(QFileInfo(keyFolder()).absolutePath()));
    }

    void createdPrivateFromTheStart() {
        QVERIFY(!QFileInfo::exists(keyFolder()));
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        QCOMPARE(key.value().rawRepresentation().size(), 32);
        verifyStoredKey(key.value());
    }

    void badKeyFileIsReplaced_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("danglingLink");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("31 bytes") << QByteArray(31, '\x07') << false;
        QTest::newRow("33 bytes") << QByteArray(33, '\x07') << false;
        QTest::newRow("all zero bytes") << QByteArray(32, '\0') << false;
        QTest::newRow("beyond the curve order") << QByteArray(32, '\xff') << false;
        QTest::newRow("unreadable") << QByteArray() << true;
    }
    void badKeyFileIsReplaced() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, danglingLink);
        const QString path = DeviceIdentity::keyFilePath();
        if (danglingLink)
            QVERIFY(QFile::link(keyFolder() + "/nowhere", path));
        else if (!contents.isNull())
            writeFile(path, contents);

        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        QVERIFY(key.value().rawRepresentation() != contents);
        verifyStoredKey(key.value());
    }

    void storedKeyIsReadAsItsRawScalar() {
        QByteArray one(32, '\0');
        one[31] = 1;
        writeFile(DeviceIdentity::keyFilePath(), one);
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        // The public key of the scalar 1 is the curve's base point.
        QCOMPARE(
            DeviceIdentity::publicKeyBase64(key.value()),
            QString("MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEaxfR8uEsQkf4vOblY6RA8ncDfYEt6zOg9KE5RdiYwpZP40Li/"
                    "hp/m47n60p8D54WK84zV2sxXs7LtkBoN79R9Q=="));
        QCOMPARE(readAll(DeviceIdentity::keyFilePath()), one);
    }

    // The public point's y is never the larger of y and p − y, so the key is known by its x alone.
    void generatedKeysAreCompactRepresentable() {
        const QByteArray halfPrime =
            QByteArray::fromHex("7fffffff800000008000000000000000000000007fffffffffffffffffffffff");
        int checked = 0;
        for (int i = 0; i < 24; ++i) {
            const auto key = DeviceKey::generate();
            QVERIFY(key.ok());
            const QByteArray y = key.value().publicKeyDER().right(32);
            QVERIFY2(y <= halfPrime, y.toHex().constData());
            QVERIFY(DeviceKey::fromRawRepresentation(key.value().rawRepresentation()).has_value());
            ++checked;
        }
        QCOMPARE(checked, 24);
    }

    // A key file someone else can read is made private when it is read.
    void looseKeyFileIsTightened() {
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        QVERIFY(::chmod(QFile::encodeName(DeviceIdentity::keyFilePath()).constData(), 0644) == 0);
        const auto again = DeviceIdentity::privateKey();
        QVERIFY(again.ok());
        QCOMPARE(again.value().publicKeyDER(), key.value().publicKeyDER());
        QCOMPARE(modeOf(DeviceIdentity::keyFilePath()), 0600);
    }

    void deletedKeyGivesANewPublicKey() {
        const auto first = DeviceIdentity::privateKey();
        QVERIFY(first.ok());
        QVERIFY(QFile::remove(DeviceIdentity::keyFilePath()));
        const auto second = DeviceIdentity::privateKey();
        QVERIFY(second.ok());
        QVERIFY(DeviceIdentity::publicKeyBase64(first.value()) !=
                DeviceIdentity::publicKeyBase64(second.value()));
    }

    void concurrentFirstUsesShareOneKey() {
        std::vector<QByteArray> publicKeys(8);
        std::vector<std::thread> threads;
        for (QByteArray& publicKey : publicKeys) {
            threads.emplace_back([&publicKey] {
                const auto key = DeviceIdentity::privateKey();
                publicKey = key.ok() ? key.value().publicKeyDER() : QByteArray();
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        const auto stored = DeviceIdentity::privateKey();
        QVERIFY(stored.ok());
        for (const QByteArray& publicKey : publicKeys)
            QCOMPARE(publicKey, stored.value().publicKeyDER());
    }

    void unwritableKeyPlaceIsReported_data() {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("key path is a folder") << false;
        QTest::newRow("support folder is a file") << true;
    }
    void unwritableKeyPlaceIsReported() {
        QFETCH(bool, folderIsAFile);
        const QString folder = keyFolder();
        if (folderIsAFile) {
            writeFile(folder, "not a folder");
        } else {
            QVERIFY(QDir().mkpath(DeviceIdentity::keyFilePath() + "/inside"));
        }
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(!key.ok());
        QCOMPARE(key.error().kind(), DeviceIdentityError::Kind::writeFailed);
        const QString description = key.error().errorDescription();
        QVERIFY2(description.startsWith("Couldn't save the device signing key (") &&
                     description.endsWith(")."),
                 qPrintable(description));
        if (folderIsAFile)
            QFile::remove(folder);
        else
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        QDir(folder).removeRecursively();
    }

    void signedMessageOfAnEmptyBody() {
        QCOMPARE(DeviceIdentity::signedMessage("", 0),
                 QByteArray("0.e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
        QVERIFY(DeviceIdentity::signedMessage("x", -5).startsWith("-5."));
    }

    void signatureVerifiesWithTheHandedOutKey() {
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        const QByteArray body = R"({"messages":[],"tools":[],"preference":"Fast"})";
        const qint64 timestamp = 1760000000123;
        const auto signature = DeviceIdentity::sign(key.value(), body, timestamp);
        QVERIFY(signature.ok());
        QCOMPARE(signature.value().size(), 88);

        const QByteArray message =
            "1760000000123." + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
        const QByteArray publicKey = DeviceIdentity::publicKeyBase64(key.value()).toLatin1();
        QVERIFY(zepla::ai::test::verifiesDeviceSignature(publicKey, message, signature.value().toLatin1()));
        QVERIFY(!zepla::ai::test::verifiesDeviceSignature(publicKey, message + " ",
                                                          signature.value().toLatin1()));
    }
};

QTEST_GUILESS_MAIN(TestDeviceIdentity)
#include "test_device_identity.moc"
