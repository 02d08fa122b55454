#pragma once
// Silences standard output (the runtime's progress lines, the graphics
// report) while alive; what was printed before still goes out.
#include <unistd.h>

#include <cstdio>

struct QuietStdout {
    int saved;
    QuietStdout() : saved(dup(1))
    {
        std::fflush(stdout);
        std::FILE* null = std::fopen("/dev/null", "w");
        if (null) {
            dup2(fileno(null), 1);
            std::fclose(null);
        }
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;
};
