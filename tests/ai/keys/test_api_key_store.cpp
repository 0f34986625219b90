// Key pools in the preferences file: migration of the older single key, duplicates, clearing, the address.
#include "keys/APIKeyStore.h"

#include "core/Settings.h"
#include "support/TestHome.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <optional>

using namespace zepla::ai;

namespace {

const QString kLegacy = "quibrane.ollamaAPIKey";
const QString kOllamaPool = "zepla.ollamaAPIKeyPool";

QVariant stored(const QString& key) {
    return zepla::platform::userSettings()->value(key);
}

void store(const QString& key, const QVariant& value) {
    zepla::platform::userSettings()->setValue(key, value);
}

} // namespace

class TestAPIKeyStore : public QObject {
    Q_OBJECT

    std::optional<zepla::ai::test::TestHome> m_home;

private slots:
    void initTestCase() { m_home.emplace(); }

    void init() { zepla::platform::userSettings()->clear(); }

    void nothingStored() {
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList());
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), QStringList());
        QCOMPARE(APIKeyStore::load(APIProviderKind::groq), std::nullopt);
        QCOMPARE(APIKeyStore::loadURL(), QString("https://ollama.com/v1/chat/completions"));
        QVERIFY(!stored(kOllamaPool).isValid());
    }

    void legacyKeyBecomesTheOllamaPool() {
        store(kLegacy, "legacy-key");
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), QStringList());
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList("legacy-key"));
        QCOMPARE(stored(kOllamaPool).toStringList(), QStringList("legacy-key"));
        QCOMPARE(stored(kLegacy).toString(), QString("legacy-key"));
        QCOMPARE(APIKeyStore::load(APIProviderKind::ollama), QString("legacy-key"));
    }

    void emptyLegacyKeyMigratesNothing() {
        store(kLegacy, "");
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList());
        QVERIFY(!stored(kOllamaPool).isValid());
    }

    void legacyKeyIgnoredBesideAPool() {
        store(kOllamaPool, QStringList{"pooled"});
        store(kLegacy, "legacy-key");
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList("pooled"));
    }

    void saveMigratesFirstAndKeepsOrder() {
        store(kLegacy, "legacy-key");
        APIKeyStore::save("second", APIProviderKind::ollama);
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList({"legacy-key", "second"}));
    }

    void saveSkipsExactDuplicatesOnly() {
        APIKeyStore::save("gsk_A", APIProviderKind::groq);
        APIKeyStore::save("gsk_A", APIProviderKind::groq);
        APIKeyStore::save("GSK_a", APIProviderKind::groq);
        APIKeyStore::save(" gsk_A", APIProviderKind::groq);
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), QStringList({"gsk_A", "GSK_a", " gsk_A"}));
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList());
    }

    void clearOllamaRemovesTheLegacyKeyToo() {
        store(kLegacy, "legacy-key");
        APIKeyStore::save("o2", APIProviderKind::ollama);
        APIKeyStore::save("g1", APIProviderKind::groq);
        APIKeyStore::clear(APIProviderKind::ollama);
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::ollama), QStringList());
        QVERIFY(!stored(kLegacy).isValid());
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), QStringList("g1"));
        APIKeyStore::clear(APIProviderKind::groq);
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), QStringList());
    }

    void storedAddressIsReturnedUnchanged() {
        APIKeyStore::saveURL("");
        QCOMPARE(APIKeyStore::loadURL(), QString(""));
        APIKeyStore::saveURL("http://127.0.0.1:9/v1/chat/completions");
        QCOMPARE(APIKeyStore::loadURL(), QString("http://127.0.0.1:9/v1/chat/completions"));
    }

    // What another run of Zepla finds in the file: the INI format keeps no types.
    void poolsAsWrittenInTheFile_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("pool");
        QTest::newRow("one key") << QByteArray("zepla.groqAPIKeyPool=gsk_one") << QStringList("gsk_one");
        QTest::newRow("two keys") << QByteArray("zepla.groqAPIKeyPool=gsk_a, gsk_b")
                                  << QStringList({"gsk_a", "gsk_b"});
        QTest::newRow("quoted comma") << QByteArray(R"(zepla.groqAPIKeyPool="a,b")") << QStringList("a,b");
        QTest::newRow("empty list") << QByteArray("zepla.groqAPIKeyPool=@Invalid()") << QStringList();
        QTest::newRow("not a list of strings")
            << QByteArray("zepla.groqAPIKeyPool=@ByteArray(gsk)") << QStringList();
    }
    void poolsAsWrittenInTheFile() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, pool);
        QFile file(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   "/Zepla/Zepla.conf");
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\n" + line + "\n");
        file.close();
        QCOMPARE(APIKeyStore::allKeys(APIProviderKind::groq), pool);
    }
};

QTEST_GUILESS_MAIN(TestAPIKeyStore)
#include "test_api_key_store.moc"
