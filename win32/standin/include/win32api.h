// The Win32 API subset this system calls, for builds that are not Windows.
//
// The build file puts this directory on the include path instead of
// win32/windows, so every caller writes `#include "win32api.h"` and never
// tests the platform itself. Types, constants and error numbers carry their
// Windows values; the functions are implemented by the stand-in library
// (win32/standin/src) on top of a registry file, fork/exec and stdio.
//
// Deliberate differences from Windows, all invisible to the callers:
// - WCHAR is the platform's wchar_t (32-bit here), so wide byte counts are
//   "characters * sizeof(WCHAR)", never a literal 2. A character beyond the
//   Basic Multilingual Plane is one WCHAR here and a surrogate pair, also
//   4 bytes, on Windows.
// - The "ANSI code page" of the narrow registry functions is Latin-1: each
//   byte maps to the UTF-16 code unit of the same value and back, losslessly.
// - The system folders are POSIX paths; a backslash in a program or file
//   name given to the shell or to _wfopen_s is a folder separator, as on
//   Windows.
#ifndef WIN32API_H
#define WIN32API_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#define WINAPI
#define APIENTRY
#define CALLBACK

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef wchar_t WCHAR;
typedef BYTE *LPBYTE;
typedef DWORD *LPDWORD;
typedef void *LPVOID;
typedef void *PVOID;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef const wchar_t *LPCWSTR;
typedef wchar_t *LPWSTR;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LPARAM;
typedef int32_t HRESULT;
typedef DWORD REGSAM;
typedef int errno_t;
typedef void *HANDLE;

struct HKEY__;
typedef HKEY__ *HKEY;
typedef HKEY *PHKEY;
struct HWND__;
typedef HWND__ *HWND;
struct HINSTANCE__;
typedef HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
struct HICON__;
typedef HICON__ *HICON;

#define TRUE 1
#define FALSE 0

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)

#define MAX_PATH 260

// Error numbers (winerror.h).
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_DATA 13L
#define ERROR_WRITE_FAULT 29L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_BAD_ARGUMENTS 160L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_NOACCESS 998L
#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L
#define S_OK ((HRESULT)0)
#define E_NOTIMPL ((HRESULT)0x80004001u)
#define E_FAIL ((HRESULT)0x80004005u)

// Registry value types, access rights and options (winnt.h).
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define DELETE 0x00010000
#define READ_CONTROL 0x00020000
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Shell execution (shellapi.h, winuser.h).
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SW_SHOWNORMAL 1
#define SE_ERR_FNF 2
#define SE_ERR_NOASSOC 31
#define SE_ERR_ACCESSDENIED 5
#define ERROR_CANCELLED 1223L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NOT_OWNER 288L

// Waiting (winbase.h).
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

// Message boxes (winuser.h).
#define MB_OK 0x00000000
#define IDOK 1

// DLL entry point reason (winnt.h).
#define DLL_PROCESS_ATTACH 1

// Control Panel applet protocol (cpl.h).
#define CPL_INIT 1
#define CPL_GETCOUNT 2
#define CPL_INQUIRE 3
#define CPL_SELECT 4
#define CPL_DBLCLK 5
#define CPL_STOP 6
#define CPL_EXIT 7
#define CPL_NEWINQUIRE 8
#define CPL_STARTWPARMSA 9
#define CPL_STARTWPARMS CPL_STARTWPARMSA
#define CPL_STARTWPARMSW 10
#define CPL_SETUP 200

#pragma pack(push, 1)
typedef struct tagCPLINFO {
    int idIcon;
    int idName;
    int idInfo;
    LONG_PTR lData;
} CPLINFO, *LPCPLINFO;
#pragma pack(pop)

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

typedef struct _SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void *lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;

// advapi32
//
// Roots: HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (the
// one user's settings, in the same file, in no view). The stand-in models 64-bit
// Windows with its two registry views: in the 32-bit view (KEY_WOW64_32KEY,
// or no view flag in a process started with WIN32_STANDIN_PROCESS_BITS=32)
// HKEY_CLASSES_ROOT\X is HKEY_CLASSES_ROOT\WOW6432Node\X and
// HKEY_LOCAL_MACHINE\SOFTWARE is HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node.
// WIN32_STANDIN_WINDOWS_BITS=32 models 32-bit Windows: one view, flags ignored.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const void *lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE *lpData, DWORD cbData);
LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType,
                    const BYTE *lpData, DWORD cbData);
