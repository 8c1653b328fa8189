#pragma once

#include <csignal>

namespace platform::x11 {

// SIGTERM (a session's end, `kill`, a service manager), SIGINT and SIGHUP ask the program to
// end: while one of these is alive, they only mark the request and write a byte to `wakeFd`,
// so that the message loop wakes, sees requested() and ends through its normal shutdown. The
// handlers they replaced come back when it goes.
class TerminationSignals {
public:
    explicit TerminationSignals(int wakeFd);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Whether a signal asked to end since the last call.
    bool requested();

private:
    static constexpr int signals[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction previous_[3];
};

} // namespace platform::x11
