// normaliseV4 on the ten-notice status answer and on a 1,000-train answer (the
// API's largest), beside parseResponse reading the rewritten text of each.

#include <benchmark/benchmark.h>

#include <string>

#include "opendata/normalise_v4.h"
#include "opendata/parse.h"
#include "platform/charset.h"

namespace {

const char* const lines[] = {"Ginza",   "Marunouchi", "MarunouchiBranch", "Hibiya",  "Tozai",
                             "Chiyoda", "Yurakucho",  "Hanzomon",         "Namboku", "Fukutoshin"};

// The status answer as the API sends it: ten notices, keys sorted by length,
// one line disrupted.
std::string statusAnswer()
{
    std::string text = "[";
    for (int i = 0; i < 10; ++i) {
        const std::string line = lines[i];
        const bool disrupted = i == 4;
        text += R"({"@id":"urn:uuid:0b6a3d2e-1f4c-4e8a-9c1d-00000000000)" + std::to_string(i) +
                R"(","@type":"odpt:TrainInformation","dc:date":"2026-11-20T08:40:00+09:00",)"
                R"("@context":"http://vocab.odpt.org/context_odpt_TrainInformation.jsonld",)"
                R"("dct:valid":"2026-11-20T08:45:00+09:00","owl:sameAs":"odpt.TrainInformation:TokyoMetro.)" +
                line + R"(","odpt:railway":"odpt.Railway:TokyoMetro.)" + line +
                R"(","odpt:operator":"odpt.Operator:TokyoMetro",)" +
                (disrupted ? R"("odpt:timeOfOrigin":"2026-11-20T08:12:00+09:00",)" : "") +
                R"("odpt:trainInformationText":{"ja":")" +
                (disrupted ? "8時12分頃、門前仲町駅で急病人救護のため、ダイヤが乱れています。"
                           : "現在、平常どおり運転しています。") +
                R"("})" + (disrupted ? R"(,"odpt:trainInformationStatus":{"ja":"ダイヤ乱れ"})" : "") + "},";
    }
    text.back() = ']';
    return text;
}

// 1,000 running trains in the version-4 shape (another operator's answer).
std::string trainAnswer()
{
    std::string text = "[";
    for (int i = 0; i < 1000; ++i) {
        const std::string line = lines[i % 10];
        const std::string number = "A" + std::to_string(1000 + i) + (i % 2 ? "S" : "K");
        text +=
            R"({"@id":"urn:ucode:_00001C000000000000010000030C)" + std::to_string(10000 + i) +
            R"(","@type":"odpt:Train","dc:date":"2026-11-20T08:40:00+09:00",)"
            R"("@context":"http://vocab.odpt.org/context_odpt_Train.jsonld","dct:valid":"2026-11-20T08:41:30+09:00",)"
            R"("odpt:delay":)" +
            std::to_string((i % 5) * 60) + R"(,"owl:sameAs":"odpt.Train:TokyoMetro.)" + line + "." + number +
            R"(","odpt:railway":"odpt.Railway:TokyoMetro.)" + line +
            R"(","odpt:operator":"odpt.Operator:TokyoMetro","odpt:toStation":)" +
            (i % 3 ? R"("odpt.Station:TokyoMetro.)" + line + R"(.Inaricho")" : std::string("null")) +
            R"(,"odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:fromStation":"odpt.Station:TokyoMetro.)" +
            line + R"(.Ueno","odpt:trainNumber":")" + number +
            R"(","odpt:trainOwner":"odpt.TrainOwner:TokyoMetro","odpt:originStation":["odpt.Station:TokyoMetro.)" +
            line +
            R"(.Shibuya"],"odpt:railDirection":"odpt.RailDirection:TokyoMetro.Asakusa",)"
            R"("odpt:destinationStation":["odpt.Station:TokyoMetro.)" +
            line + R"(.Asakusa"]},)";
    }
    text.back() = ']';
    return text;
}

void rewrite(benchmark::State& state, ResponseKind kind, const std::string& answer)
{
    std::size_t objects = 0;
    for (auto _ : state) {
        V4Rewrite r = normaliseV4(kind, answer);
        objects = r.objects;
        benchmark::DoNotOptimize(r);
    }
    if (objects == 0)
        state.SkipWithError("the answer did not rewrite");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(answer.size()));
}

void parseRewritten(benchmark::State& state, ResponseKind kind, const std::string& answer)
{
    responseText[kind] = utf8ToCp932(normaliseV4(kind, answer).text);
    for (auto _ : state) {
        parseResponse(kind);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(responseText[kind].size()));
}

void BM_normaliseStatus10(benchmark::State& state)
{
    rewrite(state, ResponseKind::Status, statusAnswer());
}
BENCHMARK(BM_normaliseStatus10);

void BM_parseResponseStatus10(benchmark::State& state)
{
    parseRewritten(state, ResponseKind::Status, statusAnswer());
}
BENCHMARK(BM_parseResponseStatus10);

void BM_normaliseTrains1000(benchmark::State& state)
{
    rewrite(state, ResponseKind::Trains, trainAnswer());
}
BENCHMARK(BM_normaliseTrains1000);

void BM_parseResponseTrains1000(benchmark::State& state)
{
    parseRewritten(state, ResponseKind::Trains, trainAnswer());
    if (trainCount != kTrainRecordCapacity)
        state.SkipWithError("the rewrite did not parse to 400 trains");
}
BENCHMARK(BM_parseResponseTrains1000);

}  // namespace

BENCHMARK_MAIN();
