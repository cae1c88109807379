#include "api_client/percent_encoding.h"
#include "api_client/querystring_state.h"

#include <QTest>

using namespace tarimo::api_client;

using KeyValues = QuerystringState::KeyValues;
Q_DECLARE_METATYPE(KeyValues)

class QuerystringStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsing_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<KeyValues>("expected");
        QTest::newRow("repeated names, escapes, plus")
            << "a=1&a=2&b=x%20y+z" << KeyValues{{"a", {"1", "2"}}, {"b", {"x y z"}}};
        // Decoding comes first, so an escaped plus is a space too.
        QTest::newRow("escaped plus") << "a=%2B" << KeyValues{{"a", {" "}}};
        QTest::newRow("lone equals sign, skipped parts") << "a&=&b=1=2" << KeyValues{{"", {""}}};
        QTest::newRow("empty value") << "a=" << KeyValues{{"a", {""}}};
        QTest::newRow("repeated value collapses") << "a=1&a=1" << KeyValues{{"a", {"1"}}};
        QTest::newRow("name not decoded") << "a%20b=1" << KeyValues{{"a%20b", {"1"}}};
        QTest::newRow("malformed escape keeps value and plus") << "a=1%2+x" << KeyValues{{"a", {"1%2+x"}}};
        QTest::newRow("not UTF-8 stays undecoded") << "a=%FF+" << KeyValues{{"a", {"%FF+"}}};
        QTest::newRow("UTF-8 escape") << "z=%C3%B6re" << KeyValues{{"z", {QStringLiteral("\u00F6re")}}};
        QTest::newRow("empty text") << "" << KeyValues{};
    }
    void parsing()
    {
        QFETCH(QString, query);
        QFETCH(KeyValues, expected);
        QCOMPARE(QuerystringState(QStringView(query)).keyValues, expected);
    }

    void merging_data()
    {
        QTest::addColumn<KeyValues>("newValues");
        QTest::addColumn<QStringList>("namesToRemove");
        QTest::addColumn<KeyValues>("existing");
        QTest::addColumn<KeyValues>("expected");
        // Emptiness is tested before trimming: spaces become an empty value.
        QTest::newRow("spaces kept as empty value")
            << KeyValues{{"b", {"", " "}}} << QStringList() << KeyValues{{"b", {"x"}}} << KeyValues{{"b", {""}}};
        QTest::newRow("only empty removes the name")
            << KeyValues{{"b", {""}}} << QStringList() << KeyValues{{"b", {"x"}}, {"c", {"1"}}}
            << KeyValues{{"c", {"1"}}};
        QTest::newRow("trims white space and line breaks")
            << KeyValues{{"a", {" q ", "\tr\n"}}} << QStringList() << KeyValues{} << KeyValues{{"a", {"q", "r"}}};
        QTest::newRow("replaces, does not add")
            << KeyValues{{"a", {"2"}}} << QStringList() << KeyValues{{"a", {"1"}}} << KeyValues{{"a", {"2"}}};
        QTest::newRow("names to remove")
            << KeyValues{} << QStringList{"a", "B"} << KeyValues{{"a", {"1"}}, {"b", {"2"}}}
            << KeyValues{{"b", {"2"}}};
        QTest::newRow("trimmed values collapse")
            << KeyValues{{"a", {"q", " q"}}} << QStringList() << KeyValues{} << KeyValues{{"a", {"q"}}};
    }
    void merging()
    {
        QFETCH(KeyValues, newValues);
        QFETCH(QStringList, namesToRemove);
        QFETCH(KeyValues, existing);
        QFETCH(KeyValues, expected);
        QCOMPARE(QuerystringState::merging(newValues, namesToRemove, existing), expected);
    }

    void operations()
    {
        const QuerystringState state(KeyValues{{"a", {"1", "2"}}, {"page_size", {"10"}}, {"pageSize", {"5"}}});
        QCOMPARE(state.values(QStringLiteral("a")), (std::set<QString>{"1", "2"}));
        QCOMPARE(state.values(QStringLiteral("missing")), std::nullopt);

        QCOMPARE(state.setting(QStringLiteral("a"), {" 3 "}).keyValues,
                    (KeyValues{{"a", {"3"}}, {"page_size", {"10"}}, {"pageSize", {"5"}}}));
        QCOMPARE(state.removingValue(QStringLiteral("1"), QStringLiteral("a")).keyValues,
                    (KeyValues{{"a", {"2"}}, {"page_size", {"10"}}, {"pageSize", {"5"}}}));
        // The last value gone takes its name with it.
        QCOMPARE(state.removingValue(QStringLiteral("10"), QStringLiteral("page_size")).keyValues,
                    (KeyValues{{"a", {"1", "2"}}, {"pageSize", {"5"}}}));
        QCOMPARE(state.removingValue(QStringLiteral("1"), QStringLiteral("missing")), state);
        QCOMPARE(state.removingUnderscoredKeys().keyValues, (KeyValues{{"a", {"1", "2"}}, {"pageSize", {"5"}}}));
    }

    void queryStringAndItems()
    {
        // Upper-case letters sort before lower-case ones: byte order.
        const QuerystringState state(KeyValues{{"a", {"z", "b"}}, {"C", {"1"}}});
        QCOMPARE(state.queryString(), QStringLiteral("C=1&a=b&a=z"));
        const QuerystringState::QueryItems expected{{"C", "1"}, {"a", "b"}, {"a", "z"}};
        QCOMPARE(state.queryItems(), expected);

        const QuerystringState encoded(KeyValues{{"q", {"a b-c.d_e~f", QStringLiteral("\u00E5\u00E4\u00F6")}}});
        QCOMPARE(encoded.queryString(), QStringLiteral("q=a%20b%2Dc%2Ed%5Fe%7Ef&q=\u00E5\u00E4\u00F6"));
        // A value with no UTF-8 form gives no pair.
        const QuerystringState broken(KeyValues{{"q", {QString(QChar(0xD800)), "ok"}}});
        QCOMPARE(broken.queryString(), QStringLiteral("q=ok"));
    }

    void urlWithQuery_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<KeyValues>("parameters");
        QTest::addColumn<QString>("expectedQuery");
        QTest::newRow("merged and sorted") << "https://h.example/p?c=3&a=1" << KeyValues{{"b", {"2"}}}
                                           << "a=1&b=2&c=3";
        QTest::newRow("empty map normalises") << "https://h.example/p?b=2&a=1" << KeyValues{} << "a=1&b=2";
        // The query is read decoded and then parsed, which decodes again.
        QTest::newRow("escaped ampersand splits") << "https://h.example/p?a=x%26y" << KeyValues{} << "a=x";
        QTest::newRow("escape resolved twice") << "https://h.example/p?a=%2541" << KeyValues{} << "a=A";
        QTest::newRow("space written escaped") << "https://h.example/p" << KeyValues{{"note", {"a b"}}}
                                               << "note=a%20b";
        QTest::newRow("delimiters in values escaped")
            << "https://h.example/p" << KeyValues{{"q", {"a&b=c+d#e%f"}}} << "q=a%26b%3Dc%2Bd%23e%25f";
        QTest::newRow("new value replaces old") << "https://h.example/p?a=1" << KeyValues{{"a", {"2"}}} << "a=2";
        QTest::newRow("non-ASCII") << "https://h.example/p" << KeyValues{{"z", {QStringLiteral("\u00F6")}}}
                                   << "z=%C3%B6";
    }
    void urlWithQuery()
    {
        QFETCH(QString, url);
        QFETCH(KeyValues, parameters);
        QFETCH(QString, expectedQuery);
        const auto result = tarimo::api_client::urlWithQuery(URLRequest(QUrl(url)), parameters);
        QVERIFY(result);
        QCOMPARE(result->query(QUrl::FullyEncoded), expectedQuery);
        QCOMPARE(result->path(), QUrl(url).path());
        QCOMPARE(result->host(), QUrl(url).host());
    }

    void urlWithQueryEdges()
    {
        QCOMPARE(tarimo::api_client::urlWithQuery(std::nullopt, {}), std::nullopt);
        QCOMPARE(tarimo::api_client::urlWithQuery(URLRequest(), {{"a", {"1"}}}), std::nullopt);
        const auto emptied = tarimo::api_client::urlWithQuery(URLRequest(QUrl(QStringLiteral("https://h.example/p?a="))),
                                                              KeyValues{{"a", {""}}});
        QVERIFY(emptied && !emptied->hasQuery());
    }

    void percentEncoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("unreserved characters too") << "a b-c" << "a%20b%2Dc";
        QTest::newRow("letters, marks, digits kept") << QStringLiteral("\u00C5e\u0301\u0663Z9")
                                                     << QStringLiteral("\u00C5e\u0301\u0663Z9");
        QTest::newRow("outside the BMP") << QStringLiteral("\U0001F600\U00010400")
                                         << QStringLiteral("%F0%9F%98%80\U00010400");
        QTest::newRow("symbols and punctuation") << QStringLiteral("%&=+/\u00B2") << "%25%26%3D%2B%2F%C2%B2";
        QTest::newRow("empty") << "" << "";
    }
    void percentEncoding()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        QCOMPARE(percentEncoded(text), encoded);
        QCOMPARE(removingPercentEncoding(encoded), text);
    }

    void percentEncodingFailures()
    {
        QCOMPARE(percentEncoded(QString(QChar(0xDC00))), std::nullopt);
        QCOMPARE(percentEncoded(QStringLiteral("a") + QChar(0xD800)), std::nullopt);
        QCOMPARE(removingPercentEncoding(u"%"), std::nullopt);
        QCOMPARE(removingPercentEncoding(u"%G1"), std::nullopt);
        QCOMPARE(removingPercentEncoding(u"%C3"), std::nullopt);
        QCOMPARE(removingPercentEncoding(u"plain+text"), QStringLiteral("plain+text"));
    }
};

QTEST_GUILESS_MAIN(QuerystringStateTest)
#include "querystring_state_test.moc"
