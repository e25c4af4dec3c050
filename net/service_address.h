// Where the service lives: its real hosts by default, or one base address for all of
// them from the optional file "orv.service" (the emulator and the integration tests).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct ServiceEndpoint {
    std::u16string host;   // name only
    int32_t port = 443;
    bool secure = true;
};

// Reads the first line of the file ("http://127.0.0.1:8080", blanks and line end
// ignored). A missing, empty or unusable file keeps the real hosts.
void LoadServiceAddress(const std::u16string& fileName = u"orv.service");

// Points everything at `base` ("http[s]://host[:port]"); an empty text restores the real
// hosts. Returns false (and changes nothing) when `base` cannot be used.
bool SetServiceBase(std::u16string_view base);
bool ServiceOverridden();

ServiceEndpoint GraphEndpoint();     // Graph API calls
ServiceEndpoint ApiEndpoint();       // FQL queries
ServiceEndpoint DownloadEndpoint();  // the maker's download host (plain http)

// Address prefixes without a trailing slash.
std::u16string WebBase();            // "http://" + web host: home, login, root pages
std::u16string SecureWebBase();      // "https://" + web host: the log-out page
std::u16string GraphBase();          // "https://" + Graph host: the authorize page
std::u16string ServiceDomain();      // the bare domain an address of the service holds
std::u16string CounterUrl();         // the daily hit counter
const std::u16string& ProductSiteUrl();  // the maker's product web site (Referer, log-out next)
