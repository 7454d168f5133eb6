// Message pumping for long work on the user-interface thread, and fire-and-forget callback
// threads. The waits dispatch this thread's messages, so window procedures and timers run
// inside them. A WM_QUIT met inside a wait is kept and posted again when the wait ends, so
// the caller's own message loop still sees it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

namespace zk {

// True once `ms` milliseconds have passed since `start`; unsigned, so safe across the wrap of
// the 32-bit tick count.
inline bool TicksPassed(DWORD start, DWORD now, DWORD ms) {
    return now - start > ms;
}

// Removes, translates and dispatches at most one waiting message; false when none waited.
bool ProcessOneMessage();
// ProcessOneMessage until `ms` have passed (at least one pass; 0 waits for the next tick).
void WaitWithMessages(DWORD ms);
// As WaitWithMessages, with a 50 ms sleep after each pass.
void WaitWithMessagesSleep(DWORD ms);
// Handles every waiting message, each through the application's message filter first.
void ProcessAppMessages();
// As WaitWithMessages, with ProcessAppMessages as the pass.
void WaitWithAppMessages(DWORD ms);

// A step that pumps messages: clicks, closes and timers run inside its waits. Every place
// that pumps holds one (the waits below and the modal loops hold their own), so while any is
// open the program is busy (Active): the install engine then refuses a second click on Back
// and Next, defers a close until the step has returned and re-arms a timer that would start
// another step. After every pump a step goes on only while Continue() holds: its window
// still lives and the run was not asked to stop (SetStopRequestTest).
class PumpScope {
  public:
    explicit PumpScope(HWND window = nullptr);
    ~PumpScope();
    PumpScope(const PumpScope&) = delete;
    PumpScope& operator=(const PumpScope&) = delete;

    bool Continue() const;
    // As WaitWithAppMessages, ending early once Continue() fails; returns Continue().
    bool Wait(DWORD ms);
    // A pumping step is on this thread's stack.
    static bool Active();

  private:
    HWND window_;
};

// The run's stop request (the install engine's abort request); none: never asked.
void SetStopRequestTest(bool (*test)());
bool IsStopRequested();
// Called when the first scope opens (true) and the last one closes (false).
void SetBusyChangedHook(std::function<void(bool busy)> hook);

// The window layer's own handling of a message before it is dispatched (dialog keys of a
// modeless window, for instance); returns true when it took the message. None by default.
using AppMessageFilter = bool (*)(MSG& msg);
void SetAppMessageFilter(AppMessageFilter filter);

using CallbackProc = void (*)();
using CallbackProcData = void (*)(intptr_t userData);

// Runs its stored callbacks once on a thread of its own and frees itself; nobody waits for it.
class TCallbackThread {
  public:
    CallbackProc Proc = nullptr;
    std::function<void()> Method;
    CallbackProcData ProcData = nullptr;
    std::function<void(intptr_t)> MethodData;
    intptr_t UserData = 0;

    // Starts the thread; on success it owns and later deletes itself. Returns its id, 0 when
    // no thread could be made (the object is then deleted here).
    DWORD Start();

  private:
    void Execute();
    static DWORD WINAPI ThreadMain(void* self);
};

// Starts a TCallbackThread with the given callbacks (each may be empty); returns its thread
// id, 0 on failure.
DWORD RunInThread(CallbackProc proc, CallbackProcData procData, intptr_t userData,
                  std::function<void()> method = {}, std::function<void(intptr_t)> methodData = {});
DWORD RunProcInThread(CallbackProcData procData, intptr_t userData);

} // namespace zk
