// Preloaded into the program under test to make its tone files slow to write, as on a
// slow or busy disk: every write() to a tone file (temp.wav or temp2.wav, or the hidden
// name it is written under before it takes its own) first sleeps for
// $TINEVOX_SLOW_WRITE_MS milliseconds. Everything else passes straight through.

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {

using WriteFunction = ssize_t (*)(int, const void*, size_t);

bool isToneFile(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    const char* slash = std::strrchr(target, '/');
    const char* name = slash ? slash + 1 : target;
    for (const char* tone : {"temp.wav", "temp2.wav"}) {
        const std::size_t length = std::strlen(tone);
        if (std::strcmp(name, tone) == 0)
            return true;
        if (name[0] == '.' && std::strncmp(name + 1, tone, length) == 0 && name[1 + length] == '.')
            return true;
    }
    return false;
}

void slowDown()
{
    const char* ms = std::getenv("TINEVOX_SLOW_WRITE_MS");
    const long delay = ms ? std::strtol(ms, nullptr, 10) : 0;
    if (delay <= 0)
        return;
    timespec ts {delay / 1000, (delay % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

} // namespace

extern "C" ssize_t write(int fd, const void* buffer, size_t count)
{
    static const auto next = reinterpret_cast<WriteFunction>(::dlsym(RTLD_NEXT, "write"));
    const int saved = errno;
    if (isToneFile(fd))
        slowDown();
    errno = saved;
    return next(fd, buffer, count);
}
