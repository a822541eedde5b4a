// The least a process that wakes every millisecond costs on this machine:
// it only sleeps 1 ms at a time, for the seconds given, and does nothing
// else. The silent-card figure stands beside it.
//
//   ms_sleeper SECONDS
#include <cstdlib>
#include <ctime>

int main(int argc, char* argv[]) {
    long seconds = argc > 1 ? std::atol(argv[1]) : 20;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const time_t end = now.tv_sec + seconds;
    const timespec oneMs{0, 1000000};
    do {
        nanosleep(&oneMs, nullptr);
        clock_gettime(CLOCK_MONOTONIC, &now);
    } while (now.tv_sec < end);
    return 0;
}
