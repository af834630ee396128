// Server-role values: any text is judged without harm, and one judged valid makes an
// address that curl's own parser takes, with exactly that host and port.

#include "common/logic/server_roles.h"

#include <curl/curl.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    if (!isValidServerHost(value))
        return 0;
    static CURLU* url = curl_url();
    const std::string address = "http://" + std::string(value) + "/box";
    if (curl_url_set(url, CURLUPART_URL, address.c_str(), 0) != CURLUE_OK)
        std::abort();
    char* path = nullptr;
    if (curl_url_get(url, CURLUPART_PATH, &path, 0) != CURLUE_OK || std::string_view(path) != "/box")
        std::abort();
    curl_free(path);
    return 0;
}