// Subkeys come in the registry's order: names compared without case.
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
// Values come in no order a caller may rely on (see registry.cpp).
LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LONG RegCloseKey(HKEY hKey);

// shlwapi
DWORD SHDeleteKeyA(HKEY hKey, LPCSTR pszSubKey);
// Asynchronous only (fAsynchronous TRUE, with an event): the event is set
// once the registry file changes after the call, whichever key changed
// (the stand-in keeps one file), as Windows sets it once per call.
#define REG_NOTIFY_CHANGE_NAME 0x00000001L
#define REG_NOTIFY_CHANGE_LAST_SET 0x00000004L
LONG RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree, DWORD dwNotifyFilter, HANDLE hEvent, BOOL fAsynchronous);

// shell32
BOOL ShellExecuteExW(SHELLEXECUTEINFOW *pExecInfo);
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd);

// kernel32
// Events and mutexes: WaitForSingleObject and CloseHandle take them as well
// as process handles.
typedef void *PSECURITY_DESCRIPTOR;
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// Named mutexes reach across processes through a lock file per name beside
// the registry file: a mutex whose holder died holding it is handed to the
// next waiter with WAIT_ABANDONED, as Windows does. Ownership is per thread
// and counted: the owner's waits succeed at once, each needs its release.
// Unnamed mutexes are not modelled (ERROR_INVALID_PARAMETER). The security
// attributes are taken and not enforced.
#define SYNCHRONIZE 0x00100000L
#define MUTEX_MODIFY_STATE 0x0001
#define CREATE_MUTEX_INITIAL_OWNER 0x00000001
HANDLE CreateMutexExW(LPSECURITY_ATTRIBUTES lpMutexAttributes, LPCWSTR lpName, DWORD dwFlags, DWORD dwDesiredAccess);
BOOL ReleaseMutex(HANDLE hMutex);
BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
BOOL CloseHandle(HANDLE hObject);
void OutputDebugStringA(LPCSTR lpOutputString);
DWORD GetLastError(void);
// Length without the terminator, or the size needed with it when `uSize` is
// too small. The system folder is the stand-in's (where its regsvr32 is);
// the WOW64 one is its "syswow64" subfolder, and fails with
// ERROR_CALL_NOT_IMPLEMENTED when WIN32_STANDIN_WINDOWS_BITS=32.
UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
UINT GetSystemWow64DirectoryW(LPWSTR lpBuffer, UINT uSize);
void SetLastError(DWORD dwErrCode);
// The system's text for an error number, English only, for the numbers this
// system meets; zero with ERROR_MR_MID_NOT_FOUND for others, which callers
// then show by number.
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define ERROR_MR_MID_NOT_FOUND 317L
DWORD FormatMessageW(DWORD dwFlags, const void *lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, void *Arguments);
// A security descriptor from its text form: the stand-in keeps none, and
// hands out a block for LocalFree.
#define SDDL_REVISION_1 1
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR StringSecurityDescriptor, DWORD StringSDRevision,
                                                          PSECURITY_DESCRIPTOR *SecurityDescriptor,
                                                          ULONG *SecurityDescriptorSize);
void *LocalFree(void *hMem);

// user32
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
// SPI_GETHIGHCONTRAST only: a high-contrast theme is on when the "Flags"
// value of HKEY_CURRENT_USER\Control Panel\Accessibility\HighContrast in the
// registry file, a decimal REG_SZ as Windows keeps it, holds
// HCF_HIGHCONTRASTON. Without the value the flags are 0, as Wine (which
// reads no such value) always answers. `cbSize` must be the structure's size.
#define SPI_GETHIGHCONTRAST 0x0042
#define HCF_HIGHCONTRASTON 0x00000001
#define HCF_AVAILABLE 0x00000002
typedef struct tagHIGHCONTRASTW {
    UINT cbSize;
    DWORD dwFlags;
    LPWSTR lpszDefaultScheme;
} HIGHCONTRASTW, *LPHIGHCONTRASTW;
BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

// C runtime
errno_t _wfopen_s(FILE **pFile, const wchar_t *filename, const wchar_t *mode);
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
DWORD GetFileAttributesW(LPCWSTR lpFileName);

#endif
