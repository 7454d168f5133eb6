#include "Services.h"
#include "Global.h"
#include "SrvBar.h"
#include "U_DEBUG0.h"
#include "UtilPlus.h"

#include <iterator>

namespace zk {

namespace {

constexpr DWORD PollMs = 250;

// Shows the bar for the length of one service operation.
class BarScope {
  public:
    BarScope(bool show, const Text& action, const Text& name) : shown_(show) {
        if (shown_) ShowServiceBar(action, name);
    }
    ~BarScope() {
        if (shown_) FreeServiceBar();
    }
    BarScope(const BarScope&) = delete;
    BarScope& operator=(const BarScope&) = delete;

  private:
    bool shown_;
};

bool IsPendingState(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
           state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
}

// Polls until the service reports `target`. Gives up after ServiceWaitMs, or when a state that
// is not pending has stayed unchanged for ServiceSettleMs: the service will not get there.
bool WaitForServiceState(SC_HANDLE service, DWORD target) {
    const DWORD start = GetTickCount();
    DWORD state = GetServiceState(service);
    DWORD since = start;
    while (state != target) {
        DWORD now = GetTickCount();
        if (TicksPassed(start, now, ServiceWaitMs)) {
            TraceLine("Service wait: no change to state " + IntToStr(target) + " in " +
                      IntToStr(ServiceWaitMs / 1000) + " s, giving up");
            return false;
        }
        if (!IsPendingState(state) && TicksPassed(since, now, ServiceSettleMs)) {
            TraceLine("Service wait: settled in state " + IntToStr(state) + ", not " +
                      IntToStr(target));
            return false;
        }
        WaitWithAppMessages(PollMs);
        DWORD next = GetServiceState(service);
        if (next != state) state = next, since = GetTickCount();
    }
    return true;
}

bool SendStop(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
}

} // namespace

Text ServiceStateText(DWORD state) {
    static const char* const texts[] = {
        "Unknown state condition",       "The service is not running.",
        "The service is starting.",      "The service is stopping.",
        "The service is running.",       "The service continue is pending.",
        "The service pause is pending.", "The service is paused.",
    };
    return texts[state < std::size(texts) ? state : 0];
}

Text GetServiceKeyNameOf(SC_HANDLE manager, const Text& displayName) {
    char key[256];
    DWORD size = sizeof key;
    if (GetServiceKeyNameA(manager, displayName.c_str(), key, &size)) return key;
    return displayName; // already a key name (the manager translates display names only)
}

bool OpenServiceByName(const Text& name, UniqueService& manager, UniqueService& service,
                       DWORD managerAccess, DWORD serviceAccess) {
    service.reset();
    manager.reset(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, managerAccess));
    if (!manager) return false;
    Text key = GetServiceKeyNameOf(manager.get(), name);
    service.reset(OpenServiceA(manager.get(), key.c_str(), serviceAccess));
    return static_cast<bool>(service);
}

DWORD GetServiceState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service, &status)) return 0;
    return status.dwCurrentState;
}

void WriteServiceState(SC_HANDLE service) {
    TraceLine(ServiceStateText(GetServiceState(service)));
}

void CloseServiceHandles(UniqueService& manager, UniqueService& service) {
    service.reset();
    manager.reset();
}

Text QuotedServicePath(const Text& programPath) {
    if (programPath.find(' ') == Text::npos || programPath.starts_with('"')) return programPath;
    bool isFile = GetFileAttributesA(programPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    bool endsExe =
        programPath.size() > 4 && TextEquals(programPath.substr(programPath.size() - 4), ".exe");
    return isFile || endsExe ? '"' + programPath + '"' : programPath;
}

bool StartServiceByName(const Text& name, bool showBar) {
    if (!IsWinNT()) return false;
    BarScope bar(showBar, "STARTING Service:", name);
    UniqueService manager, service;
    OpenServiceByName(name, manager, service);
    WriteServiceState(service.get());
    bool started = service && StartServiceA(service.get(), 0, nullptr);
    bool running = started && WaitForServiceState(service.get(), SERVICE_RUNNING);
    WriteServiceState(service.get());
    return running;
}

bool StopServiceByName(const Text& name, bool showBar) {
    if (!IsWinNT()) return false;
    BarScope bar(showBar, "STOPPING Service:", name);
    UniqueService manager, service;
    OpenServiceByName(name, manager, service);
    WriteServiceState(service.get());
    bool stopping = service && SendStop(service.get());
    bool stopped = stopping && WaitForServiceState(service.get(), SERVICE_STOPPED);
    WriteServiceState(service.get());
    return stopped;
}

bool RemoveServiceByName(const Text& name, bool showBar) {
    if (!IsWinNT()) return false;
    BarScope bar(showBar, "REMOVING Service:", name);
    UniqueService manager, service;
    if (!OpenServiceByName(name, manager, service)) return false;
    WriteServiceState(service.get());
    DWORD state = GetServiceState(service.get());
    // A paused or pending service holds its process as well; deletion alone leaves it running.
    if (state != SERVICE_STOPPED && SendStop(service.get()))
        WaitForServiceState(service.get(), SERVICE_STOPPED);
    bool deleted = DeleteService(service.get()) != FALSE;
    WriteServiceState(service.get());
    return deleted;
}

bool CreateServiceByName(const Text& programPath, const Text& serviceName, const Text& displayName,
                         bool showBar) {
    if (!IsWinNT()) return false;
    BarScope bar(showBar, "CREATING Service:", displayName);
    UniqueService manager(
        OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS));
    if (!manager) return false;
    Text binary = QuotedServicePath(programPath);
    UniqueService service(CreateServiceA(manager.get(), serviceName.c_str(), displayName.c_str(),
                                         SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                         SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binary.c_str(),
                                         nullptr, nullptr, nullptr, nullptr, nullptr));
    WriteServiceState(service.get());
    return static_cast<bool>(service);
}

bool IsServiceRunning(const Text& name) {
    if (!IsWinNT()) return false;
    UniqueService manager, service;
    if (!OpenServiceByName(name, manager, service, SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS))
        return false;
    return GetServiceState(service.get()) == SERVICE_RUNNING;
}

} // namespace zk
