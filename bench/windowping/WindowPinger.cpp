#include "WindowPinger.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>

struct WindowPinger::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t protocols = 0;
    xcb_atom_t ping = 0;
};

namespace {

xcb_atom_t atom(xcb_connection_t* xcb, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(xcb, xcb_intern_atom(xcb, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : 0;
    std::free(reply);
    return value;
}

// Pause between an answer and the next ping: the resolution of the figures.
constexpr auto pingInterval = std::chrono::milliseconds(2);
constexpr int answerTimeoutMs = 10000;

} // namespace

WindowPinger::WindowPinger() {
    xcb_connection_t* xcb = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(xcb)) {
        xcb_disconnect(xcb);
        m_error = QStringLiteral("no X display to connect to");
        return;
    }
    m_connection = new Connection{xcb, xcb_setup_roots_iterator(xcb_get_setup(xcb)).data->root,
                                  atom(xcb, "WM_PROTOCOLS"), atom(xcb, "_NET_WM_PING")};
    // Answers are sent to the root window (Qt's for its structure, others' for its substructure); a window
    // manager holds the redirect, any client may listen to the notifications.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(xcb, m_connection->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(xcb);
}

WindowPinger::~WindowPinger() {
    stop();
    if (m_connection) {
        xcb_disconnect(m_connection->xcb);
        delete m_connection;
    }
}

void WindowPinger::start(std::uint32_t window) {
    stop();
    m_roundTrips.clear();
    m_unanswered = false;
    m_window = window;
    m_running = true;
    m_thread = std::thread([this] { run(); });
}

WindowPinger::Figures WindowPinger::stop() {
    m_running = false;
    if (m_thread.joinable())
        m_thread.join();
    const std::lock_guard lock(m_mutex);
    Figures figures;
    std::vector<double> sorted = m_roundTrips;
    std::sort(sorted.begin(), sorted.end());
    figures.pings = int(sorted.size());
    figures.unanswered = m_unanswered;
    if (!sorted.empty()) {
        figures.worstMs = sorted.back();
        figures.p99Ms = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
        figures.medianMs = sorted[sorted.size() / 2];
        figures.over50Ms =
            int(std::count_if(sorted.begin(), sorted.end(), [](double ms) { return ms > 50; }));
    }
    return figures;
}

void WindowPinger::run() {
    if (!m_connection)
        return;
    xcb_connection_t* xcb = m_connection->xcb;
    pollfd descriptor{xcb_get_file_descriptor(xcb), POLLIN, 0};
    std::uint32_t serial = 1;
    while (m_running) {
        xcb_client_message_event_t ping{};
        ping.response_type = XCB_CLIENT_MESSAGE;
        ping.format = 32;
        ping.window = m_window;
        ping.type = m_connection->protocols;
        ping.data.data32[0] = m_connection->ping;
        ping.data.data32[1] = ++serial;
        ping.data.data32[2] = m_window;
        const auto sent = std::chrono::steady_clock::now();
        xcb_send_event(xcb, 0, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ping));
        xcb_flush(xcb);
        bool answered = false;
        bool timedOut = false;
        while (!answered && !timedOut && m_running) {
            xcb_generic_event_t* event = xcb_poll_for_event(xcb);
            if (!event) {
                timedOut =
                    std::chrono::steady_clock::now() - sent > std::chrono::milliseconds(answerTimeoutMs);
                // In short slices, so that stopping never waits for an answer the UI thread cannot give
                // while it waits for this thread.
                poll(&descriptor, 1, 20);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* reply = reinterpret_cast<const xcb_client_message_event_t*>(event);
                answered = reply->data.data32[0] == m_connection->ping && reply->data.data32[1] == serial;
            }
            std::free(event);
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
        {
            const std::lock_guard lock(m_mutex);
            if (answered)
                m_roundTrips.push_back(ms);
            m_unanswered = m_unanswered || timedOut;
        }
        std::this_thread::sleep_for(pingInterval);
    }
}
