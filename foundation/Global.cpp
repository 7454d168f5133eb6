#include "Global.h"

#include <optional>
#include <utility>

namespace zk {

namespace {

AppMessageFilter appFilter = nullptr;
bool (*stopRequestTest)() = nullptr;
std::function<void(bool)> busyChanged;
thread_local int pumpDepth = 0;

// A WM_QUIT taken from the queue while a wait runs, posted again when the outermost wait ends.
thread_local int waitDepth = 0;
thread_local std::optional<WPARAM> pendingQuit;

class WaitScope {
  public:
    WaitScope() { ++waitDepth; }
    ~WaitScope() {
        if (--waitDepth == 0) RepostQuit();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    static void RepostQuit() {
        if (!pendingQuit) return;
        PostQuitMessage(static_cast<int>(*pendingQuit));
        pendingQuit.reset();
    }
};

// Takes one message; a WM_QUIT is kept back, never dispatched.
bool TakeMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message != WM_QUIT) return true;
    pendingQuit = msg.wParam;
    if (waitDepth == 0) WaitScope::RepostQuit();
    return false;
}

void DispatchOne(MSG& msg) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// Sleeps until a message arrives or the wait's end is due, instead of spinning. Called only
// with the queue just emptied, so "new input" is all input (the Ex form is missing on 95).
void IdleUntilMessage(DWORD start, DWORD ms) {
    DWORD elapsed = GetTickCount() - start;
    DWORD left = elapsed >= ms ? 0 : ms - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
}

template <typename Pass, typename Stop> void WaitWith(DWORD ms, Pass pass, Stop stop) {
    PumpScope pumping;
    WaitScope scope;
    DWORD start = GetTickCount();
    do pass(start);
    while (!TicksPassed(start, GetTickCount(), ms) && !stop());
}

template <typename Pass> void WaitWith(DWORD ms, Pass pass) {
    WaitWith(ms, pass, [] { return false; });
}

void AppPass(DWORD start, DWORD ms) {
    ProcessAppMessages();
    IdleUntilMessage(start, ms);
}

} // namespace

bool ProcessOneMessage() {
    MSG msg;
    if (!TakeMessage(msg)) return false;
    DispatchOne(msg);
    return true;
}

void WaitWithMessages(DWORD ms) {
    WaitWith(ms, [ms](DWORD start) {
        if (!ProcessOneMessage()) IdleUntilMessage(start, ms);
    });
}

void WaitWithMessagesSleep(DWORD ms) {
    WaitWith(ms, [](DWORD) {
        ProcessOneMessage();
        Sleep(50);
    });
}

void SetAppMessageFilter(AppMessageFilter filter) {
    appFilter = filter;
}

void ProcessAppMessages() {
    PumpScope pumping;
    WaitScope scope;
    MSG msg;
    while (TakeMessage(msg))
        if (!appFilter || !appFilter(msg)) DispatchOne(msg);
}

void WaitWithAppMessages(DWORD ms) {
    WaitWith(ms, [ms](DWORD start) { AppPass(start, ms); });
}

PumpScope::PumpScope(HWND window) : window_(window) {
    if (pumpDepth++ == 0 && busyChanged) busyChanged(true);
}

PumpScope::~PumpScope() {
    if (--pumpDepth == 0 && busyChanged) busyChanged(false);
}

bool PumpScope::Continue() const {
    return !IsStopRequested() && (!window_ || IsWindow(window_));
}

bool PumpScope::Wait(DWORD ms) {
    auto stop = [this] { return !Continue(); };
    WaitWith(
        ms,
        [ms, &stop](DWORD start) {
            ProcessAppMessages();
            if (!stop()) IdleUntilMessage(start, ms); // a handler just asked to stop
        },
        stop);
    return Continue();
}

bool PumpScope::Active() {
    return pumpDepth > 0;
}

void SetStopRequestTest(bool (*test)()) {
    stopRequestTest = test;
}

bool IsStopRequested() {
    return stopRequestTest && stopRequestTest();
}

void SetBusyChangedHook(std::function<void(bool busy)> hook) {
    busyChanged = std::move(hook);
}

DWORD TCallbackThread::Start() {
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, ThreadMain, this, 0, &id);
    if (!h) {
        delete this;
        return 0;
    }
    CloseHandle(h);
    return id;
}

void TCallbackThread::Execute() {
    if (Proc) Proc();
    if (Method) Method();
    if (ProcData) ProcData(UserData);
    if (MethodData) MethodData(UserData);
}

DWORD WINAPI TCallbackThread::ThreadMain(void* self) {
    auto* thread = static_cast<TCallbackThread*>(self);
    thread->Execute();
    delete thread;
    return 0;
}

DWORD RunInThread(CallbackProc proc, CallbackProcData procData, intptr_t userData,
                  std::function<void()> method, std::function<void(intptr_t)> methodData) {
    auto* thread = new TCallbackThread;
    thread->Proc = proc;
    thread->ProcData = procData;
    thread->UserData = userData;
    thread->Method = std::move(method);
    thread->MethodData = std::move(methodData);
    return thread->Start();
}

DWORD RunProcInThread(CallbackProcData procData, intptr_t userData) {
    return RunInThread(nullptr, procData, userData);
}

} // namespace zk
