// Children tied to this process's life.

#include "platform/TiedProgram.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Platform {

namespace {

// Everything the child needs is prepared before the fork: between fork and exec only
// async-signal-safe calls are made, as another thread (the sound stream's) may hold locks.
struct PreparedStart {
    QByteArray program;
    QByteArray directory;
    std::vector<QByteArray> environmentTexts;
    std::vector<char*> environment;
    std::vector<char*> arguments;
};

void prepare(PreparedStart& start, const QString& path, ShowState state)
{
    start.program = QFile::encodeName(path);
    start.directory = QFile::encodeName(QFileInfo(path).absolutePath());
    for (const QString& entry : environmentWithShowState(state).toStringList())
        start.environmentTexts.push_back(entry.toLocal8Bit());
    for (QByteArray& text : start.environmentTexts)
        start.environment.push_back(text.data());
    start.environment.push_back(nullptr);
    start.arguments = {start.program.data(), nullptr};
}

[[noreturn]] void runChild(const PreparedStart& start, pid_t parent, int errorPipe)
{
    // A signal when the parent ends; if it ended before this line, end now.
    ::prctl(PR_SET_PDEATHSIG, ParentEndedSignal);
    if (::getppid() != parent)
        ::_exit(127);
    // Nothing of this process's own (sockets, files) reaches the program.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    if (::chdir(start.directory.constData()) == 0)
        ::execve(start.program.constData(), start.arguments.data(), start.environment.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

bool startTiedProgram(const QString& path, ShowState state, qint64* pid)
{
    if (!isExecutableFile(path))
        return false;
    PreparedStart start;
    prepare(start, path, state);

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return false;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(errorPipe[0]);
        runChild(start, parent, errorPipe[1]);
    }
    ::close(errorPipe[1]);
    if (child < 0) {
        ::close(errorPipe[0]);
        return false;
    }
    // The pipe closes without a word when the program was executed.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(errorPipe[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got > 0) {
        ::waitpid(child, nullptr, 0);
        return false;
    }
    if (pid)
        *pid = child;
    return true;
}

bool reapChild(qint64 pid)
{
    // 0 while it runs; its identifier once collected; -1 when it is no child (any more).
    return pid <= 0 || ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) != 0;
}

} // namespace Platform
