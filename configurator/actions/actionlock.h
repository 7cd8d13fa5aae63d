// One action that writes at a time, across every Kestrane filter tool on
// the machine: the window, pivora-cli, an elevated relaunch, a second window.
// Setting a merit re-registers a server and then writes merits back; another
// process writing in between would lose one of the two merits. Each action
// holds the machine-wide mutex for its whole read, re-register and write.
//
// The mutex is counted per thread: an action inside an action of the same
// thread (a command that runs several) takes it at once. A holder that died
// holding it leaves it abandoned; the next action takes it over and goes on,
// as the registry itself is consistent at every single write.
#ifndef ACTIONLOCK_H
#define ACTIONLOCK_H

#include <cstdint>
#include <functional>

// How an action waits for another tool's to end.
struct LockWait {
    int limitMs = 30000;   // then it gives up, having changed nothing
    int noticeMs = 2000;   // then `waiting` is called, once
    std::function<void()> waiting;
    std::function<bool()> cancelled; // true: stop waiting
};

class ActionLock
{
public:
    enum State { Held, TakenOver, Busy, Cancelled, Failed };

    explicit ActionLock(const LockWait &wait);
    ~ActionLock();
    ActionLock(const ActionLock &) = delete;
    ActionLock &operator=(const ActionLock &) = delete;

    bool held() const { return state == Held || state == TakenOver; }
    State result() const { return state; }
    // What the action reports when the lock is not held: WAIT_TIMEOUT (258)
    // for Busy, ERROR_CANCELLED for Cancelled, the system's status for Failed.
    int32_t status() const { return failure; }

private:
    void *mutex;
    State state;
    int32_t failure;
};

// The mutex's name, in the global namespace so that every session's tools meet.
extern const wchar_t actionLockName[];

#endif
