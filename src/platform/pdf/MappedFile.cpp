#include "MappedFile.h"

#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace zepla::pdf {

namespace {

// How much of each end of a file is looked at to tell whether it is a PDF: the header may stand anywhere in
// the first kilobyte, and the end-of-file marker in the last.
constexpr qsizetype kEnd = 1024;

// --- reads past the end of a file cut short while it is mapped ---
//
// Touching a mapped page past the end of its file raises SIGBUS. The pages of our mappings from there on are
// replaced by pages of zeros, which the engine takes for damage like any other.

struct Range {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr std::size_t kRanges = 512;
std::array<Range, kRanges> g_ranges;
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};

void onBusError(int number, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const Range& range : g_ranges) {
        const std::uintptr_t start = range.start.load(std::memory_order_acquire);
        const std::uintptr_t end = range.end.load(std::memory_order_acquire);
        if (start == 0 || at < start || at >= end)
            continue;
        const std::uintptr_t page = at & ~(g_pageSize - 1);
        if (mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
    }
    // Not ours: whatever was there before answers, or the default action ends the process as it would have.
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(number, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(number);
        return;
    }
    signal(SIGBUS, SIG_DFL);
}

void guardBusErrors() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_pageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previous);
    });
}

// Whether the range could be guarded: as many files as there are slots can be mapped at once.
bool guardRange(void* address, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    for (Range& range : g_ranges) {
        std::uintptr_t free = 0;
        if (range.start.compare_exchange_strong(free, start, std::memory_order_acq_rel)) {
            range.end.store(start + size, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void unguardRange(void* address) {
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    for (Range& range : g_ranges) {
        if (range.start.load(std::memory_order_acquire) != start)
            continue;
        range.end.store(0, std::memory_order_release);
        range.start.store(0, std::memory_order_release);
        return;
    }
}

// --- opening ---

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

Error notAPdf(const QString& why) {
    return Error{Error::Kind::Damaged, why};
}

Error unreadable(const QString& path, int error) {
    return Error{
        Error::Kind::Failed,
        QStringLiteral("“%1” could not be read: %2").arg(path, QString::fromLocal8Bit(strerror(error)))};
}

// `size` bytes at `offset`, or fewer where the file ends.
QByteArray readAt(int fd, qint64 offset, qsizetype size) {
    QByteArray bytes(size, '\0');
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, bytes.data() + got, std::size_t(size - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// A PDF announces itself in its first kilobyte. A file whose header is damaged is still taken when it ends
// as a PDF does, since readers repair such files.
bool startsOrEndsAsPdf(int fd, qint64 size) {
    if (readAt(fd, 0, kEnd).contains("%PDF-"))
        return true;
    const QByteArray tail = readAt(fd, std::max<qint64>(0, size - kEnd), kEnd);
    return tail.contains("%%EOF") || tail.contains("startxref");
}

// --- a stream over the bytes ---

// What the engine is handed per read; and after how much read a mapped file's pages are given back.
constexpr std::size_t kWindow = 64 * 1024;
constexpr std::size_t kReleaseEvery = 32 * 1024 * 1024;

struct StreamState {
    const unsigned char* data;
    std::size_t size;
    std::size_t next; // where the next window starts
    std::size_t readSinceRelease;
    const MappedFile* file;
};

int nextWindow(fz_context*, fz_stream* stream, std::size_t) {
    auto* state = static_cast<StreamState*>(stream->state);
    if (state->next >= state->size)
        return EOF;
    if (state->file && state->readSinceRelease >= kReleaseEvery) {
        state->file->release();
        state->readSinceRelease = 0;
    }
    const std::size_t n = std::min(kWindow, state->size - state->next);
    stream->rp = const_cast<unsigned char*>(state->data + state->next);
    stream->wp = stream->rp + n;
    state->next += n;
    state->readSinceRelease += n;
    stream->pos = int64_t(state->next);
    return *stream->rp++;
}

void seekTo(fz_context*, fz_stream* stream, int64_t offset, int whence) {
    auto* state = static_cast<StreamState*>(stream->state);
    const int64_t here = stream->pos - (stream->wp - stream->rp);
    int64_t target = whence == SEEK_END   ? int64_t(state->size) + offset
                     : whence == SEEK_CUR ? here + offset
                                          : offset;
    target = std::clamp<int64_t>(target, 0, int64_t(state->size));
    state->next = std::size_t(target);
    stream->rp = stream->wp = const_cast<unsigned char*>(state->data + target);
    stream->pos = target;
}

void dropState(fz_context* ctx, void* state) {
    fz_free(ctx, state);
}

} // namespace

fz_stream* MappedFile::openStream(fz_context* ctx, const QByteArray& bytes, const MappedFile* file) {
    auto* state = static_cast<StreamState*>(fz_malloc(ctx, sizeof(StreamState)));
    *state = {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size()), 0, 0,
              file};
    fz_stream* stream = fz_new_stream(ctx, state, nextWindow, dropState);
    stream->seek = seekTo;
    return stream;
}

qsizetype MappedFile::lastIndexOf(const QByteArray& bytes, QByteArrayView needle, const MappedFile* file) {
    const auto chunk = qsizetype(kReleaseEvery);
    for (qsizetype end = bytes.size(); end > 0;) {
        const qsizetype start = std::max<qsizetype>(0, end - chunk);
        // Each piece reaches into the next by the needle's length, so that nothing is missed at the seams.
        const qsizetype length = std::min(bytes.size(), end + needle.size() - 1) - start;
        const qsizetype found = QByteArrayView(bytes.constData() + start, length).lastIndexOf(needle);
        if (file)
            file->release();
        if (found >= 0)
            return start + found;
        end = start;
    }
    return -1;
}

Result<std::shared_ptr<const MappedFile>> MappedFile::open(const QString& path) {
    // Not blocking: opening a FIFO would wait for a writer.
    const Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return unreadable(path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return unreadable(path, errno);
    if (!S_ISREG(info.st_mode))
        return notAPdf(S_ISDIR(info.st_mode) ? QStringLiteral("It is a folder, not a PDF document.")
                                             : QStringLiteral("It is not a file but a device or a pipe."));
    if (info.st_size == 0)
        return notAPdf(QStringLiteral("The file is empty."));
    if (!startsOrEndsAsPdf(fd.get(), info.st_size))
        return notAPdf(QStringLiteral("The file does not start with a PDF header."));
    const auto size = std::size_t(info.st_size);
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (address == MAP_FAILED)
        return unreadable(path, errno);
    guardBusErrors();
    if (!guardRange(address, size)) {
        ::munmap(address, size);
        return Error{Error::Kind::Failed, QStringLiteral("Too many files are open.")};
    }
    return std::shared_ptr<const MappedFile>(new MappedFile(address, size));
}

MappedFile::MappedFile(void* address, std::size_t size)
    : m_address(address), m_size(size),
      m_bytes(QByteArray::fromRawData(static_cast<const char*>(address), qsizetype(size))) {}

MappedFile::~MappedFile() {
    unguardRange(m_address);
    ::munmap(m_address, m_size);
}

void MappedFile::release() const {
    ::madvise(m_address, m_size, MADV_DONTNEED);
}

} // namespace zepla::pdf
