// Download throughput of DownloadInstaller against curl(1) fetching the same
// 200 MB file from the local tools server in the same run.
//
// DownloadInstaller ends with a fixed five-second pause before the installer
// starts; that pause is measured on its own (one Sleep(5000)) and taken off
// each DownloadInstaller time, so only the transfer is compared.
//
// Output ends with: RATIO download-vs-curl <our rate / curl's rate> (goal >= 0.9).
#include "services/InstallerDownload.h"

#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kFileBytes = 200u * 1024 * 1024;
const char kPackage[] = "bench_package.exe";

struct Fixture {
    std::filesystem::path folder;
    std::string url;
    pid_t server = -1;
    double pauseSeconds = 5.0;
    std::vector<double> ours;
    std::vector<double> curl;
};

Fixture g_fixture;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool WritePackage(const std::filesystem::path& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 31 % 251);
    for (size_t written = 0; written < kFileBytes; written += block.size())
        std::fwrite(block.data(), 1, block.size(), file);
    return std::fclose(file) == 0;
}

// Starts tools/tools_server.py on a free port and returns its base URL.
std::string StartServer(const std::filesystem::path& root, pid_t& pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        std::string script = std::string(KESTROVA_SOURCE_DIR) + "/tools/tools_server.py";
        execlp("python3", "python3", script.c_str(), "--root", root.c_str(), "--port", "0", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    FILE* out = fdopen(fds[0], "r");
    char line[64] = {};
    int port = 0;
    if (!out || !std::fgets(line, sizeof line, out) || std::sscanf(line, "PORT %d", &port) != 1)
        port = 0;
    if (out)
        std::fclose(out);
    return port ? "http://127.0.0.1:" + std::to_string(port) : std::string();
}

bool SetUpFixture()
{
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    g_fixture.folder = pattern;
    std::filesystem::create_directories(g_fixture.folder / "packages");
    std::filesystem::create_directories(g_fixture.folder / "drive_c");
    if (!WritePackage(g_fixture.folder / "packages" / kPackage))
        return false;
    setenv("KESTROVA_DRIVE_C", (g_fixture.folder / "drive_c").c_str(), 1);
    for (const char* name : { "http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY",
                              "FTP_PROXY", "ALL_PROXY" })
        unsetenv(name);
    std::string base = StartServer(g_fixture.folder / "packages", g_fixture.server);
    if (base.empty())
        return false;
    setenv("KESTROVA_TOOLS_SERVER", base.c_str(), 1);
    g_fixture.url = base + "/uploads/tools/netframework/" + kPackage;

    auto start = std::chrono::steady_clock::now();
    Sleep(5000);
    g_fixture.pauseSeconds = Seconds(start);
    return true;
}

void TearDownFixture()
{
    if (g_fixture.server > 0) {
        kill(g_fixture.server, SIGTERM);
        waitpid(g_fixture.server, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(g_fixture.folder, ignored);
}

void BM_DownloadInstaller(benchmark::State& state)
{
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = DownloadInstaller(kPackage);
        double transfer = Seconds(start) - g_fixture.pauseSeconds;
        if (!ok || std::filesystem::file_size(g_fixture.folder / "drive_c" / "zarvel_tools" / kPackage) != kFileBytes) {
            state.SkipWithError("the download did not complete");
            break;
        }
        state.SetIterationTime(std::max(transfer, 1e-6));
        g_fixture.ours.push_back(transfer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void BM_CurlCommand(benchmark::State& state)
{
    std::string target = (g_fixture.folder / "curl_copy.exe").string();
    std::string command = "curl -s -o '" + target + "' '" + g_fixture.url + "'";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int status = std::system(command.c_str());
        double transfer = Seconds(start);
        if (status != 0) {
            state.SkipWithError("curl failed");
            break;
        }
        state.SetIterationTime(transfer);
        g_fixture.curl.push_back(transfer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_CurlCommand)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadInstaller)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!SetUpFixture()) {
        std::fprintf(stderr, "bench_download: could not set up the package and the tools server\n");
        TearDownFixture();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TearDownFixture();

    double ours = Median(g_fixture.ours), curl = Median(g_fixture.curl);
    std::printf("pause measured: %.4f s; median transfer: ours %.3f s, curl %.3f s\n", g_fixture.pauseSeconds, ours,
                curl);
    // Equal sizes, so the rate ratio is the inverse time ratio.
    std::printf("RATIO download-vs-curl %.3f\n", ours > 0 && curl > 0 ? curl / ours : 0.0);
    return 0;
}
