// The merit text forms: the table's texts and their way back to merits.
#include "appconstants.h"
#include "merittext.h"
#include "pivoracentral.h"
#include "testsupport.h"

#include <QtTest>

#include "knownfilterrows.h"

class MeritTextTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { window = new PivoraCentral; }
    void cleanup() { delete window; }

    void meritToTextPrecedence_data();
    void meritToTextPrecedence();
    void textToMeritNamesAreExactAndCaseSensitive();
    void roundTripOverManyMerits();
    void hexTextAndParsing();
    void choiceIdsAndNames();

private:
    testsupport::ScopedRegistry registry; // an empty registry: no rows
    PivoraCentral *window = nullptr;
};

void MeritTextTest::meritToTextPrecedence_data()
{
    QTest::addColumn<quint32>("merit");
    QTest::addColumn<quint32>("defaultMerit");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero before everything") << 0u << 0u << "0";
    QTest::newRow("zero with another default") << 0u << 0x600000u << "0";
    QTest::newRow("default") << 0x600000u << 0x600000u << "Default";
    QTest::newRow("default before disable") << 0x200000u << 0x200000u << "Default";
    QTest::newRow("disable") << 0x200000u << 0x600000u << "Disable";
    QTest::newRow("default before high") << 0xFFFFFFFFu << 0xFFFFFFFFu << "Default";
    QTest::newRow("high") << 0xFFFFFFFFu << 0x800000u << "High";
    QTest::newRow("custom") << 0x1FFFFFu << 0x600000u << "0x001FFFFF";
    QTest::newRow("one") << 1u << 0x600000u << "0x00000001";
    QTest::newRow("one below high") << 0xFFFFFFFEu << 0x600000u << "0xFFFFFFFE";
}

void MeritTextTest::meritToTextPrecedence()
{
    QFETCH(quint32, merit);
    QFETCH(quint32, defaultMerit);
    QFETCH(QString, text);
    QCOMPARE(window->meritToText(merit, defaultMerit), text);
}

void MeritTextTest::textToMeritNamesAreExactAndCaseSensitive()
{
    QCOMPARE(window->textToMerit("Default", 0), knownFilterRows[0].defaultMerit);
    QCOMPARE(window->textToMerit("Default", 47), 0x1FFFFFu);
    QCOMPARE(window->textToMerit("Default", 52), 0u);  // empty slot: falls through to hex, which fails
    QCOMPARE(window->textToMerit("Default", 255), 0u);
    QCOMPARE(window->textToMerit("default", 0), 0u);
    QCOMPARE(window->textToMerit("Disable", 52), 0x200000u);
    QCOMPARE(window->textToMerit("High", 52), 0xFFFFFFFFu);
    QCOMPARE(window->textToMerit("HIGH", 0), 0u);
    QCOMPARE(window->textToMerit("Custom", 0), 0u);
    QCOMPARE(window->textToMerit("0", 0), 0u);
    QCOMPARE(window->textToMerit("0x00200000", 0), 0x200000u);
    QCOMPARE(window->textToMerit("00200000", 0), 0x200000u);
    // Qt's base-16 conversion takes "0X" itself, after the "0x" prefix rule.
    QCOMPARE(window->textToMerit("0X00200000", 0), 0x200000u);
}

void MeritTextTest::roundTripOverManyMerits()
{
    QList<quint32> merits = {0u, 1u, 0x1FFFFFu, 0x200000u, 0x200001u, 0x5FFFFFu, 0x600000u, 0x800000u,
                             0x800101u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    quint32 x = 0x12345678u;
    for (int i = 0; i < 2000; ++i) {
        x = x * 1664525u + 1013904223u;
        merits << x;
    }
    for (int index = 0; index < knownFilterRowCount; ++index) {
        const quint32 d = knownFilterRows[index].defaultMerit;
        for (quint32 m : merits + QList<quint32>{d, d + 1, d - 1})
            QCOMPARE(window->textToMerit(window->meritToText(m, d), unsigned(index)), m);
    }
}

void MeritTextTest::hexTextAndParsing()
{
    QCOMPARE(meritHexText(0), QString("0x00000000"));
    QCOMPARE(meritHexText(0x200000), QString("0x00200000"));
    QCOMPARE(meritHexText(0x1FFFFF), QString("0x001FFFFF"));
    QCOMPARE(meritHexText(0xFFFFFFFFu), QString("0xFFFFFFFF"));
    QCOMPARE(meritHexText(0xABCDEF), QString("0x00ABCDEF"));
    QCOMPARE(parseMeritHex(""), 0u);
    QCOMPARE(parseMeritHex("0x"), 0u);
    QCOMPARE(parseMeritHex("0x1G"), 0u);
    QCOMPARE(parseMeritHex("0xffffffff"), 0xFFFFFFFFu);
    QCOMPARE(parseMeritHex("1ffffff"), 0x1FFFFFFu);
    QCOMPARE(parseMeritHex("0x100000000"), 0u); // more than 32 bits
    QCOMPARE(parseMeritHex("0X10"), 0x10u);
    QCOMPARE(parseMeritHex("0x0x10"), 0x10u);
    QCOMPARE(parseMeritHex(" 10"), 0x10u);
}

void MeritTextTest::choiceIdsAndNames()
{
    QCOMPARE(meritIdText(MeritIdDefault), QString("Default"));
    QCOMPARE(meritIdText(MeritIdDisable), QString("Disable"));
    QCOMPARE(meritIdText(MeritIdHigh), QString("High"));
    QCOMPARE(meritIdText(MeritIdCustom), QString("Custom"));
    QVERIFY(meritIdText(3).isNull());
    QVERIFY(meritIdText(-1).isNull());
    QCOMPARE(meritIdOf(0, 0x600000), MeritIdCustom);
    QCOMPARE(meritIdOf(0, 0), MeritIdDefault);
    QCOMPARE(meritIdOf(0x200000, 0x200000), MeritIdDefault);
    QCOMPARE(meritIdOf(0x200000, 0x600000), MeritIdDisable);
    QCOMPARE(meritIdOf(0xFFFFFFFFu, 0x600000), MeritIdHigh);
    QCOMPARE(meritIdOf(0x600001, 0x600000), MeritIdCustom);
    QCOMPARE(applicationTitle, QString("Kestrane Pivora!"));
}

QTEST_MAIN(MeritTextTest)
#include "merittext_test.moc"
