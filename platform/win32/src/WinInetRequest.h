// The objects behind WinINet handles: a session (agent and proxy choice) and
// a request that streams one response through libcurl's multi interface.
#pragma once

#include "KernelObject.h"

#include <windef.h>

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {

// The common base, so InternetCloseHandle accepts both kinds and nothing else.
class InternetHandle : public KernelObject {
};

class InternetSession final : public InternetHandle {
public:
    std::string agent;
    DWORD accessType = 0;
    std::string proxyList;
    std::string bypassList;
    DWORD flags = 0;
};

class InternetRequest final : public InternetHandle {
public:
    InternetRequest() = default;
    ~InternetRequest() override;
    InternetRequest(const InternetRequest&) = delete;
    InternetRequest& operator=(const InternetRequest&) = delete;

    // Starts the request and waits until the final response's headers have
    // arrived (whatever the status). Returns ERROR_SUCCESS or the WinINet
    // error code of the failure.
    DWORD Open(const InternetSession& session, const std::string& url, const std::string& headers, DWORD flags);

    // Copies up to size bytes of the body. At the end of the data it delivers
    // 0 bytes and succeeds; a transfer that broke off fails once everything
    // received before the break has been delivered.
    bool Read(void* destination, DWORD size, DWORD& delivered, DWORD& error);

    long StatusCode();
    const std::string& StatusLine() const { return m_statusLine; }

    // Bytes held for the reader right now (for tests of the bound).
    size_t Buffered() const { return m_buffer.size() - m_readOffset; }

    // The transfer pauses once this many bytes wait for the reader.
    static constexpr size_t kHighWater = 1024 * 1024;

private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* userdata);
    static size_t OnBody(char* data, size_t size, size_t count, void* userdata);

    // Lets libcurl move the transfer on, waiting up to a second for the
    // socket when nothing was ready.
    void Pump();
    void ResumeIfPaused();

    std::mutex m_lock;
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    curl_slist* m_headers = nullptr;
    std::vector<char> m_buffer;
    size_t m_readOffset = 0;
    bool m_paused = false;
    bool m_done = false;
    bool m_headersDone = false;
    bool m_followRedirects = true;
    bool m_blockHasLocation = false;
    CURLcode m_result = CURLE_OK;
    std::string m_statusLine;
};

// The WinINet error code for a libcurl failure.
DWORD InternetErrorFromCurl(CURLcode code);

} // namespace win32
