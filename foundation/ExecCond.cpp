#include "ExecCond.h"

#include <windows.h>
#include <intrin.h>
#include <oleauto.h>

#include <cmath>

#include "ExecHost.h"
#include "FileFlags.h"
#include "Files.h"
#include "Process.h"
#include "RegOp.h"
#include "Services.h"
#include "UtilPlus.h"
#include "VerInfo.h"
#include "ZMsgBox.h"

namespace zk {

namespace {

constexpr int kVersionWidth = 5;

Text EnvironmentValue(const Text& name) {
    if (name.empty()) return {};
    DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (n == 0) return {};
    Text value(n, '\0');
    n = GetEnvironmentVariableA(name.c_str(), value.data(), n);
    value.resize(n < value.size() ? n : 0);
    return value;
}

const char* NullIfEmpty(const Text& t) {
    return t.empty() ? nullptr : t.c_str();
}

struct CondArgs {
    const Text& p; // first parameter
    const Text& r; // relation
    const Text& v; // value
};

using ConditionTest = bool (*)(const CondArgs& a);

struct ConditionRow {
    int id;
    ConditionTest test;
};

int ScreenBitsPerPixel() {
    HDC dc = GetDC(nullptr);
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return static_cast<uint16_t>(bits);
}

// The runtime library of a Visual Basic version ("5" or "6") in the system folder.
bool VisualBasicRuntimeFound(const Text& version) {
    const Text v = Trim(version);
    if (v != "5" && v != "6") return false;
    return FileFound(GetSystemDir(true) + "msvbvm" + v + "0.dll");
}

// P is the key, a backslash and the value name; "(Default)" names the key's default value.
bool RegistryValueIs(const Text& path, const Text& relation, const Text& wanted) {
    const size_t cut = LastCharOf(path, "\\");
    if (cut == Text::npos) return false;
    Text valueName = path.substr(cut + 1);
    if (TextEquals(valueName, "(Default)")) valueName.clear();
    bool isNumber = false;
    const Text read = ReadRegValueAsText(path.substr(0, cut), valueName, isNumber);
    return RegistryTextIs(relation, read, wanted, isNumber);
}

const ConditionRow kConditionTests[] = {
    {11, [](const CondArgs& a) { return FileFound(a.p); }},
    {12, [](const CondArgs& a) { return FolderFound(a.p); }},
    {13, [](const CondArgs& a) { return !a.p.empty() && FolderFound(a.p.substr(0, 1) + ":\\"); }},
    {14,
     [](const CondArgs& a) {
         return FileFound(a.p) && FindTextWithOptions(LoadFile(a.p), a.v) > 0;
     }},
    {21, [](const CondArgs& a) { return !GetAppPath(a.p).empty(); }},
    {22, [](const CondArgs& a) { return !GetAppDirectory(a.p).empty(); }},
    {23,
     [](const CondArgs& a) {
         const Text path = GetAppPath(a.p);
         return CompareRelationVersion(
             a.r, path.empty() ? Text() : GetFileVersionText(path, kVersionWidth), a.v);
     }},
    {31, [](const CondArgs& a) { return IsProgramRunning(a.p); }},
    {32, [](const CondArgs& a) { return IsServiceRunning(a.p); }},
    {33, [](const CondArgs& a) { return WindowsNameInList(a.p, GetWindowsName()); }},
    {34,
     [](const CondArgs& a) {
         return CompareRelationVersion(a.r, GetFileVersionText(a.p, kVersionWidth), a.v);
     }},
    {35,
     [](const CondArgs& a) { return FindWindowA(NullIfEmpty(a.p), NullIfEmpty(a.v)) != nullptr; }},
    {41, [](const CondArgs& a) { return RegKeyExists(a.p); }},
    {42, [](const CondArgs& a) { return RegValueExists(a.p, a.v); }},
    {43, [](const CondArgs& a) { return RegistryValueIs(a.p, a.r, a.v); }},
    {44, [](const CondArgs& a) { return !EnvironmentValue(a.p).empty(); }},
    {45, [](const CondArgs& a) { return CompareRelationText(a.r, EnvironmentValue(a.p), a.v); }},
    {46,
     [](const CondArgs& a) {
         return CompareRelationText(a.r, UpperCase(EnvironmentValue(a.p)), UpperCase(a.v));
     }},
    {51,
     [](const CondArgs& a) {
         return CompareRelationInt64(a.r, GetTotalMemoryMB(), IntegerTextToInt64(a.v, 0));
     }},
    {52,
     [](const CondArgs& a) {
         return CompareRelationInt64(a.r, GetCpuMHz(), IntegerTextToInt64(a.v, 0));
     }},
    {53,
     [](const CondArgs& a) {
         return ScreenResolutionIs(a.r, a.v, GetSystemMetrics(SM_CXSCREEN),
                                   GetSystemMetrics(SM_CYSCREEN));
     }},
    {54,
     [](const CondArgs& a) {
         return CompareRelationInt64(a.r, ScreenBitsPerPixel(), ColorDepthBits(a.v));
     }},
    {61,
     [](const CondArgs& a) {
         return CompareRelationVersion(
             a.r, GetFileVersionText(GetSystemDir(true) + "mscoree.dll", kVersionWidth), a.v);
     }},
    {62,
     [](const CondArgs& a) {
         return CompareRelationFloat(a.r, GetAdoVersion(), DecimalTextToDouble(a.v, 0));
     }},
    {63, [](const CondArgs& a) { return VisualBasicRuntimeFound(a.p); }},
    {71,
     [](const CondArgs& a) { return AskYesNo(nullptr, a.p, "Confirm", DefaultButtonCaptions); }},
    {72,
     [](const CondArgs& a) { return AskOkCancel(nullptr, a.p, "Confirm", DefaultButtonCaptions); }},
    {73, [](const CondArgs& a) { return SetupTypeIs(a.p); }},
    {74,
     [](const CondArgs& a) {
         return Pos("|" + a.p + "|", GetExecHostVariable("GroupNameString")) > 0;
     }},
    {75, [](const CondArgs& a) { return TextEquals(a.p, GetExecHostVariable("UserName")); }},
    {76, [](const CondArgs& a) { return TextEquals(a.p, GetExecHostVariable("CompanyName")); }},
};

const ConditionRow* FindConditionRow(int id) {
    for (const ConditionRow& row : kConditionTests)
        if (row.id == id) return &row;
    return nullptr;
}

// Processor clock from its time-stamp counter against the performance counter.
int64_t MeasureCpuMHz() {
    static int64_t cache = 0;
    if (cache != 0) return cache;
    HANDLE process = GetCurrentProcess(), thread = GetCurrentThread();
    const DWORD priorityClass = GetPriorityClass(process);
    const int threadPriority = GetThreadPriority(thread);
    SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    LARGE_INTEGER f, t0, t1;
    if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) {
        Sleep(10);
        QueryPerformanceCounter(&t0);
        uint64_t c0 = __rdtsc();
        Sleep(10);
        uint64_t c1 = __rdtsc();
        QueryPerformanceCounter(&t1);
        double ticks = static_cast<double>(t1.QuadPart - t0.QuadPart);
        if (ticks > 0)
            cache = std::llround(static_cast<double>(c1 - c0) * static_cast<double>(f.QuadPart) /
                                 (ticks * 1000000.0));
    }
    if (cache <= 100) {
        Sleep(10);
        uint64_t c0 = __rdtsc();
        Sleep(500);
        uint64_t c1 = __rdtsc();
        cache = std::llround(static_cast<double>(c1 - c0) * 1000.0 / (500.0 * 1000000.0));
    }
    SetThreadPriority(thread, threadPriority);
    SetPriorityClass(process, priorityClass);
    return cache;
}

Text BstrToText(BSTR b) {
    if (!b) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, b, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    Text t(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, b, -1, t.data(), n, nullptr, nullptr);
    t.resize(static_cast<size_t>(n - 1));
    return t;
}

// A number becomes text with "." whatever the user's locale.
constexpr LCID kInvariantLocale =
    MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

Text ReadAdoVersionText() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"adodb.connection", &clsid))) return {};
    IDispatch* connection = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&connection))))
        return {};
    Text version;
    OLECHAR name[] = L"Version";
    LPOLESTR names[] = {name};
    DISPID id;
    if (SUCCEEDED(connection->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT result;
        VariantInit(&result);
        if (SUCCEEDED(connection->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                         &none, &result, nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeTypeEx(&result, &result, kInvariantLocale, 0, VT_BSTR)))
            version = BstrToText(result.bstrVal);
        VariantClear(&result);
    }
    connection->Release();
    return version;
}

} // namespace

