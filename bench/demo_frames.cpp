// The demo's frame rate at no frame limit: runs the real executable for ten
// seconds (under the current X display), counts its one position line per
// frame, and reports frames per second and CPU time per frame.
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bench/demo_frames
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kSeconds = 10;

void BM_DemoFrames(benchmark::State& state)
{
    for (auto _ : state) {
        char out[] = "/tmp/veltric-demo-bench-XXXXXX";
        int fd = mkstemp(out);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(fd, 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (chdir(DEMO_DIR) != 0) _exit(126);
            execl(DEMO_EXE, DEMO_EXE, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fd);
        // Count from the first frame on.
        long frames = 0;
        auto countFrames = [&] {
            std::ifstream in(out);
            bool started = false;
            long n = 0;
            for (std::string l; std::getline(in, l);) {
                if (started && !l.empty() && (l[0] == '.' || (l[0] >= '0' && l[0] <= '9'))) ++n;
                if (l.find("Init Finalized") != std::string::npos) started = true;
            }
            return n;
        };
        for (int i = 0; i < 300 && countFrames() == 0; ++i) usleep(100000);
        long before = countFrames();
        sleep(kSeconds);
        frames = countFrames() - before;
        kill(pid, SIGTERM); // the demo sees a quit request and ends cleanly
        int status = 0;
        rusage ru{};
        wait4(pid, &status, 0, &ru);
        std::remove(out);
        double cpuMs = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000.0 +
                       (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1000.0;
        state.SetIterationTime(kSeconds);
        state.counters["fps"] = double(frames) / kSeconds;
        state.counters["cpu_ms_per_frame"] = frames ? cpuMs / double(frames) : 0.0;
    }
}

BENCHMARK(BM_DemoFrames)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
