// The merit cell's tooltip: its wording for each answer, and the window
// answering a tooltip request over a merit cell with what the registry says.
#include "filtertablefixture.h"
#include "merittext.h"
#include "mediatypes.h"
#include "merittooltip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

namespace {

MappedFilter filter(const char *clsid, const char *name, uint32_t merit)
{
    return MappedFilter{clsid, name, merit};
}

const Guid video = mediaTypeVideo;
const Guid h264 = fourccGuid(0x34363248);

} // namespace

class MeritToolTipTest : public QObject, public FilterTableFixture
{
    Q_OBJECT

private slots:
    void wording();
    void mediaTypeNames();
    void hoveringAMeritCellShowsWhatIsTriedBeforeIt();
};

void MeritToolTipTest::wording()
{
    MeritStanding standing;
    standing.reading = MeritStanding::Read;
    standing.type = PinMediaType{video, h264};
    standing.merit = 0x600000;
    QString text = meritToolTipText(standing);
    QCOMPARE(text, QString("For Video H264:\nTried first: no other filter registered for this type has a higher "
                           "merit."));

    // At most five listed; a known filter's merit in the window's own form.
    for (uint32_t i = 0; i < 7; ++i)
        standing.before.push_back(filter("{X}", qPrintable(QString("Other %1").arg(i)), 0x700000 - i));
    standing.before[0] = filter(knownFilterRows[0].clsid, knownFilterRows[0].name, knownFilterRows[0].defaultMerit);
    standing.tied.push_back(filter("{Y}", "", 0x600000));
    text = meritToolTipText(standing);
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 1 + 1 + 5 + 1 + 1 + 1);
    QCOMPARE(lines[2], QString("    Kestrane H.264 Video Decoder (Default, 0x00800000)"));
    QCOMPARE(lines[3], QString("    Other 1 (0x006FFFFF)"));
    QCOMPARE(lines[7], QString("    and 2 more"));
    QCOMPARE(lines[9], QString("    {Y} (0x00600000)")); // a filter without a name goes by its CLSID
    QVERIFY(!text.contains("Windows"));

    // The system's lists only where its plug-in control exists.
    standing.system.present = true;
    QVERIFY(!meritToolTipText(standing).contains("Windows"));
    standing.system.preferredClsid = "{P}";
    standing.system.disabled = true;
    text = meritToolTipText(standing);
    QVERIFY(text.contains("preferred filters names {P} for H264"));
    QVERIFY(text.contains("disabled filters: it is never used"));
    standing.preferredName = "Preferred Decoder";
    QVERIFY(meritToolTipText(standing).contains("names Preferred Decoder for H264"));
    standing.preferredName = "\xE8\xA7\xA3\xE7\xA0\x81\xE5\x99\xA8"; // names arrive in UTF-8
    QVERIFY(meritToolTipText(standing).contains(QString::fromUtf8("names \xE8\xA7\xA3\xE7\xA0\x81\xE5\x99\xA8 for")));

    // A mapper that could not be asked answers nothing, least of all "Tried first".
    MeritStanding failed = standing;
    failed.reading = MeritStanding::MapperFailed;
    failed.mapperStatus = int32_t(0x80040154);
    failed.before.clear();
    QCOMPARE(meritToolTipText(failed),
             QString("For Video H264:\nDirectShow could not be asked which filters it tries before this one (error "
                     "0x80040154)."));

    standing.merit = 0x200000; // the graph builder never tries it, whatever else is registered
    QVERIFY(meritToolTipText(standing).contains("Never tried when DirectShow builds a graph by "
                                                               "itself: its merit is Disable (0x00200000) or lower."));
    standing.reading = MeritStanding::Unreadable;
    QVERIFY(meritToolTipText(standing).contains("never offers this filter"));
}

void MeritToolTipTest::mediaTypeNames()
{
    QCOMPARE(mediaTypeText(PinMediaType{video, h264}), QString("Video H264"));
    QCOMPARE(mediaTypeText(PinMediaType{mediaTypeAudio, fourccGuid(0x2000)}), QString("Audio Dolby AC-3"));
    QCOMPARE(mediaTypeText(PinMediaType{mediaTypeStream, Guid{}}), QString("Stream (any subtype)"));
    // DirectShow's own MPEG-2 subtypes have names too, not only FOURCCs.
    const Guid dolbyAc3 = {0xE06D802C, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};
    QCOMPARE(mediaTypeText(PinMediaType{mediaTypeAudio, dolbyAc3}), QString("Audio Dolby AC-3"));
    const Guid unnamed = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    QCOMPARE(mediaTypeText(PinMediaType{unnamed, {0x0001F00D, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}}}),
             QString("{12345678-9ABC-DEF0-0102-030405060708} {0001F00D-0000-0010-8000-00AA00389B71}"));
}

void MeritToolTipTest::hoveringAMeritCellShowsWhatIsTriedBeforeIt()
{
    setUpRegistry();
    registerFilters(SlotRange{0, 1}); // the H.264 decoder and its software twin, one merit below
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget *viewport = table->viewport();
    for (int slot : {1, 0}) {
        const int row = rowOfSlot(slot);
        const QPoint at = table->visualItemRect(table->item(row, ColumnCurrentMerit)).center();
        QHelpEvent request(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &request);
        QTRY_VERIFY(QToolTip::isVisible());
        if (slot == 1)
            QVERIFY2(QToolTip::text().contains("before it:<br>    Kestrane H.264 Video Decoder (Default, 0x00800000)"),
                     qPrintable(QToolTip::text()));
        else
            QVERIFY2(QToolTip::text().contains("Tried first"), qPrintable(QToolTip::text()));
        QToolTip::hideText();
    }
    // Other columns keep their own tooltips: the location's is its path.
    const QPoint at = table->visualItemRect(table->item(rowOfSlot(0), ColumnLocation)).center();
    QHelpEvent request(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), table->item(rowOfSlot(0), ColumnLocation)->text());
    QToolTip::hideText();
    tearDown();
}

QTEST_MAIN(MeritToolTipTest)
#include "merittooltip_test.moc"
