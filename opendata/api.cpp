#include "opendata/api.h"

#include <cctype>

namespace {

ApiSettings api;
constexpr char kV4Host[] = "api.odpt.org";

// The queries of the live kinds: version 2's "rdf:type=…", and what follows
// "/api/v4/" in version 4.
struct LiveQuery {
    const char* v2;
    const char* v4;
};
constexpr LiveQuery kLiveQueries[2] = {
    {"rdf:type=odpt:Train", "odpt:Train?odpt:operator=odpt.Operator:TokyoMetro"},
    {"rdf:type=odpt:TrainInformation", "odpt:TrainInformation?odpt:operator=odpt.Operator:TokyoMetro"},
};

std::string trimmedRoot()
{
    std::string root = api.root;
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

}  // namespace

void useApiSettings(const ApiSettings& settings)
{
    api = settings;
}

const ApiSettings& apiSettings()
{
    return api;
}

ApiVersion apiVersionOfRoot(const std::string& root)
{
    std::size_t start = root.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    const std::size_t end = root.find_first_of(":/?#", start);
    std::string host = root.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (char& c : host)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host == kV4Host ? ApiVersion::V4 : ApiVersion::V2;
}

ApiVersion apiVersion()
{
    return api.version ? *api.version : apiVersionOfRoot(api.root);
}

std::string datapointsBase()
{
    return trimmedRoot() + "/api/v2/datapoints?";
}

std::string consumerKey()
{
    return api.consumerKey;
}

std::string liveUrl(ResponseKind kind)
{
    const LiveQuery& q = kLiveQueries[static_cast<int>(kind)];
    const std::string query =
        apiVersion() == ApiVersion::V4 ? trimmedRoot() + "/api/v4/" + q.v4 : datapointsBase() + q.v2;
    return query + "&acl:consumerKey=" + consumerKey();
}

std::string fareUrl(const std::string& fromStation, const std::string& toStation)
{
    const std::string query = apiVersion() == ApiVersion::V4
                                  ? trimmedRoot() + "/api/v4/odpt:RailwayFare?"
                                  : datapointsBase() + "rdf:type=odpt:RailwayFare&";
    return query + "odpt:fromStation=" + fromStation + "&odpt:toStation=" + toStation +
           "&acl:consumerKey=" + consumerKey();
}

std::string timetableUrl(const std::string& railway, const std::string& calendar)
{
    return trimmedRoot() + "/api/v4/odpt:TrainTimetable?odpt:railway=" + railway +
           "&odpt:calendar=" + calendar + "&acl:consumerKey=" + consumerKey();
}
