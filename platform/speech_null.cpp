// The silent speech back-end: it never opens, so no worker starts and the
// phrases are only recorded.
#include "platform/speech_backend.h"

namespace {

bool refuse(std::string&)
{
    return false;
}

void sayNothing(const std::string&, const std::string&, const std::atomic<bool>&) {}

void nothing() {}

}  // namespace

const SpeechBackend speech_null = {refuse, sayNothing, nothing};
