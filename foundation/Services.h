// Windows services through the service control manager: open by key or display name, start,
// stop, create, remove and query, each optionally under the service progress bar (SrvBar).
// Every function returns false and does nothing on the 9x family. No messages are shown;
// state lines go to the debug channel.
#pragma once
#include "Handles.h"
#include "Utils.h"

namespace zk {

// Opens the local service manager and the service `name` (key or display name) with the
// given access; false, with both owners empty or only the manager held, when it fails.
bool OpenServiceByName(const Text& name, UniqueService& manager, UniqueService& service,
                       DWORD managerAccess = SC_MANAGER_ALL_ACCESS,
                       DWORD serviceAccess = SERVICE_ALL_ACCESS);
// The key name of a service known by its display name; the name unchanged when the manager
// cannot translate it (it already is a key name, or no such service exists).
Text GetServiceKeyNameOf(SC_HANDLE manager, const Text& displayName);
// The current state from QueryServiceStatus (SERVICE_STOPPED ... SERVICE_PAUSED); 0 when the
// query fails.
DWORD GetServiceState(SC_HANDLE service);
Text ServiceStateText(DWORD state);
void WriteServiceState(SC_HANDLE service); // the state's text as a debug-channel line
void CloseServiceHandles(UniqueService& manager, UniqueService& service);

// The binary path as the manager stores it. A program path with a blank is quoted (unquoted,
// LocalSystem would try "C:\Program.exe" first); a text already quoted, or one that is no
// file and does not end in ".exe" (a program followed by arguments), stays as it is.
Text QuotedServicePath(const Text& programPath);

// Start and stop wait, pumping messages, until the service reaches RUNNING or STOPPED; the
// wait gives up after ServiceWaitMs or once the service has settled in another state for
// ServiceSettleMs (it ended before running, or ignored the stop). True only when the request
// was accepted and the state was reached.
inline constexpr DWORD ServiceWaitMs = 30000;
inline constexpr DWORD ServiceSettleMs = 2000;
bool StartServiceByName(const Text& name, bool showBar);
bool StopServiceByName(const Text& name, bool showBar);
// Stops a running service first (bounded wait as above), then deletes it; true when the
// deletion succeeded.
bool RemoveServiceByName(const Text& name, bool showBar);
// An own-process, auto-start service running as LocalSystem; true when it was created.
bool CreateServiceByName(const Text& programPath, const Text& serviceName, const Text& displayName,
                         bool showBar);
bool IsServiceRunning(const Text& name);

} // namespace zk
