// Registry names that only tests use.
#ifndef TESTKEYS_H
#define TESTKEYS_H

namespace testkeys {

// A key of the tests' own under HKEY_CLASSES_ROOT, wiped before and after.
const char sandboxKey[] = "KestraneContractTest";

// Filters of the tests' own, unknown to the catalogue.
const char testFilterClsid[] = "{0B1D2C3E-4F50-4617-A8B9-CADBECFD0E1F}";
const char otherFilterClsid[] = "{F1E2D3C4-B5A6-4978-8695-A4B3C2D1E0F9}";
// Decoders of the tests' own beside a sample filter, for the mapper's order.
const char aboveFilterClsid[] = "{3A0E1C2B-5D4F-4E61-8A7B-9C0D1E2F3A4B}";
const char belowFilterClsid[] = "{5B1F2D3C-6E50-4F72-9B8C-AD1E2F304B5C}";
const char sameFilterClsid[] = "{7C203E4D-7F61-4083-AC9D-BE2F30415C6D}";
const char brokenFilterClsid[] = "{9D314F5E-8072-4194-BDAE-CF3041526D7E}";
const char *const testClsids[] = {testFilterClsid, otherFilterClsid, aboveFilterClsid,
                                  belowFilterClsid, sameFilterClsid, brokenFilterClsid};

// A class key of the tests' own, written in both registry views, and a key
// of theirs below HKEY_LOCAL_MACHINE\SOFTWARE.
const char viewTestClassKey[] = "CLSID\\{2E4F6A8C-0B1D-4E3F-9A7C-5D6E7F8091A2}";
const char viewTestSoftwareKey[] = "SOFTWARE\\KestraneContractTest";

// The test server registers itself under this class key.
const char testServerKey[] = "KestraneContractTest\\TestServer";

} // namespace testkeys

#endif
