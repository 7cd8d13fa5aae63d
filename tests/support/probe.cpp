// A small program the tests start through the shell. When PROBE_OUT names
// a file it writes there its process id and its arguments, one per line,
// then it sleeps PROBE_SLEEP_MS milliseconds and exits.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (const char *out = std::getenv("PROBE_OUT")) {
        const std::string temp = std::string(out) + ".part";
        if (FILE *f = std::fopen(temp.c_str(), "w")) {
            std::fprintf(f, "pid=%ld\n", long(getpid()));
            for (int i = 1; i < argc; ++i)
                std::fprintf(f, "arg=%s\n", argv[i]);
            std::fclose(f);
            std::rename(temp.c_str(), out); // appears whole
        }
    }
    if (const char *sleep = std::getenv("PROBE_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    return 0;
}
