#include "gui/preferences.h"

#include "core/atomic_write.h"
#include "core/code_store.h"
#include "core/number_parse.h"
#include "core/settings.h"
#include "gui/startup_load.h"
#include "platform/sound.h"
#include "ui/transcript.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace gui {

PreferencesState Preferences;

namespace {

struct IntKey {
    const char* name;
    int32_t* value;
};

// In file order; each 0..1.
std::vector<IntKey> IntKeys() {
    return {{"ReportHistory", &core::Settings.ReportHistory},
            {"BeepOkEnable", &Preferences.BeepOkEnable},
            {"PCSpeaker", &Preferences.PCSpeaker},
            {"SoundEnable", &Preferences.SoundEnable}};
}

struct TextKey {
    const char* name;
    const char* separator; // as written
    std::string* value;
};

std::vector<TextKey> TextKeys() {
    return {{"Sound1FileName", "\t\t", &Preferences.Sound1FileName},
            {"Sound2FileName", "\t\t", &Preferences.Sound2FileName},
            {"Sound3FileName", "\t\t", &Preferences.Sound3FileName},
            {"PDF_ReaderFileName", "\t", &Startup.PdfReaderName},
            {"TOOL1_filename", "\t\t", &core::CodeLoad.TOOL1_filename}};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

void ParseLine(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    size_t p = 0;
    while (p < line.size() && IsBlank(line[p])) {
        ++p;
    }
    size_t end = p;
    while (end < line.size() && !IsBlank(line[end])) {
        ++end;
    }
    const std::string token = line.substr(p, end - p);
    if (token.empty()) {
        return;
    }
    size_t rest = end;
    while (rest < line.size() && IsBlank(line[rest])) {
        ++rest;
    }
    for (const IntKey& k : IntKeys()) {
        if (StartsWith(token, k.name)) {
            size_t d = rest;
            if (d < line.size() && (line[d] == '-' || line[d] == '+')) {
                ++d;
            }
            if (d < line.size() && line[d] >= '0' && line[d] <= '9') {
                const int32_t v = core::TextParseNumber(line.c_str() + rest);
                *k.value = v < 0 ? 0 : (v > 1 ? 1 : v);
            }
            return;
        }
    }
    for (const TextKey& k : TextKeys()) {
        if (StartsWith(token, k.name)) {
            *k.value = line.substr(rest);
            if (k.value == &core::CodeLoad.TOOL1_filename && k.value->size() > kTool1MaxLength) {
                k.value->resize(kTool1MaxLength);
            }
            return;
        }
    }
}

std::string LoadPath() {
    const std::string dir = WorkingDirectory();
    if (dir.empty()) {
        return "prefer.ini";
    }
    return dir.back() == '/' ? dir + "prefer.ini" : dir + "/prefer.ini";
}

} // namespace

std::string PreferencesText() {
    std::string text;
    char buf[64];
    for (const IntKey& k : IntKeys()) {
        std::snprintf(buf, sizeof buf, "%s\t\t%3.1i \r\n", k.name, *k.value);
        text += buf;
    }
    for (const TextKey& k : TextKeys()) {
        text += k.name;
        text += k.separator;
        text += *k.value;
        text += "\r\n";
    }
    return text;
}

void PreferencesParse(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            nl = text.size();
        }
        ParseLine(text.substr(start, nl - start));
        start = nl + 1;
    }
}

void PreferencesLoad() {
    Preferences.PreferencesPath = LoadPath();
    std::ifstream in(Preferences.PreferencesPath, std::ios::binary);
    if (!in) {
        return;
    }
    PreferencesParse(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

int32_t PreferencesSave() {
    if (Preferences.PreferencesPath.empty()) {
        Preferences.PreferencesPath = LoadPath();
    }
    const std::string text = PreferencesText();
    return core::FileWriteAtomic(Preferences.PreferencesPath, [&text](std::FILE* f) {
        return std::fwrite(text.data(), 1, text.size(), f) == text.size() ? 1 : 0;
    });
}

void ResultSound(int32_t type) {
    ui::TranscriptAdd("sound " + std::to_string(type));
    if (Preferences.SoundEnable == 1) {
        const std::string* wave = nullptr;
        switch (type) {
        case kSoundDone:
            wave = &Preferences.Sound2FileName;
            break;
        case kSoundError:
        case kSoundFailed:
            wave = &Preferences.Sound1FileName;
            break;
        case kSoundWarning:
            wave = &Preferences.Sound3FileName;
            break;
        default:
            break;
        }
        if (wave != nullptr && !wave->empty()) {
            platform::PlayWave(*wave);
        }
    }
    if (Preferences.PCSpeaker != 1) {
        return;
    }
    switch (type) {
    case kSoundDone:
        if (Preferences.BeepOkEnable == 1) {
            for (uint32_t hz : {600u, 800u, 1100u, 1400u}) {
                platform::Beep(hz, 70);
            }
        }
        break;
    case kSoundError:
        platform::Beep(600, 60);
        platform::Beep(450, 60);
        break;
    case kSoundFailed:
        platform::Beep(800, 70);
        break;
    case kSoundWarning:
        platform::Beep(600, 70);
        break;
    default:
        break;
    }
}

} // namespace gui
