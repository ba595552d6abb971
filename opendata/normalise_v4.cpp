// Sections: building the tree / reading values / writing the version-2 text / the three kinds.
#include "opendata/normalise_v4.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <cmath>
#include <vector>

#include "network/branch.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "opendata/v2_members.h"

namespace {

using Json = nlohmann::json;

// Real answers nest four levels deep; anything deeper is dropped while parsing
// so a hostile answer cannot build a huge tree.
constexpr int kMaxDepth = 8;

// ---- building the tree ----

// Parser events turned into a tree that holds only the first `kept` elements
// of the answer's array, none deeper than kMaxDepth, and counts all elements:
// an answer of millions of small objects costs no more than a real one.
class KeptTree {
public:
    KeptTree(Json& root, std::size_t kept) : root_(root), kept_(kept) {}
    std::size_t elements() const { return elements_; }

    bool null() { return scalar(Json()); }
    bool boolean(bool v) { return scalar(v); }
    bool number_integer(Json::number_integer_t v) { return scalar(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return scalar(v); }
    bool number_float(Json::number_float_t v, const Json::string_t&) { return scalar(v); }
    bool string(Json::string_t& v) { return scalar(std::move(v)); }
    bool binary(Json::binary_t&) { return scalar(Json()); }
    bool start_object(std::size_t) { return open(Json::object()); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(Json::string_t& k)
    {
        if (skipFrom_ == 0)
            key_ = std::move(k);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    // Whether a value starting at the current depth goes into the tree.
    bool keep()
    {
        if (skipFrom_ != 0)
            return false;
        if (depth_ == 1 && ++elements_ > kept_)
            return false;
        return depth_ <= kMaxDepth;
    }

    // Puts v where the next value goes; the parents on the stack stay where
    // they are, as only the innermost open container grows.
    Json* place(Json v)
    {
        if (open_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(v));
            return &parent.back();
        }
        Json& member = parent[key_];
        member = std::move(v);
        return &member;
    }

    bool scalar(Json v)
    {
        if (keep())
            place(std::move(v));
        return true;
    }

    bool open(Json container)
    {
        if (keep())
            open_.push_back(place(std::move(container)));
        else if (skipFrom_ == 0)
            skipFrom_ = depth_ + 1;
        ++depth_;
        return true;
    }

    bool close()
    {
        if (skipFrom_ == 0)
            open_.pop_back();
        else if (skipFrom_ == depth_)
            skipFrom_ = 0;
        --depth_;
        return true;
    }

    Json& root_;
    std::size_t kept_;
    std::size_t elements_ = 0;
    std::vector<Json*> open_;   // the open containers in the tree, outermost first
    std::size_t depth_ = 0;     // containers open in the text
    std::size_t skipFrom_ = 0;  // depth of the container being dropped, 0 when none
    Json::string_t key_;
};

// ---- reading values ----

// The text a value stands for: a string itself, a language object its "ja"
// member, an array its first element; anything else none.
std::string textOf(const Json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_object()) {
        auto ja = value.find("ja");
        return ja == value.end() ? std::string() : textOf(*ja);
    }
    if (value.is_array() && !value.empty())
        return textOf(value.front());
    return std::string();
}

std::string memberText(const Json& object, const char* key)
{
    auto it = object.find(key);
    return it == object.end() ? std::string() : textOf(*it);
}

// A whole number within 32 bits, or fallback when the member is no number.
long memberNumber(const Json& object, const char* key, long fallback)
{
    auto it = object.find(key);
    if (it == object.end())
        return fallback;
    if (it->is_number_unsigned())
        return it->get<std::uint64_t>() > INT32_MAX ? INT32_MAX : it->get<long>();
    if (it->is_number_integer()) {
        const std::int64_t n = it->get<std::int64_t>();
        return n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : static_cast<long>(n);
    }
    if (it->is_number_float()) {
        const double d = it->get<double>();
        if (!std::isfinite(d))
            return fallback;
        return d > INT32_MAX ? INT32_MAX : d < INT32_MIN ? INT32_MIN : static_cast<long>(d);
    }
    return fallback;
}

// ---- writing the version-2 text ----

void openMember(std::string& out, const char* key)
{
    if (out.back() != '{')
        out += ',';
    out += '"';
    out += key;
    out += "\":";
}

// A string member as the scanner reads it: the value ends at the next double
// quote and escapes are not interpreted, so the characters go in as they are.
void putText(std::string& out, const char* key, const std::string& value)
{
    openMember(out, key);
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += "\xE2\x80\x9D";  // ”
        else if (static_cast<unsigned char>(c) < 0x20)
            out += ' ';
        else
            out += c;
    }
    out += '"';
}

void putBare(std::string& out, const char* key, const std::string& value)
{
    openMember(out, key);
    out += value;
}

void putNumber(std::string& out, const char* key, long value)
{
    putBare(out, key, std::to_string(value));
}

// ---- the three kinds ----

bool disrupted(const Json& notice)
{
    return !memberText(notice, "odpt:trainInformationStatus").empty();
}

// Each railway's notice, in table order; nullptr where the answer has none.
struct NoticeSlots {
    const Json* slot[railwayCount] = {};
    const Json* branch = nullptr;
};

NoticeSlots sortNotices(const Json& answer)
{
    NoticeSlots s;
    for (const Json& notice : answer) {
        if (!notice.is_object())
            continue;
        const std::string railway = memberText(notice, "odpt:railway");
        if (railway == kBranchRailwayId && !s.branch)
            s.branch = &notice;
        for (int k = 0; k < railwayCount; ++k)
            if (railway == railways[k].railwayId && !s.slot[k])
                s.slot[k] = &notice;
    }
    // The branch speaks for 丸ノ内線 only when it has the news.
    const Json* main = s.slot[kBranchLine];
    if (s.branch && (!main || (disrupted(*s.branch) && !disrupted(*main))))
        s.slot[kBranchLine] = s.branch;
    return s;
}

void writeNotice(std::string& out, const Json* notice, const char* railwayId)
{
    static const Json none = Json::object();
    const Json& n = notice ? *notice : none;
    out += '{';
    for (const V2Member& member : kStatusMembers) {
        const char* key = member.key.data();
        putText(out, key, !notice && member.key == "odpt:railway" ? railwayId : memberText(n, key));
    }
    out += '}';
}

std::string statusText(const Json& answer)
{
    const NoticeSlots s = sortNotices(answer);
    std::string out = "[";
    for (int k = 0; k < railwayCount; ++k) {
        if (k > 0)
            out += ',';
        writeNotice(out, s.slot[k], railways[k].railwayId);
    }
    // The branch's own notice last, for what its trains do whichever notice the line shows.
    out += ',';
    writeNotice(out, s.branch, kBranchRailwayId);
    return out + ']';
}

// The member's text, or the first of the array that version 4 sends instead.
std::string stationOf(const Json& train, const char* v2Key, const char* v4Key)
{
    std::string station = memberText(train, v2Key);
    return station.empty() ? memberText(train, v4Key) : station;
}

void writeTrain(std::string& out, const Json& t)
{
    out += '{';
    for (const V2Member& member : kTrainMembers) {
        const char* key = member.key.data();
        if (member.number)
            putNumber(out, key, memberNumber(t, key, 0));
        else if (member.key == "odpt:startingStation")
            putText(out, key, stationOf(t, key, "odpt:originStation"));
        else if (member.key == "odpt:terminalStation")
            putText(out, key, stationOf(t, key, "odpt:destinationStation"));
        else if (member.key == "odpt:toStation" && memberText(t, key).empty())
            putBare(out, key, "null");
        else
            putText(out, key, memberText(t, key));
    }
    out += '}';
}

std::string trainsText(const Json& answer)
{
    std::string out = "[";
    for (const Json& train : answer) {
        if (!train.is_object())
            continue;
        if (out.size() > 1)
            out += ',';
        writeTrain(out, train);
    }
    return out + ']';
}

std::string fareText(const Json& answer)
{
    const Json* fare = nullptr;
    for (const Json& f : answer)
        if (f.is_object() && !fare)
            fare = &f;
    if (!fare)
        return "[]";
    const Json& f = *fare;
    std::string out = "[{";
    for (const V2Member& member : kFareMembers) {
        const char* key = member.key.data();
        // the amounts are the only numbers; an amount the answer lacks is -1
        if (member.number)
            putNumber(out, key, memberNumber(f, key, -1));
        else
            putText(out, key, memberText(f, key));
    }
    return out + "}]";
}

}  // namespace

V4Rewrite normaliseV4(ResponseKind kind, std::string_view utf8)
{
    V4Rewrite r;
    // Only the elements the records have room for are kept.
    const std::size_t kept = kind == ResponseKind::Trains ? kTrainRecordCapacity : kV4AnswerObjectCap;
    Json answer;
    KeptTree tree(answer, kept);
    if (!Json::sax_parse(utf8.begin(), utf8.end(), &tree) || !answer.is_array())
        return r;
    r.ok = true;
    r.objects = tree.elements();
    switch (kind) {
    case ResponseKind::Status:
        r.text = statusText(answer);
        break;
    case ResponseKind::Trains:
        r.text = trainsText(answer);
        break;
    case ResponseKind::Fare:
        r.text = fareText(answer);
        break;
    case ResponseKind::Timetable:  // not rewritten: opendata/timetable reads version 4 itself
        break;
    }
    return r;
}
