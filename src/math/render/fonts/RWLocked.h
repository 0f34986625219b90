// A value guarded by a reader-writer lock: readers copy it out together, a writer replaces it alone.
#pragma once

#include <mutex>
#include <shared_mutex>

namespace zepla::math {

template <typename T> class RWLocked {
public:
    T read() const {
        std::shared_lock reading(m_lock);
        return m_value;
    }
    void write(T value) {
        std::unique_lock writing(m_lock);
        m_value = std::move(value);
    }

private:
    mutable std::shared_mutex m_lock;
    T m_value{};
};

} // namespace zepla::math
