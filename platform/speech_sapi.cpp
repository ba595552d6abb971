// The Windows speech back-end: the first installed Japanese SAPI voice speaks
// each phrase on the worker thread, to the sound device or into a WAV file.
#include "platform/speech_backend.h"

#include <windows.h>

#include <sapi.h>

#include <cwchar>
#include <string>

namespace {

// Where SAPI lists its voices; not declared by MinGW's headers.
const wchar_t kVoicesCategory[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
// The stream format "WAVEFORMATEX follows" (SPDFID_WaveFormatEx); MinGW
// declares it but its import library does not define it.
const GUID kWaveFormatEx = {0xC31ADBAE, 0x527F, 0x4FF5, {0xA2, 0x30, 0xF6, 0x2B, 0xB6, 0x1F, 0xF7, 0x0C}};
// LANGID 0x411, Japanese, as SAPI writes it in a voice's attributes.
const wchar_t kJapanese[] = L"Language=411";
constexpr unsigned long kJapaneseLanguage = 0x411;

// Releases a COM interface when it goes out of scope.
template <typename T>
struct Com {
    T* p = nullptr;
    ~Com()
    {
        if (p)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

// COM for the calling thread, as long as it lives.
struct ComThread {
    bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ~ComThread()
    {
        if (ok)
            CoUninitialize();
    }
};

// Whether the voice says it speaks Japanese: its Language attribute lists
// hexadecimal language ids separated by ';'.
bool speaksJapanese(ISpObjectToken* voice)
{
    Com<ISpDataKey> attributes;
    wchar_t* languages = nullptr;
    if (FAILED(voice->OpenKey(L"Attributes", attributes.out())) ||
        FAILED(attributes->GetStringValue(L"Language", &languages)))
        return false;
    bool japanese = false;
    for (const wchar_t* at = languages; *at != L'\0';) {
        wchar_t* end = nullptr;
        japanese = japanese || std::wcstoul(at, &end, 16) == kJapaneseLanguage;
        at = end == at ? at + 1 : end;
    }
    CoTaskMemFree(languages);
    return japanese;
}

// The first Japanese voice's token, or null. The category is asked for
// Japanese voices, and each one is checked too, since not every SAPI
// (Wine's, for one) filters by attribute.
ISpObjectToken* findJapaneseVoice()
{
    Com<ISpObjectTokenCategory> category;
    Com<IEnumSpObjectTokens> voices;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void**>(category.out()))) ||
        FAILED(category->SetId(kVoicesCategory, FALSE)) ||
        FAILED(category->EnumTokens(kJapanese, nullptr, voices.out())))
        return nullptr;
    ISpObjectToken* voice = nullptr;
    while (voices->Next(1, &voice, nullptr) == S_OK && voice != nullptr) {
        if (speaksJapanese(voice))
            return voice;
        voice->Release();
        voice = nullptr;
    }
    return nullptr;
}

std::wstring widen(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

// Points the voice at a new WAV file; the stream must be closed after speaking.
bool bindToFile(ISpVoice* voice, ISpStream* stream, const std::string& path)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return SUCCEEDED(
               stream->BindToFile(widen(path).c_str(), SPFM_CREATE_ALWAYS, &kWaveFormatEx, &format, 0)) &&
           SUCCEEDED(voice->SetOutput(stream, TRUE));
}

bool openEngine(std::string& notice)
{
    ComThread com;
    ISpObjectToken* voice = com.ok ? findJapaneseVoice() : nullptr;
    if (voice == nullptr) {
        notice =
            "speech: no Japanese SAPI voice is installed (Settings > Time & language > Speech); "
            "notices will not be spoken\n";
        return false;
    }
    voice->Release();
    return true;
}

void sayPhrase(const std::string& utf8, const std::string& wavPath, const std::atomic<bool>& cancel)
{
    ComThread com;
    Com<ISpObjectToken> token;
    token.p = com.ok ? findJapaneseVoice() : nullptr;
    Com<ISpVoice> voice;
    if (token.p == nullptr ||
        FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                reinterpret_cast<void**>(voice.out()))) ||
        FAILED(voice->SetVoice(token.p)))
        return;
    const std::wstring text = widen(utf8);
    if (!wavPath.empty()) {
        Com<ISpStream> stream;
        if (SUCCEEDED(CoCreateInstance(CLSID_SpStream, nullptr, CLSCTX_ALL, IID_ISpStream,
                                       reinterpret_cast<void**>(stream.out()))) &&
            bindToFile(voice.p, stream.p, wavPath)) {
            voice->Speak(text.c_str(), SPF_IS_NOT_XML, nullptr);
            stream->Close();
        }
        return;
    }
    // Spoken asynchronously, so a stop can cut a long phrase short.
    if (FAILED(voice->Speak(text.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, nullptr)))
        return;
    while (voice->WaitUntilDone(100) == S_FALSE)
        if (cancel.load()) {
            voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
            return;
        }
}

void closeEngine() {}

}  // namespace

const SpeechBackend speech_engine = {openEngine, sayPhrase, closeEngine};
