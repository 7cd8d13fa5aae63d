// Registry names that only tests use.
#ifndef TESTKEYS_H
#define TESTKEYS_H

namespace testkeys {

// A key of the tests' own under HKEY_CLASSES_ROOT, wiped before and after.
const char sandboxKey[] = "KestraneContractTest";

// Filters of the tests' own, unknown to the catalogue.
const char testFilterClsid[] = "{0B1D2C3E-4F50-4617-A8B9-CADBECFD0E1F}";
const char otherFilterClsid[] = "{F1E2D3C4-B5A6-4978-8695-A4B3C2D1E0F9}";
const char *const testClsids[] = {testFilterClsid, otherFilterClsid};

// The test server registers itself under this class key.
const char testServerKey[] = "KestraneContractTest\\TestServer";

} // namespace testkeys

#endif
