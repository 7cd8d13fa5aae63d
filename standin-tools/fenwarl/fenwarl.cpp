// Stand-in for the maker's decoder-settings program fenwarl.exe: the least
// program the shell can find by that name. When FENWARL_MARKER names a file,
// it writes there how it was started, so that a test can see it ran.
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    (void)argv;
    if (const char *marker = std::getenv("FENWARL_MARKER")) {
        if (FILE *f = std::fopen(marker, "w")) {
            const char *show = std::getenv("WIN32_STANDIN_SHOW");
            std::fprintf(f, "arguments=%d show=%s\n", argc - 1, show ? show : "");
            std::fclose(f);
        }
    }
    return 0;
}
