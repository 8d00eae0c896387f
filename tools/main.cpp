#include <cstdio>

int main(int argc, char **argv)
{
    std::fprintf(stderr, "usage: tabulon-cli COMMAND ...\n");
    return 2;
}
