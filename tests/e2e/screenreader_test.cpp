// pivora.exe as a screen reader meets it: from another process, through
// Windows' own accessibility interfaces, UI Automation's client functions
// and oleacc's AccessibleObjectFromWindow, the names of the window and its table.
// Where the system cannot reach below the window (Wine 8's UI Automation
// finds no child of a provider in another process, and its oleacc gets its
// own object for the window), the test says what it got and skips.
#include "filtertablefixture.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <windows.h>
#include <oleacc.h>

namespace {

const int h264 = 0;
const wchar_t kTitle[] = L"Kestrane Pivora!";
const int kNameProperty = 30005; // UIA_NamePropertyId

// UI Automation's node functions, as UIAutomationCore.dll exports them.
typedef void *HUIANODE;
struct UiaCondition {
    int type; // ConditionType_True: 0
};
struct UiaCacheRequest {
    UiaCondition *viewCondition;
    int scope; // TreeScope_Element: 1
    int *properties;
    int propertyCount;
    int *patterns;
    int patternCount;
    int mode; // AutomationElementMode_Full: 1
};
typedef HRESULT(WINAPI *NodeFromHandle)(HWND, HUIANODE *);
typedef HRESULT(WINAPI *GetPropertyValue)(HUIANODE, int, VARIANT *);
typedef HRESULT(WINAPI *Navigate)(HUIANODE, int, UiaCondition *, UiaCacheRequest *, SAFEARRAY **, BSTR *);

QString text(const VARIANT &value)
{
    return value.vt == VT_BSTR && value.bstrVal ? QString::fromWCharArray(value.bstrVal) : QString();
}

} // namespace

class ScreenReaderTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void windowAndTableAreNamedThroughWindowsOwnInterfaces();
};

void ScreenReaderTest::windowAndTableAreNamedThroughWindowsOwnInterfaces()
{
    setUpRegistry();
    registerFilters({h264, h264});
    QProcess pivora;
    pivora.start(QDir::toNativeSeparators(QString::fromStdString(testsupport::programFolder()) + "pivora.exe"),
                 QStringList());
    QVERIFY(pivora.waitForStarted());
    HWND window = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((window = FindWindowW(nullptr, kTitle)) != nullptr, 30000);
    QTest::qWait(1000); // its table filled

    // oleacc, as older screen readers ask.
    IAccessible *client = nullptr;
    static const GUID iidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    long msaaChildren = -1;
    QString msaaName;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), iidAccessible,
                                             reinterpret_cast<void **>(&client)))) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (SUCCEEDED(client->get_accName(self, &name)) && name)
            msaaName = QString::fromWCharArray(name);
        client->get_accChildCount(&msaaChildren);
        client->Release();
    }

    // UI Automation: the window's node, then its tree.
    HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
    QVERIFY(core);
    NodeFromHandle nodeFromHandle = NodeFromHandle(GetProcAddress(core, "UiaNodeFromHandle"));
    GetPropertyValue getPropertyValue = GetPropertyValue(GetProcAddress(core, "UiaGetPropertyValue"));
    Navigate navigate = Navigate(GetProcAddress(core, "UiaNavigate"));
    QVERIFY(nodeFromHandle && getPropertyValue && navigate);
    HUIANODE root = nullptr;
    QCOMPARE(nodeFromHandle(window, &root), S_OK);
    VARIANT rootName;
    VariantInit(&rootName);
    QCOMPARE(getPropertyValue(root, kNameProperty, &rootName), S_OK);
    QCOMPARE(text(rootName), QString::fromWCharArray(kTitle)); // Qt's provider answers for the window
    // Its first child, as a screen reader's walk of the tree begins.
    UiaCondition all{0};
    int name = kNameProperty;
    UiaCacheRequest request{&all, 1, &name, 1, nullptr, 0, 1};
    SAFEARRAY *child = nullptr;
    BSTR tree = nullptr;
    const HRESULT navigated = navigate(root, 2 /* first child */, &all, &request, &child, &tree);
    qInfo("oleacc: \"%s\" with %ld children; UI Automation: \"%s\", its first child %s (0x%lx)",
          qPrintable(msaaName), msaaChildren, qPrintable(text(rootName)), child ? "found" : "not found",
          long(navigated));
    pivora.kill();
    pivora.waitForFinished();
    tearDown();
    if (!child && msaaChildren <= 0)
        QSKIP("Only the window answers through Windows' interfaces here: UI Automation reaches Qt's provider "
              "for its name but finds none of its children, and oleacc gets the system's own object for it");
    // The window's children, as far as the table that names its view.
    QStringList names;
    for (int sibling = 0; child && sibling < 20; ++sibling) {
        LONG at[2] = {0, 0};
        VARIANT node, nodeName;
        VariantInit(&node);
        VariantInit(&nodeName);
        SafeArrayGetElement(child, at, &node);
        at[1] = 1;
        SafeArrayGetElement(child, at, &nodeName);
        names << text(nodeName);
        child = nullptr;
        if (node.vt == VT_UNKNOWN)
            navigate(HUIANODE(node.punkVal), 3 /* next sibling */, &all, &request, &child, &tree);
    }
    QVERIFY2(names.contains("Filters of 64-bit players"), qPrintable(names.join(", ")));
}

QTEST_MAIN(ScreenReaderTest)
#include "screenreader_test.moc"
