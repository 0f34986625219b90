// The chat-completions wire format: request encoding, reply decoding and the reading of HTTP replies.
#include "codec/OpenAIChatCodec.h"

#include <QJsonDocument>
#include <QTest>

using namespace zepla::ai;

Q_DECLARE_METATYPE(zepla::ai::AIMessage)

namespace {

QJsonArray jsonArray(const char* text) {
    return QJsonDocument::fromJson(text).array();
}

AIMessage message(AIRole role, QList<AIContentPart> parts) {
    return {role, std::move(parts)};
}

const QJsonObject kPage3{{"page", 3}};

} // namespace

class TestOpenAIChatCodec : public QObject {
    Q_OBJECT

private slots:
    void encodeMessages_data() {
        QTest::addColumn<QList<AIMessage>>("history");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("system then user") << QList{AIMessage::userText("Hi")} << "Be brief."
                                          << QByteArray(R"([{"role":"system","content":"Be brief."},)"
                                                        R"({"role":"user","content":"Hi"}])");
        QTest::newRow("empty system prompt still first")
            << QList<AIMessage>{} << "" << QByteArray(R"([{"role":"system","content":""}])");
        QTest::newRow("user texts joined by a line feed")
            << QList{message(AIRole::user, {AIContentPart::text("a"), AIContentPart::text("b")})} << "S"
            << QByteArray(
                   "[{\"role\":\"system\",\"content\":\"S\"},{\"role\":\"user\",\"content\":\"a\\nb\"}]");
        QTest::newRow("user without parts") << QList{message(AIRole::user, {})} << "S"
                                            << QByteArray(R"([{"role":"system","content":"S"},)"
                                                          R"({"role":"user","content":""}])");
        QTest::newRow("tool results drop the user's text")
            << QList{message(AIRole::user,
                             {AIContentPart::text("ignored"), AIContentPart::toolResult("c1", "r1"),
                              AIContentPart::toolResult("c2", "r2")})}
            << "S"
            << QByteArray(R"([{"role":"system","content":"S"},)"
                          R"({"role":"tool","tool_call_id":"c1","content":"r1"},)"
                          R"({"role":"tool","tool_call_id":"c2","content":"r2"}])");
        QTest::newRow("assistant texts concatenated, no tool_calls key")
            << QList{message(AIRole::assistant, {AIContentPart::text("a"), AIContentPart::text("b")})} << "S"
            << QByteArray(R"([{"role":"system","content":"S"},{"role":"assistant","content":"ab"}])");
        QTest::newRow("assistant without parts") << QList{message(AIRole::assistant, {})} << "S"
                                                 << QByteArray(R"([{"role":"system","content":"S"},)"
                                                               R"({"role":"assistant","content":""}])");
        QTest::newRow("assistant tool calls in order, results ignored")
            << QList{message(AIRole::assistant, {AIContentPart::text("Looking."),
                                                 AIContentPart::toolUse("c1", "go_to_page", kPage3),
                                                 AIContentPart::toolResult("x", "ignored"),
                                                 AIContentPart::toolUse("c2", "get_selection_text", {})})}
            << "S"
            << QByteArray(
                   R"([{"role":"system","content":"S"},)"
                   R"({"role":"assistant","content":"Looking.","tool_calls":[)"
                   "{\"id\":\"c1\",\"type\":\"function\",\"function\":{\"name\":\"go_to_page\",\"arguments\":"
                   "\"{\\\"page\\\":3}\"}},"
                   R"({"id":"c2","type":"function","function":{"name":"get_selection_text","arguments":"{}"}}]}])");
    }
    void encodeMessages() {
        QFETCH(QList<AIMessage>, history);
        QFETCH(QString, system);
        QFETCH(QByteArray, expected);
        QCOMPARE(OpenAIChatCodec::encodeMessages(history, system), jsonArray(expected));
    }

    void encodeToolSpecs() {
        const QJsonObject schema{{"type", "object"},
                                 {"properties", QJsonObject{{"page", QJsonObject{{"type", "integer"}}}}}};
        const QList<AssistantTool> tools{{"go_to_page", "Go to a page.", schema, {}},
                                         {"get_selection_text", "The selection.", QJsonObject{}, {}}};
        const QJsonArray expected{QJsonObject{{"type", "function"},
                                              {"function", QJsonObject{{"name", "go_to_page"},
                                                                       {"description", "Go to a page."},
                                                                       {"parameters", schema}}}},
                                  QJsonObject{{"type", "function"},
                                              {"function", QJsonObject{{"name", "get_selection_text"},
                                                                       {"description", "The selection."},
                                                                       {"parameters", QJsonObject{}}}}}};
        QCOMPARE(OpenAIChatCodec::encodeToolSpecs(tools), expected);
        QCOMPARE(OpenAIChatCodec::encodeToolSpecs({}), QJsonArray());
    }

