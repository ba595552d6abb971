// parseResponse(Trains) on a minified 400-train answer, beside two general
// JSON parsers reading the same bytes.

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <string>

#include "opendata/parse.h"

namespace {

// A live-shaped answer: 400 trains with the members of the documentation
// sample in the API's order, minified.
std::string trainAnswer()
{
    static const char* const lines[] = {"Ginza",     "Marunouchi", "Hibiya",  "Tozai",     "Chiyoda",
                                        "Yurakucho", "Hanzomon",   "Namboku", "Fukutoshin"};
    std::string text = "[";
    for (int i = 0; i < kTrainRecordCapacity; ++i) {
        const std::string line = lines[i % 9];
        const std::string number = "A" + std::to_string(1000 + i) + (i % 2 ? "S" : "K");
        text += R"({"@context":"http://vocab.tokyometroapp.jp/context_odpt_Train.jsonld",)"
                R"("@type":"odpt:Train","@id":"urn:ucode:_00001C000000000000010000030C)" +
                std::to_string(10000 + i) +
                R"(","dc:date":"2014-09-08T20:53:51+09:00","dct:valid":"2014-09-08T20:54:51+09:00",)"
                R"("odpt:frequency":90,"odpt:railway":"odpt.Railway:TokyoMetro.)" +
                line + R"(","owl:sameAs":"odpt.Train:TokyoMetro.)" + line + "." + number +
                R"(","odpt:trainNumber":")" + number +
                R"(","odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:delay":)" +
                std::to_string((i % 5) * 60) + R"(,"odpt:startingStation":"odpt.Station:TokyoMetro.)" + line +
                R"(.Shibuya","odpt:terminalStation":"odpt.Station:TokyoMetro.)" + line +
                R"(.Asakusa","odpt:fromStation":"odpt.Station:TokyoMetro.)" + line +
                R"(.Ueno","odpt:toStation":)" +
                (i % 3 ? R"("odpt.Station:TokyoMetro.)" + line + R"(.Inaricho")" : std::string("null")) +
                R"(,"odpt:railDirection":"odpt.RailDirection:TokyoMetro.Asakusa",)"
                R"("odpt:trainOwner":"odpt.TrainOwner:TokyoMetro"},)";
    }
    text.back() = ']';
    return text;
}

void BM_parseResponse(benchmark::State& state)
{
    responseText[ResponseKind::Trains] = trainAnswer();
    for (auto _ : state) {
        parseResponse(ResponseKind::Trains);
        benchmark::DoNotOptimize(trainCount);
        benchmark::ClobberMemory();
    }
    if (trainCount != kTrainRecordCapacity)
        state.SkipWithError("the answer did not parse to 400 trains");
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(responseText[ResponseKind::Trains].size()));
}
BENCHMARK(BM_parseResponse);

void BM_nlohmannJson(benchmark::State& state)
{
    const std::string text = trainAnswer();
    for (auto _ : state) {
        nlohmann::json document = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_nlohmannJson);

void BM_simdjson(benchmark::State& state)
{
    const simdjson::padded_string text(trainAnswer());
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element document;
        if (parser.parse(text).get(document) != simdjson::SUCCESS) {
            state.SkipWithError("simdjson refused the answer");
            break;
        }
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_simdjson);

}  // namespace

BENCHMARK_MAIN();
