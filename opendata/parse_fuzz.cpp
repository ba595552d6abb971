// libFuzzer entry: any bytes as a response text of every kind.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "opendata/parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    for (ResponseKind kind : {ResponseKind::Trains, ResponseKind::Status, ResponseKind::Fare}) {
        responseText[kind].assign(text, size);
        parseResponse(kind);
    }
    if (trainCount < 0 || trainCount > kTrainRecordCapacity)
        std::abort();
    return 0;
}