    void serializeIsCompact() {
        QCOMPARE(OpenAIChatCodec::serialize({{"a", QJsonArray{1, "x"}}, {"b", QJsonObject{{"c", true}}}}),
                 QByteArray(R"({"a":[1,"x"],"b":{"c":true}})"));
    }

    void decodeResponse_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("text");
        // [{"id":…,"name":…,"input":{…}}, …] of the accepted calls.
        QTest::addColumn<QByteArray>("calls");
        QTest::addColumn<bool>("isFinal");

        // The reply of one choice holding `message`; `finish` is left out when undefined.
        const auto reply = [](const char* message, const QJsonValue& finish) {
            QJsonObject choice{{"message", QJsonDocument::fromJson(message).object()}};
            if (!finish.isUndefined())
                choice.insert("finish_reason", finish);
            return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson();
        };
        const QJsonValue absent(QJsonValue::Undefined);
        const char* oneCall = R"({"content":null,"tool_calls":[{"id":"c1","type":"function",)"
                              "\"function\":{\"name\":\"go_to_page\",\"arguments\":\"{\\\"page\\\":3}\"}}]}";
        const QByteArray page3Call = R"([{"id":"c1","name":"go_to_page","input":{"page":3}}])";

        QTest::newRow("plain answer")
            << reply(R"({"content":"Hello"})", "stop") << "Hello" << QByteArray("[]") << true;
        QTest::newRow("tool call asked for") << reply(oneCall, "tool_calls") << "" << page3Call << false;
        QTest::newRow("tool call but stop") << reply(oneCall, "stop") << "" << page3Call << true;
        QTest::newRow("tool call without finish_reason") << reply(oneCall, absent) << "" << page3Call << true;
        QTest::newRow("finish_reason not a string") << reply(oneCall, 7) << "" << page3Call << true;
        QTest::newRow("text and call")
            << reply(R"({"content":"Going.","tool_calls":[{"id":"c1",)"
                     R"("function":{"name":"go_to_page","arguments":{"page":3}}}]})",
                     "tool_calls")
            << "Going." << page3Call << false;
        QTest::newRow("call without id")
            << reply(R"({"tool_calls":[{"function":{"name":"go_to_page"}}]})", "tool_calls") << ""
            << QByteArray("[]") << true;
        QTest::newRow("bad calls skipped, good kept")
            << reply(
                   R"({"tool_calls":[{"id":"a","function":{}},{"id":"b","function":"go"},{"id":7,"function":{"name":"x"}},)"
                   R"({"id":"c","function":{"name":"search_document"}}]})",
                   "tool_calls")
            << "" << QByteArray(R"([{"id":"c","name":"search_document","input":{}}])") << false;
        QTest::newRow("arguments not JSON")
            << reply(R"({"tool_calls":[{"id":"c","function":{"name":"n","arguments":"page: 3"}}]})", absent)
            << "" << QByteArray(R"([{"id":"c","name":"n","input":{}}])") << true;
        QTest::newRow("arguments an array text")
            << reply(R"({"tool_calls":[{"id":"c","function":{"name":"n","arguments":"[1]"}}]})", absent) << ""
            << QByteArray(R"([{"id":"c","name":"n","input":{}}])") << true;
        QTest::newRow("arguments a number")
            << reply(R"({"tool_calls":[{"id":"c","function":{"name":"n","arguments":5}}]})", absent) << ""
            << QByteArray(R"([{"id":"c","name":"n","input":{}}])") << true;
        QTest::newRow("tool_calls holding a non-object")
            << reply(R"({"tool_calls":[{"id":"c","function":{"name":"n"}},3]})", "tool_calls") << ""
            << QByteArray("[]") << true;
        QTest::newRow("tool_calls an object")
            << reply(R"({"content":"x","tool_calls":{"id":"c"}})", absent) << "x" << QByteArray("[]") << true;
        QTest::newRow("content not a string")
            << reply(R"({"content":["x"]})", absent) << "" << QByteArray("[]") << true;
        QTest::newRow("only the first choice counts")
            << QByteArray(R"({"choices":[{"message":{"content":"first"}},{"message":{"content":"second"}}]})")
            << "first" << QByteArray("[]") << true;
    }
    void decodeResponse() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, text);
        QFETCH(QByteArray, calls);
        QFETCH(bool, isFinal);

        const AIProviderResult result =
            OpenAIChatCodec::decodeResponse(QJsonDocument::fromJson(reply).object());
        QVERIFY(result.ok());
        const AIAgentTurn& turn = result.value();
        QCOMPARE(turn.text, text);
        QCOMPARE(turn.isFinal, isFinal);

        QList<AIToolCall> expectedCalls;
        for (const QJsonValue& call : jsonArray(calls))
            expectedCalls.append({call["id"].toString(), call["name"].toString(), call["input"].toObject()});
        QCOMPARE(turn.toolCalls, expectedCalls);

        QList<AIContentPart> expectedParts;
        if (!text.isEmpty())
            expectedParts.append(AIContentPart::text(text));
        for (const AIToolCall& call : expectedCalls)
            expectedParts.append(AIContentPart{call});
        QCOMPARE(turn.message.role, AIRole::assistant);
        QCOMPARE(turn.message.parts, expectedParts);
    }

    void decodeMalformed_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("empty choices") << QByteArray(R"({"choices":[]})");
        QTest::newRow("choices an object") << QByteArray(R"({"choices":{"message":{}}})");
        QTest::newRow("a choice not an object")
            << QByteArray(R"({"choices":[{"message":{"content":"a"}},1]})");
        QTest::newRow("no message") << QByteArray(R"({"choices":[{"finish_reason":"stop"}]})");
        QTest::newRow("message a string") << QByteArray(R"({"choices":[{"message":"hi"}]})");
    }
    void decodeMalformed() {
        QFETCH(QByteArray, reply);
        const AIProviderResult result =
            OpenAIChatCodec::decodeResponse(QJsonDocument::fromJson(reply).object());
        QVERIFY(!result.ok());
        QCOMPARE(result.error(), AIProviderError::malformedResponse());
    }

    void interpretReplyErrors_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("errorStatus");
        QTest::addColumn<QString>("detail");

        using Kind = AIProviderError::Kind;
        QTest::newRow("429 error object") << 429 << QByteArray(R"({"error":{"message":"Too many","code":1}})")
                                          << int(Kind::http) << 429 << "Too many";
        QTest::newRow("429 error string")
            << 429 << QByteArray(R"({"error":"Too many"})") << int(Kind::http) << 429 << "Too many";
        QTest::newRow("429 empty object")
            << 429 << QByteArray("{}") << int(Kind::http) << 429 << "Unknown error";
        QTest::newRow("401 message not a string")
            << 401 << QByteArray(R"({"error":{"message":5}})") << int(Kind::http) << 401 << "Unknown error";
        QTest::newRow("no HTTP status") << -1 << QByteArray("{}") << int(Kind::http) << -1 << "Unknown error";
        QTest::newRow("500 with a choice is still an error")
            << 500 << QByteArray(R"({"choices":[{"message":{"content":"x"}}]})") << int(Kind::http) << 500
            << "Unknown error";
        QTest::newRow("200 array") << 200 << QByteArray("[]") << int(Kind::malformedResponse) << 0 << "";
        QTest::newRow("404 array: shape before status")
            << 404 << QByteArray(R"([{"error":"x"}])") << int(Kind::malformedResponse) << 0 << "";
        QTest::newRow("200 without choices")
            << 200 << QByteArray(R"({"id":"x"})") << int(Kind::malformedResponse) << 0 << "";
        QTest::newRow("502 HTML") << 502 << QByteArray("<html><body>Bad gateway</body></html>")
                                  << int(Kind::invalidJSON) << 0 << "";
        QTest::newRow("200 cut mid-JSON")
            << 200 << QByteArray(R"({"choices":[{"message":{"content":"x"}}]})").left(20)
            << int(Kind::invalidJSON) << 0 << "";
        QTest::newRow("500 empty body") << 500 << QByteArray() << int(Kind::invalidJSON) << 0 << "";
    }
    void interpretReplyErrors() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(int, errorStatus);
        QFETCH(QString, detail);

        const AIProviderResult result = OpenAIChatCodec::interpretReply(status, body);
        QVERIFY(!result.ok());
        QCOMPARE(int(result.error().kind()), kind);
        QCOMPARE(result.error().status(), errorStatus);
        if (kind == int(AIProviderError::Kind::invalidJSON))
            QVERIFY(!result.error().detail().isEmpty());
        else
            QCOMPARE(result.error().detail(), detail);
    }

    void interpretReplyDecodesSuccess_data() {
        QTest::addColumn<int>("status");
        QTest::newRow("200") << 200;
        QTest::newRow("299") << 299;
    }
    void interpretReplyDecodesSuccess() {
        QFETCH(int, status);
        const AIProviderResult result =
            OpenAIChatCodec::interpretReply(status, R"({"choices":[{"message":{"content":"Hi"}}]})");
        QVERIFY(result.ok());
        QCOMPARE(result.value().text, QString("Hi"));
    }
};

QTEST_GUILESS_MAIN(TestOpenAIChatCodec)
#include "test_openai_chat_codec.moc"
