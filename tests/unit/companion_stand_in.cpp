// Stands in for the companion where no display is: it makes no window and plays nothing,
// and waits until a signal ends it. With TINEVOX_STAND_IN_IGNORES_SIGTERM set it ignores
// SIGTERM, as a companion that hangs would.

#include <csignal>
#include <cstdlib>

#include <unistd.h>

int main()
{
    if (std::getenv("TINEVOX_STAND_IN_IGNORES_SIGTERM"))
        std::signal(SIGTERM, SIG_IGN);
    for (;;)
        ::pause();
}
