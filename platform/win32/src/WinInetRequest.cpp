#include "WinInetRequest.h"

#include "PacResolver.h"
#include "ProxyConfig.h"
#include "ProxyConfigRoute.h"
#include "TextCodec.h"

#include <wininet.h>
#include <winerror.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstring>

namespace win32 {

namespace {

// The defaults WinINet applies when a caller sets no time-outs: a minute to
// connect, and a transfer that receives nothing for 30 seconds has failed.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kReceiveTimeoutSeconds = 30;
constexpr long kReceiveBufferBytes = 256 * 1024;

bool StartsWithIgnoringCase(const char* data, size_t size, const char* prefix)
{
    size_t length = std::strlen(prefix);
    if (size < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(data[i])) != prefix[i])
            return false;
    }
    return true;
}

ProxyRoute ChooseRoute(const InternetSession& session, const std::string& url)
{
    switch (session.accessType) {
    case INTERNET_OPEN_TYPE_DIRECT:
        return {};
    case INTERNET_OPEN_TYPE_PROXY:
        return ChooseProxyRoute(session.proxyList, session.bypassList, url);
    default:
        break;
    }
    // The user's settings: a configuration script first (unless the caller
    // asked for none), falling back to the manual list when it fails.
    UserProxySettings settings = ReadUserProxySettings();
    if (!settings.autoConfigUrl.empty() && session.accessType != INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY) {
        std::string list;
        if (ResolveProxyWithScript(WideToUtf8(settings.autoConfigUrl), url, list) == ERROR_SUCCESS)
            return ChooseProxyRoute(list, "", url);
    }
    return ChooseProxyRoute(WideToUtf8(settings.proxyList), WideToUtf8(settings.bypassList), url);
}

} // namespace

DWORD InternetErrorFromCurl(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return ERROR_SUCCESS;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_SSL_CONNECT_ERROR:
        return ERROR_INTERNET_SECURE_FAILURE;
    case CURLE_PEER_FAILED_VERIFICATION:
        return ERROR_INTERNET_INVALID_CA;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

InternetRequest::~InternetRequest()
{
    if (m_multi && m_easy)
        curl_multi_remove_handle(m_multi, m_easy);
    if (m_easy)
        curl_easy_cleanup(m_easy);
    if (m_multi)
        curl_multi_cleanup(m_multi);
    curl_slist_free_all(m_headers);
}

DWORD InternetRequest::Open(const InternetSession& session, const std::string& url, const std::string& headers,
                            DWORD flags)
{
    std::lock_guard guard(m_lock);
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi)
        return ERROR_INTERNET_OUT_OF_HANDLES;

    // Pass 1: the request itself.
    curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    if (!session.agent.empty())
        curl_easy_setopt(m_easy, CURLOPT_USERAGENT, session.agent.c_str());
    size_t start = 0;
    while (start < headers.size()) {
        size_t end = headers.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = headers.size();
        if (end > start)
            m_headers = curl_slist_append(m_headers, headers.substr(start, end - start).c_str());
        start = end + 1;
    }
    if (m_headers)
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
    m_followRedirects = !(flags & INTERNET_FLAG_NO_AUTO_REDIRECT);
    curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, m_followRedirects ? 1L : 0L);
    curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, 10L);
    if (flags & INTERNET_FLAG_IGNORE_CERT_CN_INVALID)
        curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 0L);

    // Pass 2: the proxy. An empty proxy also keeps libcurl from reading the
    // proxy variables on its own: the session has already decided.
    ProxyRoute route = ChooseRoute(session, url);
    curl_easy_setopt(m_easy, CURLOPT_PROXY, route.proxy.c_str());
    if (route.socks)
        curl_easy_setopt(m_easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5));

    // Pass 3: time-outs and the streaming callbacks.
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, kReceiveTimeoutSeconds);
    curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK)
        return ERROR_INTERNET_INTERNAL_ERROR;

    while (!m_headersDone && !m_done)
        Pump();
    if (m_done && m_result != CURLE_OK && !m_headersDone)
        return InternetErrorFromCurl(m_result);
    m_headersDone = true;
    return ERROR_SUCCESS;
}