bool FileFound(const Text& path) {
    if (path.empty() || path.find_first_of("*?") != Text::npos) return false;
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderFound(const Text& path) {
    if (path.empty()) return false;
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RelationHolds(const Text& relation, int comparison) {
    if (relation == "=") return comparison == 0;
    if (relation == "!=") return comparison != 0;
    if (relation == ">") return comparison > 0;
    if (relation == "<") return comparison < 0;
    if (relation == ">=") return comparison >= 0;
    if (relation == "<=") return comparison <= 0;
    return false;
}

bool CompareRelationText(const Text& relation, const Text& a, const Text& b) {
    return RelationHolds(relation, a.compare(b));
}

bool CompareRelationInt64(const Text& relation, int64_t a, int64_t b) {
    return RelationHolds(relation, a < b ? -1 : (a > b ? 1 : 0));
}

bool CompareRelationFloat(const Text& relation, double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return false;
    return RelationHolds(relation, a < b ? -1 : (a > b ? 1 : 0));
}

bool CompareRelationVersion(const Text& relation, const Text& fileVersion, const Text& wanted) {
    return RelationHolds(
        relation, CompareVersionTexts(fileVersion, NormalizeVersionText(wanted, kVersionWidth)));
}

size_t SearchTextLength(const Text& search) {
    size_t skip = 0;
    if (search.compare(0, 2, "!!") == 0) skip = 2;
    if (search.compare(skip, 1, "!") == 0) ++skip;
    return search.size() - skip;
}

int FindTextWithOptions(const Text& text, const Text& search) {
    if (text.empty() || search.empty()) return 0;
    Text t = text, s = search;
    const bool wholeWord = s.compare(0, 2, "!!") == 0;
    if (wholeWord) s.erase(0, 2);
    const bool anyCase = s.compare(0, 1, "!") == 0;
    if (anyCase) s.erase(0, 1);
    if (s.empty()) return 0; // nothing left to look for
    if (anyCase) t = UpperCase(t), s = UpperCase(s);
    if (wholeWord) {
        for (char& c : t)
            if (static_cast<unsigned char>(c) < 32) c = ' ';
        t = " " + t + " ", s = " " + s + " ";
    }
    return Pos(s, t);
}

double DecimalTextToDouble(const Text& text, double def) {
    long double value;
    return ParseSpaceNumber(text, '.', value) ? static_cast<double>(value) : def;
}

int64_t IntegerTextToInt64(const Text& text, int64_t def) {
    const Text t = Trim(text);
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (i == t.size() || t.size() - i > 18) return def;
    for (size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9') return def;
    return std::stoll(t);
}

bool ScreenResolutionIs(const Text& relation, const Text& wanted, int width, int height) {
    const Text list = "x" + wanted + "x";
    const int w = StrToIntDef(ListItem(list, 0), 0), h = StrToIntDef(ListItem(list, 1), 0);
    if (relation == "=") return width == w && height == h;
    if (relation == "!=") return width != w || height != h;
    if (relation == ">") return (width > w && height >= h) || (width >= w && height > h);
    if (relation == "<") return (width < w && height <= h) || (width <= w && height < h);
    if (relation == ">=") return width >= w && height >= h;
    if (relation == "<=") return width <= w && height <= h;
    return false;
}

int ColorDepthBits(const Text& colorDepthName) {
    static const struct {
        const char* name;
        int bits;
    } kDepths[] = {
        {"256 (8 bit)", 8},   {"32K (15 bit)", 15},        {"64K (16 bit)", 16},
        {"16M (24 bit)", 24}, {"True Color (32 bit)", 32},
    };
    for (const auto& d : kDepths)
        if (colorDepthName == d.name) return d.bits;
    return 32;
}

bool WindowsNameInList(const Text& list, const Text& windowsName) {
    return Pos("," + windowsName + ",", "," + list + ",") > 0;
}

bool RegistryTextIs(const Text& relation, const Text& read, const Text& wanted, bool isNumber) {
    if (!isNumber) return CompareRelationText(relation, read, wanted);
    const int width = GreaterInt(static_cast<int>(read.size()), static_cast<int>(wanted.size()));
    return CompareRelationText(relation, ZeroPadLeft(read, width + 1),
                               ZeroPadLeft(wanted, width + 1));
}

bool SetupTypeIs(const Text& setupType) {
    static const char kSetupTypes[] = "|Typical|Compact|Custom|Complete|Partial|";
    return PosText(GetHostSetupType(), kSetupTypes) == PosText(setupType, kSetupTypes);
}

bool HasConditionTest(int id) {
    return FindConditionRow(id) != nullptr;
}

bool TestCondition(int id, const Text& param, const Text& relation, const Text& value) {
    const ConditionRow* row = FindConditionRow(id);
    return row && row->test(CondArgs{param, relation, value});
}

int64_t GetTotalMemoryMB() {
    // GlobalMemoryStatus stops at 2047 MB; the Ex form is missing on the oldest systems.
    using StatusEx = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    auto statusEx = reinterpret_cast<StatusEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
    if (statusEx) {
        MEMORYSTATUSEX ms = {};
        ms.dwLength = sizeof ms;
        if (statusEx(&ms)) return static_cast<int64_t>(ms.ullTotalPhys >> 20);
    }
    MEMORYSTATUS ms = {};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatus(&ms);
    return static_cast<int64_t>(ms.dwTotalPhys >> 20);
}

int64_t GetCpuMHz() {
    // The value Windows keeps is read each time; only a measurement is cached.
    const Text kProcessorKey =
        "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
    const int registered = StrToIntDef(RegPathReadString(kProcessorKey, "~MHz", "0"), -1);
    return registered > 100 ? registered : MeasureCpuMHz();
}

double GetAdoVersion() {
    const HRESULT init = CoInitialize(nullptr);
    const double version = DecimalTextToDouble(ReadAdoVersionText(), 0);
    if (SUCCEEDED(init)) CoUninitialize();
    return version;
}

} // namespace zk
