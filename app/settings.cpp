#include "app/settings.h"

#include <stdio.h>
#include <string.h>

#include "app/environment.h"
#include "text/gbk_bytes.h"

AppSettingsRecord AppSettings;

namespace {

using R = AppSettingsRecord;

enum class KeyUse : uint8_t {
    Startup,  // ReadStartupSettings
    Flags,    // ReadStartupFlags
    Reader,   // ReadReaderSettings; not written by SaveSettings
};

// A key of section "Config" other than UILanguage, whose default is the
// detected language. Exactly one of num and str is set.
struct ConfigKey {
    const char* name;
    KeyUse use;
    int def;  // strings default to ""
    std::atomic<int> R::*num;
    AString R::*str;
};

// In the order SaveSettings writes them; the start-up keys are also read in it.
const ConfigKey kConfigKeys[] = {
    {"StartupAtBoot", KeyUse::Flags, 0, &R::StartupAtBoot, nullptr},
    {"NoStopAtUsageDlgOnStart", KeyUse::Flags, 0, &R::NoStopAtUsageDlgOnStart, nullptr},
    {"LayVert", KeyUse::Startup, 0, &R::LayVert, nullptr},
    {"SoundPlayLoop", KeyUse::Startup, 0, &R::SoundPlayLoop, nullptr},
    {"SoundPlayReadType", KeyUse::Startup, 3, &R::SoundPlayReadType, nullptr},
    {"SoundPlaySpeed", KeyUse::Startup, -9999, &R::SoundPlaySpeed, nullptr},
    {"SoundPlayVol", KeyUse::Startup, -9999, &R::SoundPlayVol, nullptr},
    {"SoundVoiceEng", KeyUse::Startup, 0, nullptr, &R::SoundVoiceEng},
    {"SoundVoiceChn", KeyUse::Startup, 0, nullptr, &R::SoundVoiceChn},
    {"SoundPaySyncWord_Dialog", KeyUse::Startup, 1, &R::SoundPaySyncWord_Dialog, nullptr},
    {"matchCase", KeyUse::Startup, 0, &R::matchCase, nullptr},
    {"ShowPinyin", KeyUse::Reader, 0, &R::ShowPinyin, nullptr},
    {"AutoSpeak", KeyUse::Reader, 0, &R::AutoSpeak, nullptr},
};

const char kConfig[] = "Config";
const char kTopFrame[] = "TOPFRAME";
const char kProduct[] = "Zhorvan";

void ReadKeys(KeyUse use) {
    for (const ConfigKey& k : kConfigKeys) {
        if (k.use != use) continue;
        if (k.str) {
            AppSettings.*k.str = ReadSettingString(kConfig, k.name, "");
        } else {
            AppSettings.*k.num = ReadSettingInt(kConfig, k.name, k.def);
        }
    }
}

// Length of s[0..n) without a GBK lead byte left alone at its end.
int WithoutCutCharacter(const char* s, int n) {
    int i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (!IsGbkLeadByte(b)) {
            i++;
        } else if (i + 1 == n) {
            return i;
        } else {
            i += IsGbkTrailByte(static_cast<unsigned char>(s[i + 1])) ? 2 : 1;
        }
    }
    return n;
}

struct FileHandle {
    HANDLE h;
    explicit FileHandle(HANDLE h) : h(h) {}
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

bool WriteText(HANDLE h, const char* s) {
    DWORD len = static_cast<DWORD>(strlen(s)), written = 0;
    return WriteFile(h, s, len, &written, nullptr) && written == len;
}

}  // namespace

int ReadSettingInt(const char* section, const char* key, int def) {
    if (!SettingsFile[0]) return def;
    return static_cast<int>(GetPrivateProfileIntA(section, key, def, SettingsFile));
}

AString ReadSettingString(const char* section, const char* key, const char* def) {
    char buf[512] = "";
    if (!def) def = "";
    if (SettingsFile[0]) {
        GetPrivateProfileStringA(section, key, def, buf, sizeof buf, SettingsFile);
    } else {
        lstrcpynA(buf, def, sizeof buf);
    }
    buf[sizeof buf - 1] = 0;
    const int n = static_cast<int>(strlen(buf));
    if (n >= static_cast<int>(sizeof buf) - 2) buf[WithoutCutCharacter(buf, n)] = 0;  // may have cut a character
    return AString(buf);
}

bool WriteSettingString(const char* section, const char* key, const char* value) {
    return SettingsFile[0] && WritePrivateProfileStringA(section, key, value, SettingsFile);
}

bool WriteSettingInt(const char* section, const char* key, int value) {
    char num[16];
    snprintf(num, sizeof num, "%d", value);
    return WriteSettingString(section, key, num);
}

bool CreateSettingsFileIfMissing() {
    if (!SettingsFile[0]) return false;
    if (GetFileAttributesA(SettingsFile) != INVALID_FILE_ATTRIBUTES) return true;
    FileHandle f(CreateFileA(SettingsFile, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f.h == INVALID_HANDLE_VALUE) return false;
    char text[160];
    snprintf(text, sizeof text, ";Init file for %s\r\n", kProduct);
    if (!WriteText(f.h, text)) return true;  // the file exists; every key reads its default
    char lang[64] = "";
    if (UiBootstrapFile[0]) GetPrivateProfileStringA(kConfig, "UILanguage", "", lang, sizeof lang, UiBootstrapFile);
    if (lang[0]) {
        snprintf(text, sizeof text, "\r\n[%s]\r\nUILanguage=%s\r\n\r\n", kConfig, lang);
        WriteText(f.h, text);
    }
    return true;
}

void ReadStartupSettings(int defaultUiLanguage) {
    AppSettings.UILanguage = (int16_t)ReadSettingInt(kConfig, "UILanguage", defaultUiLanguage);
    ReadKeys(KeyUse::Startup);
    AppSettings.ContextReadings = ReadSettingInt(kConfig, "ContextReadings", 0);
}

void ReadStartupFlags() { ReadKeys(KeyUse::Flags); }

void ReadReaderSettings() { ReadKeys(KeyUse::Reader); }

bool SaveSettings() {
    bool ok = WriteSettingInt(kConfig, "UILanguage", AppSettings.UILanguage);
    for (const ConfigKey& k : kConfigKeys) {
        if (k.use == KeyUse::Reader) continue;
        bool written = k.str ? WriteSettingString(kConfig, k.name, (AppSettings.*k.str).GetString())
                             : WriteSettingInt(kConfig, k.name, AppSettings.*k.num);
        ok = ok && written;
    }
    return ok;
}

void ReadToolbarPosition(const RECT& screen) {
    AppSettings.Left = ReadSettingInt(kTopFrame, "Left", screen.left + 10);
    AppSettings.Top = ReadSettingInt(kTopFrame, "Top", screen.bottom - 50);
}

bool WriteToolbarPosition(int left, int top) {
    bool ok = WriteSettingInt(kTopFrame, "Left", left);
    return WriteSettingInt(kTopFrame, "Top", top) && ok;
}
