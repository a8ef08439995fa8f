// Message queue speed: a cross-thread SendMessageW round trip against a bare
// condition-variable ping-pong between two threads (the limit for any queue
// of this kind), and the rate at which posted messages are retrieved.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The peer: one thread hands a turn to the other and waits for it back.
void BM_PingPong(benchmark::State& state)
{
    std::mutex lock;
    std::condition_variable changed;
    int turn = 0; // 0: the benchmark thread, 1: the partner, -1: stop
    std::thread partner([&] {
        std::unique_lock guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return turn != 0; });
            if (turn < 0)
                return;
            turn = 0;
            changed.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock guard(lock);
        turn = 1;
        changed.notify_all();
        changed.wait(guard, [&] { return turn == 0; });
    }
    {
        std::lock_guard guard(lock);
        turn = -1;
    }
    changed.notify_all();
    partner.join();
}

LRESULT CALLBACK EchoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER)
        return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterEchoClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = EchoProc;
    wc.lpszClassName = L"KestrovaBenchEcho";
    RegisterClassExW(&wc);
    registered = true;
}

// Ours: a window on a second thread in GetMessageW answers every send.
void BM_SendRoundTrip(benchmark::State& state)
{
    RegisterEchoClass();
    std::mutex lock;
    std::condition_variable ready;
    HWND hwnd = nullptr;
    std::thread owner([&] {
        HWND created = CreateWindowExW(0, L"KestrovaBenchEcho", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr);
        {
            std::lock_guard guard(lock);
            hwnd = created;
        }
        ready.notify_all();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        DestroyWindow(created);
    });
    {
        std::unique_lock guard(lock);
        ready.wait(guard, [&] { return hwnd != nullptr; });
    }
    WPARAM value = 0;
    for (auto _ : state) {
        value = static_cast<WPARAM>(SendMessageW(hwnd, WM_USER, value, 0));
        benchmark::DoNotOptimize(value);
    }
    PostMessageW(hwnd, WM_QUIT, 0, 0);
    owner.join();
}

// Posting a batch to a window of this thread and retrieving it again.
void BM_PostThroughput(benchmark::State& state)
{
    RegisterEchoClass();
    HWND hwnd = CreateWindowExW(0, L"KestrovaBenchEcho", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                nullptr);
    constexpr int batch = 1000;
    MSG msg;
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i)
            PostMessageW(hwnd, WM_USER + 1, static_cast<WPARAM>(i), 0);
        for (int i = 0; i < batch; ++i)
            GetMessageW(&msg, nullptr, 0, 0);
        benchmark::DoNotOptimize(msg);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    DestroyWindow(hwnd);
}

BENCHMARK(BM_PingPong)->UseRealTime();
BENCHMARK(BM_SendRoundTrip)->UseRealTime();
BENCHMARK(BM_PostThroughput)->UseRealTime();

// Keeps the time per iteration and the item rate of every run.
class GoalReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime() *
                                                (run.time_unit == benchmark::kMicrosecond   ? 1e3
                                                 : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                            : 1.0);
            auto it = run.counters.find("items_per_second");
            if (it != run.counters.end())
                itemsPerSecond[run.run_name.function_name] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
    std::map<std::string, double> itemsPerSecond;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    double pingPong = reporter.nanoseconds["BM_PingPong"];
    double send = reporter.nanoseconds["BM_SendRoundTrip"];
    double posted = reporter.itemsPerSecond["BM_PostThroughput"] / 1e6;
    printf("round trip: condition-variable ping-pong %.0f ns, SendMessageW %.0f ns\n", pingPong, send);
    printf("posted messages retrieved: %.2f million per second\n", posted);
    printf("RATIO send-vs-pingpong %.3f\n", send > 0 ? pingPong / send : 0.0);
    printf("RATIO post-throughput-mps %.3f\n", posted);
    return 0;
}
