// The texts of provider errors and the raw values of the model preferences.
#include "messages/AIMessage.h"
#include "messages/AIModelPreference.h"
#include "messages/AIProviderError.h"

#include <QTest>

using namespace zepla::ai;

Q_DECLARE_METATYPE(zepla::ai::AIProviderError)

class TestAIMessages : public QObject {
    Q_OBJECT

private slots:
    void errorDescriptions_data() {
        QTest::addColumn<AIProviderError>("error");
        QTest::addColumn<QString>("description");
        QTest::newRow("missing key") << AIProviderError::missingAPIKey("Ollama Cloud or Groq")
                                     << QString::fromUtf8("Add your Ollama Cloud or Groq API key in Edit ▸ "
                                                          "Settings\u2026 to use Ask.");
        QTest::newRow("http without a response")
            << AIProviderError::http(-1, "Unknown error") << QString("API error (-1): Unknown error");
        QTest::newRow("http 429") << AIProviderError::http(429, "Slow down")
                                  << QString("API error (429): Slow down");
        QTest::newRow("malformed") << AIProviderError::malformedResponse()
                                   << QString("Received an unexpected response from the AI provider.");
        QTest::newRow("transport passed on")
            << AIProviderError::transport("Connection refused") << QString("Connection refused");
    }
    void errorDescriptions() {
        QFETCH(AIProviderError, error);
        QFETCH(QString, description);
        QCOMPARE(error.errorDescription(), description);
    }

    void preferenceFromRawValue_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("preference");
        QTest::newRow("Fast") << "Fast" << int(AIModelPreference::fast);
        QTest::newRow("High Perf") << "High Perf" << int(AIModelPreference::highPerformance);
        QTest::newRow("Balanced") << "Balanced" << int(AIModelPreference::balanced);
        QTest::newRow("other case") << "fast" << -1;
        QTest::newRow("surrounding spaces") << " Fast " << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void preferenceFromRawValue() {
        QFETCH(QString, raw);
        QFETCH(int, preference);
        const auto parsed = modelPreferenceFromRawValue(raw);
        QCOMPARE(parsed ? int(*parsed) : -1, preference);
    }

    void modelPreferencesListInMenuOrder() {
        QStringList raws;
        for (AIModelPreference preference : allModelPreferences())
            raws << rawValue(preference);
        QCOMPARE(raws, QStringList({"High Perf", "Balanced", "Fast"}));
    }

    void userTextOfNothingIsOneEmptyTextPart() {
        const AIMessage message = AIMessage::userText("");
        QCOMPARE(message.role, AIRole::user);
        QCOMPARE(message.parts, QList<AIContentPart>{AIContentPart::text("")});
    }
};

QTEST_GUILESS_MAIN(TestAIMessages)
#include "test_ai_messages.moc"
