// A window manager's view of whether a window answers: `_NET_WM_PING` sent to the window over a connection
// of its own, on a thread of its own, every few milliseconds, each round trip timed. An application answers
// the ping from its UI thread's event loop, so the longest round trip is the longest time the window could
// not have answered a click or a key.
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class WindowPinger {
public:
    struct Figures {
        int pings = 0;
        double worstMs = 0;
        double p99Ms = 0;
        double medianMs = 0;
        int over50Ms = 0;
        bool unanswered = false; // a ping got no answer within ten seconds
    };

    // Connects to the display of the environment; `error()` says why when it cannot.
    WindowPinger();
    ~WindowPinger();
    QString error() const { return m_error; }

    // Starts pinging `window` (an X window id), forgetting earlier round trips.
    void start(std::uint32_t window);
    // Stops and returns the round trips since `start`.
    Figures stop();

private:
    void run();

    struct Connection;
    Connection* m_connection = nullptr;
    QString m_error;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::uint32_t m_window = 0;
    std::mutex m_mutex;
    std::vector<double> m_roundTrips;
    bool m_unanswered = false;
};
