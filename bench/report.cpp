// One event report against the local tools server, and the same multipart
// POST made with libcurl alone, in the same run. The difference of their
// median times is what the client itself adds to a report, which blocks the
// UI thread: the goal is under one millisecond.
#include "services/EventRecord.h"
#include "services/ToolLogReporter.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace {

// The local tools server, started once for the whole run.
class LocalToolsServer {
public:
    LocalToolsServer()
    {
        std::filesystem::path root = std::filesystem::temp_directory_path() / "kestrova-bench-report";
        std::filesystem::create_directories(root);
        std::string command = "echo $$; exec python3 '" KESTROVA_SOURCE_DIR "/tools/tools_server.py' --root '"
            + root.string() + "' --port 0";
        m_pipe = popen(command.c_str(), "r");
        if (!m_pipe || std::fscanf(m_pipe, "%d PORT %d", &m_pid, &m_port) != 2) {
            std::fprintf(stderr, "report bench: the tools server did not start\n");
            std::exit(1);
        }
        m_baseUrl = "http://127.0.0.1:" + std::to_string(m_port);
    }
    ~LocalToolsServer()
    {
        if (m_pid > 0)
            kill(m_pid, SIGTERM);
        if (m_pipe)
            pclose(m_pipe);
    }
    const std::string& BaseUrl() const { return m_baseUrl; }

private:
    FILE* m_pipe = nullptr;
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_baseUrl;
};

LocalToolsServer* g_server = nullptr;
std::vector<double> g_reportMs;
std::vector<double> g_bareMs;

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

size_t DiscardBody(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// The peer: the same nine fields and "submit" as one multipart POST with a
// fresh handle, which is what the client does once per report.
bool BarePost(const std::string& url, const EventRecord& record, const std::string& token)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_mime* form = curl_mime_init(curl);
    const std::pair<const char*, const std::string*> fields[] = {
        { "_t", &record.t },         { "data", &record.data },   { "pid", &record.pid },
        { "remarks", &record.remarks }, { "runid", &record.runid }, { "state", &record.state },
        { "token", &token },         { "toolid", &record.ename }, { "uid", &record.uid },
    };
    for (const auto& [name, value] : fields) {
        curl_mimepart* part = curl_mime_addpart(form);
        curl_mime_name(part, name);
        curl_mime_data(part, value->c_str(), CURL_ZERO_TERMINATED);
    }
    curl_mimepart* submit = curl_mime_addpart(form);
    curl_mime_name(submit, "submit");
    curl_mime_data(submit, "send", CURL_ZERO_TERMINATED);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 5L);
    long status = 0;
    bool ok = curl_easy_perform(curl) == CURLE_OK
        && curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
    curl_mime_free(form);
    curl_easy_cleanup(curl);
    return ok;
}

// Each iteration makes one report and one bare POST, alternately, so both
// see the same load on the machine and the server.
void BM_ReportAndBarePost(benchmark::State& state)
{
    EventRecord record = BuildEventRecord("2", "inst", "");
    ToolLogReporter& reporter = ToolLogReporter::GetInstance();
    std::string url = g_server->BaseUrl() + "/Api/saveToolLog";
    std::string token(32, 'a');
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int accepted = reporter.ReportEvent(record);
        auto middle = std::chrono::steady_clock::now();
        bool ok = BarePost(url, record, token);
        auto end = std::chrono::steady_clock::now();
        g_reportMs.push_back(std::chrono::duration<double, std::milli>(middle - start).count());
        g_bareMs.push_back(std::chrono::duration<double, std::milli>(end - middle).count());
        if (!accepted || !ok) {
            state.SkipWithError("the server did not accept a request");
            break;
        }
    }
}

BENCHMARK(BM_ReportAndBarePost)->Iterations(300)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The C: drive, and so the event file of a failed report, stays in a
    // temporary folder.
    std::filesystem::path drive = std::filesystem::temp_directory_path() / "kestrova-bench-report-drive_c";
    std::filesystem::create_directories(drive);
    setenv("KESTROVA_DRIVE_C", drive.c_str(), 0);
    curl_global_init(CURL_GLOBAL_ALL);

    LocalToolsServer server;
    g_server = &server;
    // The reporter reads the server address when it is first used.
    setenv("KESTROVA_TOOLS_SERVER", server.BaseUrl().c_str(), 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    double report = Median(g_reportMs);
    double bare = Median(g_bareMs);
    std::printf("median report %.3f ms, median bare libcurl POST %.3f ms (%zu and %zu requests)\n", report, bare,
                g_reportMs.size(), g_bareMs.size());
    std::printf("RATIO report-overhead-ms %.3f\n", report - bare);
    return 0;
}