size_t InternetRequest::OnHeader(char* data, size_t size, size_t count, void* userdata)
{
    auto* self = static_cast<InternetRequest*>(userdata);
    size_t bytes = size * count;
    if (StartsWithIgnoringCase(data, bytes, "http/")) {
        self->m_statusLine.assign(data, bytes);
        while (!self->m_statusLine.empty() && (self->m_statusLine.back() == '\n' || self->m_statusLine.back() == '\r'))
            self->m_statusLine.pop_back();
        self->m_blockHasLocation = false;
    } else if (StartsWithIgnoringCase(data, bytes, "location:")) {
        self->m_blockHasLocation = true;
    } else if (bytes <= 2 && (bytes == 0 || data[0] == '\r' || data[0] == '\n')) {
        // The end of one header block. Interim answers (1xx) and redirects
        // that libcurl follows are not the final response.
        long code = 0;
        curl_easy_getinfo(self->m_easy, CURLINFO_RESPONSE_CODE, &code);
        bool interim = code / 100 == 1;
        bool followed = self->m_followRedirects && code / 100 == 3 && self->m_blockHasLocation;
        if (!interim && !followed)
            self->m_headersDone = true;
    }
    return bytes;
}

size_t InternetRequest::OnBody(char* data, size_t size, size_t count, void* userdata)
{
    auto* self = static_cast<InternetRequest*>(userdata);
    size_t bytes = size * count;
    // A full buffer pauses the transfer; libcurl hands the same bytes again
    // once the reader has made room, so nothing is dropped and memory stays
    // bounded however large the response is.
    if (self->Buffered() >= kHighWater) {
        self->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    self->m_headersDone = true;
    self->m_buffer.insert(self->m_buffer.end(), data, data + bytes);
    return bytes;
}

void InternetRequest::Pump()
{
    int running = 0;
    size_t before = Buffered();
    curl_multi_perform(m_multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg == CURLMSG_DONE) {
            m_done = true;
            m_result = message->data.result;
        }
    }
    if (!m_done && !m_headersDone && running == 0) {
        m_done = true;
        m_result = CURLE_GOT_NOTHING;
    }
    if (!m_done && Buffered() == before && !m_paused)
        curl_multi_poll(m_multi, nullptr, 0, 1000, nullptr);
}

void InternetRequest::ResumeIfPaused()
{
    if (!m_paused)
        return;
    m_paused = false;
    curl_easy_pause(m_easy, CURLPAUSE_CONT);
}

bool InternetRequest::Read(void* destination, DWORD size, DWORD& delivered, DWORD& error)
{
    std::lock_guard guard(m_lock);
    delivered = 0;
    error = ERROR_SUCCESS;
    if (size == 0)
        return true;
    while (Buffered() == 0 && !m_done) {
        // The reader has taken everything: start the buffer over and let the
        // transfer go on.
        m_buffer.clear();
        m_readOffset = 0;
        ResumeIfPaused();
        if (Buffered() == 0)
            Pump();
    }
    size_t available = Buffered();
    if (available > 0) {
        size_t take = std::min<size_t>(available, size);
        std::memcpy(destination, m_buffer.data() + m_readOffset, take);
        m_readOffset += take;
        if (m_readOffset == m_buffer.size()) {
            m_buffer.clear();
            m_readOffset = 0;
        }
        delivered = static_cast<DWORD>(take);
        assert(delivered <= size);
        return true;
    }
    if (m_result != CURLE_OK) {
        error = InternetErrorFromCurl(m_result);
        return false;
    }
    return true;
}

long InternetRequest::StatusCode()
{
    std::lock_guard guard(m_lock);
    long code = 0;
    if (m_easy)
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

} // namespace win32
